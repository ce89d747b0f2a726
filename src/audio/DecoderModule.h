#pragma once

#include <QString>

#include "audio/DecoderModuleApi.h"

namespace vireo {

// Loads the decoder module once, on whichever thread first needs it, and keeps it to the end of
// the process (its decoders' code lives there). Thread-safe.
class DecoderModule {
 public:
  // The module's functions, or null when it cannot be loaded (the reason is logged once).
  static const DecoderModuleApi* Api();
  // Where the module is looked for: beside the executable, then in the build's application
  // folder (for the test programs, which run from their own folders).
  static QStringList Candidates();
  // Before the first Api(): load this file instead (tests).
  static void SetPath(const QString& path);
};

}  // namespace vireo
