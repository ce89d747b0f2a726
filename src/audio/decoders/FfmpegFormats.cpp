#include "audio/decoders/FfmpegFormats.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "audio/DecoderFormats.h"

namespace vireo {
namespace {

bool HasDecoder(const char* names) {
  if (!*names) return true;  // the demuxer decodes by itself
  const QStringList list = QString::fromLatin1(names).split(QLatin1Char(','));
  for (const QString& n : list)
    if (avcodec_find_decoder_by_name(n.toLatin1().constData())) return true;
  return false;
}

}  // namespace

QStringList FfmpegFormats::Playable() {
  QStringList out;
  for (const DecoderFormat& f : kDecoderFormats) {
    if (!av_find_input_format(f.demuxer) || !HasDecoder(f.decoders)) continue;
    out << QString::fromLatin1(f.patterns).split(QLatin1Char(';'));
  }
  return out;
}

}  // namespace vireo
