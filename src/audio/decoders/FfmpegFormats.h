#pragma once

#include <QStringList>

namespace vireo {

// Which of the module's formats (DecoderFormats.h) the FFmpeg found at run time has both the
// demuxer and a codec for.
class FfmpegFormats {
 public:
  static QStringList Playable();
};

}  // namespace vireo
