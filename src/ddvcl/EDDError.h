#pragma once

#include <stdexcept>
#include <string>

namespace vireo {

// Raised by the control library: bitmap memory that cannot be had, unpaired update brackets,
// image files that cannot be decoded. The message is the text users of the library compare with.
class EDDError : public std::runtime_error {
 public:
  explicit EDDError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vireo
