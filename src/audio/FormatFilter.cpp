#include "audio/FormatFilter.h"

#include <QStringList>

#include "audio/DecoderFormats.h"

namespace vireo {

const char* FormatFilter::BaseText() {
  return "所有音乐|*.mp1;*.mp2;*.mp3;*.wav;*.ogg;*.mod;*.s3m;*.it;*.umx;*.mo3;*.mtm;*.xm;*.aif";
}

QString FormatFilter::Build() {
  QString filter = QString::fromUtf8(BaseText());
  for (const DecoderFormat& f : kDecoderFormats) {
    for (const QString& p : QString::fromLatin1(f.patterns).split(QLatin1Char(';'))) {
      if (!filter.contains(QLatin1Char(';') + p + QLatin1Char(';')) &&
          !filter.endsWith(QLatin1Char(';') + p))
        filter += QLatin1Char(';') + p;
    }
  }
  return filter;
}

}  // namespace vireo
