#include "audio/DecoderModule.h"

#include "base/Logging.h"
#include "base/RuntimeModule.h"

namespace vireo {
namespace {

RuntimeModule& Module() {
  static RuntimeModule module(QStringLiteral("vireo-ffmpeg.so"), kDecoderModuleEntry);
  return module;
}

}  // namespace

void DecoderModule::SetPath(const QString& path) {
  Module().SetPath(path);
}

const DecoderModuleApi* DecoderModule::Api() {
  // The entry is asked once: the module is loaded once and its answer does not change.
  static const DecoderModuleApi* const api = [] {
    const auto entry = reinterpret_cast<DecoderModuleEntry>(Module().Entry());
    const DecoderModuleApi* a = entry ? entry() : nullptr;
    if (a && a->version == DecoderModuleApi::kVersion) return a;
    qCWarning(lcAudio) << "no decoder module: only MPEG audio files at 44100 Hz will play"
                       << (entry ? "(the module was built for other decoding libraries)" : "");
    return static_cast<const DecoderModuleApi*>(nullptr);
  }();
  return api;
}

}  // namespace vireo
