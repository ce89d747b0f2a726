// The decoder module's one exported symbol. Everything FFmpeg-specific of the player is behind it,
// so the player loads FFmpeg (and the hundred libraries Debian builds it with) only when a file
// needs it.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <exception>

#include "audio/AudioCodes.h"
#include "audio/DecoderModuleApi.h"
#include "audio/decoders/FfmpegDecoder.h"
#include "audio/decoders/FfmpegFormats.h"

namespace vireo {
namespace {

AudioDecoder* OpenFile(const char* utf8Path, int64_t fileSize, int* error) {
  try {
    return FfmpegDecoder::OpenFile(utf8Path, fileSize, error);
  } catch (...) {
    *error = AudioError::Unknown;
    return nullptr;
  }
}

AudioDecoder* OpenNetwork(IByteSource* source, int* error) {
  try {
    return FfmpegDecoder::OpenNetwork(source, error);
  } catch (...) {
    *error = AudioError::Unknown;
    return nullptr;
  }
}

QStringList ExtraPatterns() {
  try {
    return FfmpegFormats::Playable();
  } catch (...) {
    return {};
  }
}

}  // namespace
}  // namespace vireo

extern "C" __attribute__((visibility("default"))) const vireo::DecoderModuleApi*
vireo_decoder_module() {
  static const vireo::DecoderModuleApi api{vireo::DecoderModuleApi::kVersion, vireo::OpenFile,
                                           vireo::OpenNetwork, vireo::ExtraPatterns};
  // The libraries loaded must be the ones the module was built against.
  if (avformat_version() >> 16 != LIBAVFORMAT_VERSION_MAJOR ||
      avcodec_version() >> 16 != LIBAVCODEC_VERSION_MAJOR)
    return nullptr;
  // The decoder's warnings about damaged frames are of no use to anyone listening.
  av_log_set_level(AV_LOG_ERROR);
  return &api;
}
