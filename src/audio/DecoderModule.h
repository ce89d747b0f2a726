#pragma once

#include <QString>

#include "audio/DecoderModuleApi.h"

namespace vireo {

// The decoder module (vireo-ffmpeg.so, a RuntimeModule): loaded once, on whichever thread first
// needs it, and kept to the end of the process (its decoders' code lives there). Thread-safe.
class DecoderModule {
 public:
  // The module's functions, or null when it cannot be loaded (the reason is logged once).
  static const DecoderModuleApi* Api();
  // Before the first Api(): load this file instead (tests).
  static void SetPath(const QString& path);
};

}  // namespace vireo
