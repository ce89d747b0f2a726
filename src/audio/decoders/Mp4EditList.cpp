#include "audio/decoders/Mp4EditList.h"

#include <QByteArray>
#include <QFile>

#include <vector>

namespace vireo {
namespace {

// The movie's index is small; anything larger is not a file this is meant for.
constexpr qint64 kMaxMoovBytes = 64 << 20;

struct Box {
  QByteArrayView type;
  QByteArrayView body;
};

uint32_t U32(QByteArrayView d, qsizetype at) {
  if (at + 4 > d.size()) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(d.data()) + at;
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint64_t U64(QByteArrayView d, qsizetype at) {
  return uint64_t(U32(d, at)) << 32 | U32(d, at + 4);
}

// The boxes directly inside `d`; a box that runs past its parent ends the list.
std::vector<Box> Children(QByteArrayView d) {
  std::vector<Box> boxes;
  qsizetype at = 0;
  while (at + 8 <= d.size()) {
    uint64_t size = U32(d, at);
    qsizetype header = 8;
    if (size == 1) {
      size = U64(d, at + 8);
      header = 16;
    } else if (size == 0) {
      size = static_cast<uint64_t>(d.size() - at);
    }
    if (size < static_cast<uint64_t>(header) || size > static_cast<uint64_t>(d.size() - at)) break;
    boxes.push_back({d.sliced(at + 4, 4), d.sliced(at + header, qsizetype(size) - header)});
    at += qsizetype(size);
  }
  return boxes;
}

QByteArrayView Child(QByteArrayView d, const char* type) {
  for (const Box& b : Children(d))
    if (b.type == QByteArrayView(type)) return b.body;
  return {};
}

// mvhd and mdhd: the clock and the duration, after version and flags.
bool Clock(QByteArrayView header, uint32_t* timescale, uint64_t* duration) {
  if (header.size() < 4) return false;
  const bool wide = header[0] == 1;
  const qsizetype at = wide ? 4 + 16 : 4 + 8;
  if (header.size() < at + (wide ? 12 : 8)) return false;
  *timescale = U32(header, at);
  *duration = wide ? U64(header, at + 4) : U32(header, at + 4);
  return *timescale > 0;
}

QByteArray ReadMoov(const char* utf8Path) {
  QFile file(QString::fromUtf8(utf8Path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  qint64 at = 0;
  const qint64 end = file.size();
  while (at + 8 <= end) {
    if (!file.seek(at)) return {};
    const QByteArray head = file.read(16);
    if (head.size() < 8) return {};
    uint64_t size = U32(head, 0);
    qint64 header = 8;
    if (size == 1) {
      if (head.size() < 16) return {};
      size = U64(head, 8);
      header = 16;
    } else if (size == 0) {
      size = static_cast<uint64_t>(end - at);
    }
    if (size < static_cast<uint64_t>(header) || size > static_cast<uint64_t>(end - at)) return {};
    if (QByteArrayView(head).sliced(4, 4) == QByteArrayView("moov")) {
      if (qint64(size) > kMaxMoovBytes || !file.seek(at + header)) return {};
      return file.read(qint64(size) - header);
    }
    at += qint64(size);
  }
  return {};
}

}  // namespace

std::optional<Mp4EditList::Timing> Mp4EditList::Read(const char* utf8Path) {
  const QByteArray moov = ReadMoov(utf8Path);
  if (moov.isEmpty()) return std::nullopt;
  uint32_t movieScale = 0;
  uint64_t movieDuration = 0;
  if (!Clock(Child(moov, "mvhd"), &movieScale, &movieDuration)) return std::nullopt;
  for (const Box& trak : Children(moov)) {
    if (trak.type != QByteArrayView("trak")) continue;
    const QByteArrayView mdia = Child(trak.body, "mdia");
    const QByteArrayView hdlr = Child(mdia, "hdlr");
    if (hdlr.size() < 12 || hdlr.sliced(8, 4) != QByteArrayView("soun")) continue;
    uint32_t trackScale = 0;
    uint64_t trackDuration = 0;
    if (!Clock(Child(mdia, "mdhd"), &trackScale, &trackDuration)) return std::nullopt;
    const QByteArrayView elst = Child(Child(trak.body, "edts"), "elst");
    if (elst.size() < 8) return std::nullopt;
    const bool wide = elst[0] == 1;
    const qsizetype entrySize = wide ? 20 : 12;
    const uint32_t entries = U32(elst, 4);
    if (entries == 0 || elst.size() < 8 + qsizetype(entries) * entrySize) return std::nullopt;
    // One part played (an empty edit before it would be a pause, which is not a start).
    int64_t mediaTime = -1;
    uint64_t editDuration = 0;
    for (uint32_t i = 0; i < entries; ++i) {
      const qsizetype at = 8 + qsizetype(i) * entrySize;
      const int64_t time = wide ? static_cast<int64_t>(U64(elst, at + 8))
                                : static_cast<int32_t>(U32(elst, at + 4));
      if (time < 0) return std::nullopt;
      if (mediaTime >= 0) return std::nullopt;
      mediaTime = time;
      editDuration = wide ? U64(elst, at) : U32(elst, at);
    }
    // What the track holds after the priming, by its sample durations.
    const QByteArrayView table = Child(Child(Child(mdia, "minf"), "stbl"), "stts");
    uint64_t total = 0;
    if (table.size() >= 8) {
      const uint32_t n = U32(table, 4);
      if (table.size() < 8 + qsizetype(n) * 8) return std::nullopt;
      for (uint32_t i = 0; i < n; ++i)
        total += uint64_t(U32(table, 8 + qsizetype(i) * 8)) * U32(table, 12 + qsizetype(i) * 8);
    } else {
      total = trackDuration;
    }
    if (total <= static_cast<uint64_t>(mediaTime)) return std::nullopt;
    const auto available = static_cast<int64_t>(total - static_cast<uint64_t>(mediaTime));
    int64_t samples = available;
    if (editDuration > 0) {
      // The edit's duration in track samples, and one tick of the movie's clock in them.
      const auto edit = static_cast<int64_t>(editDuration * trackScale / movieScale);
      const int64_t tick = (trackScale + movieScale - 1) / movieScale;
      // Within a tick of what the track holds, the edit means that (it lost the rest to the
      // movie's coarser clock); shorter, it cuts the padding off.
      if (edit < available && available - edit >= tick) samples = edit;
    }
    return Timing{mediaTime, samples, trackScale};
  }
  return std::nullopt;
}

}  // namespace vireo
