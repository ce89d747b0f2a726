#pragma once

#include <QStringList>
#include <cstdint>

namespace vireo {

class AudioDecoder;
class IByteSource;

// What the decoder module (vireo-ffmpeg.so) offers the player. The module is built from this
// tree with the same compiler and Qt, so C++ types cross; the version number guards against a
// module left over from another build. No function lets an exception out.
struct DecoderModuleApi {
  static constexpr int kVersion = 1;
  int version;
  // A decoder for the file or null with *error set (an AudioError detail).
  AudioDecoder* (*OpenFile)(const char* utf8Path, int64_t fileSize, int* error);
  // A decoder reading source, which must outlive it, or null with *error set.
  AudioDecoder* (*OpenNetwork)(IByteSource* source, int* error);
  // The file patterns ("*.flac") of the formats this build of the decoding libraries plays,
  // beyond the classic ones.
  QStringList (*ExtraPatterns)();
};

// Null when the decoding libraries found at run time are not the ones the module was built for.
using DecoderModuleEntry = const DecoderModuleApi* (*)();
inline constexpr char kDecoderModuleEntry[] = "vireo_decoder_module";

}  // namespace vireo
