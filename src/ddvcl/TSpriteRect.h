#pragma once

#include <cstdint>

#include "ddvcl/TRect.h"

namespace vireo {

// A W x H rectangle of a skin image with its top-left corner at (X, Y), four signed 16-bit values
// as the skin files store them.
struct TSpriteRect {
  std::int16_t X = 0;
  std::int16_t Y = 0;
  std::int16_t W = 0;
  std::int16_t H = 0;

  constexpr TRect ToRect() const { return TRect::FromSize(X, Y, W, H); }
  constexpr bool operator==(const TSpriteRect&) const = default;
};

}  // namespace vireo
