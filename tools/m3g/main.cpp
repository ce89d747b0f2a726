// m3g: the track gain of one audio file, for the player's volume levelling.
//
//   m3g [/o] [/s c] FILE
//
// Prints a header line, then one TAB-separated line: track number, loudness (LUFS), track gain
// (dB, against -18 LUFS), sample peak, where the gain came from ("stored" or "measured"), file.
// The gain stored in the file's ReplayGain tags wins; otherwise the file is decoded and measured.
// "/o" (one line of output) and "/s c" (scan the file as a single track) are what the player
// passes and are the only mode there is. Lines end in CR LF. Exit status 0 on success, 1 for a
// wrong command line, 2 when the file cannot be read or decoded.

#include "LoudnessMeter.h"
#include "StoredGain.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QCoreApplication>
#include <QStringList>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kReferenceLufs = -18.0;

QByteArray Number(double v) {
  if (!std::isfinite(v)) return v < 0 ? QByteArrayLiteral("-inf") : QByteArrayLiteral("inf");
  return QByteArray::number(v, 'f', 2);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  av_log_set_level(AV_LOG_QUIET);  // the output is read by a program: nothing but the two lines
  QStringList args = app.arguments().mid(1);
  QString file;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a.compare(QLatin1StringView("/o"), Qt::CaseInsensitive) == 0) continue;
    if (a.compare(QLatin1StringView("/s"), Qt::CaseInsensitive) == 0) {
      ++i;  // its mode letter
      continue;
    }
    file = a;
  }
  if (file.isEmpty()) {
    std::fputs("usage: m3g [/o] [/s c] FILE\r\n", stderr);
    return 1;
  }
  std::fputs("Track\tLoudness\tGain\tPeak\tSource\tFile\r\n", stdout);

  double gain = 0, loudness = 0, peak = 0;
  const char* source = "stored";
  if (const auto stored = StoredGain::Read(file)) {
    gain = *stored;
    loudness = kReferenceLufs - gain;
  } else {
    const auto measured = LoudnessMeter::Measure(file);
    if (!measured) {
      std::fprintf(stderr, "m3g: cannot decode %s\r\n", file.toLocal8Bit().constData());
      return 2;
    }
    source = "measured";
    loudness = measured->loudnessLufs;
    peak = measured->peak;
    // Silence has nothing to level.
    gain = std::isfinite(loudness) ? kReferenceLufs - loudness : 0.0;
  }
  const QByteArray line = "1\t" + Number(loudness) + '\t' + Number(gain) + '\t' +
                          QByteArray::number(peak, 'f', 6) + '\t' + source + '\t' +
                          file.toLocal8Bit() + "\r\n";
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
  return 0;
}
