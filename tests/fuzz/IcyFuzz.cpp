// The ICY metadata filter of radio streams: the audio that comes out is the stream without its
// metadata blocks, however the bytes are cut into pieces, and the titles are the same each time
// and hold no zero characters. The first two bytes give the interval, the third the cutting.
#include <QByteArray>
#include <QStringList>

#include "FuzzTarget.h"
#include "audio/IcyMetadataFilter.h"

namespace {

using vireo::IcyMetadataFilter;

struct Taken {
  QByteArray audio;
  QStringList titles;
};

// The plain reading of the layout: interval audio bytes, a length byte L, L * 16 bytes of text.
Taken Reference(QByteArrayView stream, int interval) {
  Taken out;
  qsizetype at = 0;
  while (at < stream.size()) {
    const qsizetype audio = std::min<qsizetype>(interval, stream.size() - at);
    out.audio.append(stream.sliced(at, audio));
    at += audio;
    if (at >= stream.size()) break;
    const qsizetype length = qsizetype(static_cast<unsigned char>(stream[at])) * 16;
    ++at;
    if (at + length > stream.size()) break;  // cut inside the block: no title from it
    QString title;
    if (IcyMetadataFilter::ParseTitle(stream.sliced(at, length), title)) out.titles << title;
    at += length;
  }
  return out;
}

Taken Filtered(QByteArrayView stream, int interval, unsigned seed) {
  IcyMetadataFilter filter(interval);
  Taken out;
  qsizetype at = 0;
  while (at < stream.size()) {
    seed = seed * 1103515245u + 12345u;
    // Mostly small pieces, now and then a large one, sometimes nothing at all.
    const qsizetype piece =
        (seed >> 16) % 8 == 0 ? qsizetype((seed >> 8) % 5000) : qsizetype((seed >> 16) % 40);
    const qsizetype n = std::min(piece, stream.size() - at);
    filter.Feed(stream.sliced(at, n), out.audio, out.titles);
    at += n;
  }
  return out;
}

}  // namespace

VIREO_FUZZ_TARGET(icy) {
  const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
  if (input.size() < 3) return 0;
  const int interval = 1 + (uchar(input[0]) | uchar(input[1]) << 8) % 2048;
  const unsigned seed = uchar(input[2]);
  const QByteArrayView stream = input.sliced(3);

  const Taken expected = Reference(stream, interval);
  Taken whole;
  IcyMetadataFilter(interval).Feed(stream, whole.audio, whole.titles);
  FUZZ_CHECK(whole.audio == expected.audio);
  FUZZ_CHECK(whole.titles == expected.titles);
  const Taken pieces = Filtered(stream, interval, seed);
  FUZZ_CHECK(pieces.audio == expected.audio);
  FUZZ_CHECK(pieces.titles == expected.titles);
  for (const QString& title : whole.titles) {
    FUZZ_CHECK(!title.contains(QChar(0)));
    FUZZ_CHECK(title.trimmed() == title);
  }

  // The answer's header line: any text gives a usable interval or 0; a real one gives itself.
  const int announced =
      IcyMetadataFilter::MetaIntervalOf(stream.first(std::min<qsizetype>(stream.size(), 40)));
  FUZZ_CHECK(announced >= 0 && announced <= IcyMetadataFilter::kMaxInterval);
  const QByteArray header = "icy-metaint: " + QByteArray::number(interval);
  FUZZ_CHECK(IcyMetadataFilter::MetaIntervalOf(header) == interval);
  return 0;
}
