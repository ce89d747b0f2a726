#include "audio/FormatFilter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QStringList>

namespace vireo {
namespace {

struct Extra {
  const char* demuxer;
  const char* decoders;  // any of them, separated by ','
  const char* patterns;
};

// Formats the decoder handles beyond the classic list, each offered only when this build of the
// decoder has both the container and a codec for it.
constexpr Extra kExtras[] = {
    {"flac", "flac", "*.flac"},
    {"m4a", "aac,alac", "*.m4a;*.m4b"},
    {"aac", "aac", "*.aac"},
    {"ogg", "opus,libopus", "*.opus"},
    {"ogg", "vorbis,libvorbis", "*.oga"},
    {"ogg", "libspeex", "*.spx"},
    {"asf", "wmav1,wmav2,wmapro,wmalossless", "*.wma"},
    {"ape", "ape", "*.ape"},
    {"wv", "wavpack", "*.wv"},
    {"aiff", "pcm_s16be", "*.aiff;*.aifc"},
    {"mpc", "mpc7,mpc8", "*.mpc"},
    {"mpc8", "mpc8", "*.mp+"},
    {"tta", "tta", "*.tta"},
    {"matroska", "opus,vorbis,flac,aac", "*.mka"},
    {"webm", "opus,vorbis", "*.weba"},
    {"ac3", "ac3", "*.ac3"},
    {"dts", "dca", "*.dts"},
    {"au", "pcm_s16be", "*.au;*.snd"},
    {"caf", "pcm_s16le,alac", "*.caf"},
    {"w64", "pcm_s16le", "*.w64"},
    {"amr", "amrnb", "*.amr"},
    {"dsf", "dsd_lsbf_planar", "*.dsf"},
    {"libopenmpt", "", "*.mptm;*.669;*.stm;*.okt;*.far;*.med"},
};

bool HasDecoder(const char* names) {
  if (!*names) return true;  // the demuxer decodes by itself
  const QStringList list = QString::fromLatin1(names).split(QLatin1Char(','));
  for (const QString& n : list)
    if (avcodec_find_decoder_by_name(n.toLatin1().constData())) return true;
  return false;
}

}  // namespace

const char* FormatFilter::BaseText() {
  return "所有音乐|*.mp1;*.mp2;*.mp3;*.wav;*.ogg;*.mod;*.s3m;*.it;*.umx;*.mo3;*.mtm;*.xm;*.aif";
}

QString FormatFilter::Build() {
  QString filter = QString::fromUtf8(BaseText());
  for (const Extra& e : kExtras) {
    if (!av_find_input_format(e.demuxer) || !HasDecoder(e.decoders)) continue;
    for (const QString& p : QString::fromLatin1(e.patterns).split(QLatin1Char(';'))) {
      if (!filter.contains(QLatin1Char(';') + p + QLatin1Char(';')) &&
          !filter.endsWith(QLatin1Char(';') + p))
        filter += QLatin1Char(';') + p;
    }
  }
  return filter;
}

}  // namespace vireo
