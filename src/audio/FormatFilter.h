#pragma once

#include <QString>

namespace vireo {

// The open-dialog filter: one entry, "所有音乐|" and the patterns, starting with the classic list
// and extended by every further format the decoder module plays (DecoderFormats.h). Thread-safe.
class FormatFilter {
 public:
  static QString Build();
  static const char* BaseText();
};

}  // namespace vireo
