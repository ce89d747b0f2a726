// Images whose headers claim far more pixels than the file holds: refused before any memory is
// taken for them. Checked in a child process whose address space is capped a few hundred MB
// above what it already uses, so that reserving the claimed 1-2 GB fails there visibly
// (std::bad_alloc instead of the decoder's EDDError).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <QBuffer>
#include <QFile>
#include <cstdint>
#include <functional>

#include "ddvcl/EDDError.h"
#include "ddvcl/ImageDecoders.h"
#include "ddvcl/TDDBitmap32.h"

using namespace vireo;

namespace {

void Le32(QByteArray& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.append(char(v >> (8 * i)));
}
void Le16(QByteArray& out, std::uint16_t v) {
  out.append(char(v)).append(char(v >> 8));
}
void Be32(QByteArray& out, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) out.append(char(v >> (8 * i)));
}

QByteArray Bmp(std::int32_t w, std::int32_t h, int bpp, int compression, const QByteArray& after) {
  QByteArray palette = bpp <= 8 ? QByteArray(4 << bpp, '\0') : QByteArray();
  QByteArray b("BM");
  Le32(b, 54 + palette.size() + after.size());
  Le32(b, 0);
  Le32(b, 54 + palette.size());
  Le32(b, 40);
  Le32(b, std::uint32_t(w));
  Le32(b, std::uint32_t(h));
  Le16(b, 1);
  Le16(b, std::uint16_t(bpp));
  Le32(b, std::uint32_t(compression));
  for (int i = 0; i < 5; ++i) Le32(b, 0);
  return b + palette + after;
}

QByteArray Chunk(const char* type, const QByteArray& body) {
  QByteArray c;
  Be32(c, std::uint32_t(body.size()));
  const QByteArray typed = QByteArray(type, 4) + body;
  c += typed;
  Be32(c, std::uint32_t(
              crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))));
  return c;
}

QByteArray Png(std::uint32_t w, std::uint32_t h, const QByteArray& idat) {
  QByteArray ihdr;
  Be32(ihdr, w);
  Be32(ihdr, h);
  ihdr.append(char(8)).append(char(6)).append(3, '\0');  // 8-bit RGBA, not interlaced
  QByteArray p("\x89PNG\r\n\x1a\n", 8);
  p += Chunk("IHDR", ihdr);
  if (!idat.isNull()) p += Chunk("IDAT", idat) + Chunk("IEND", {});
  return p;
}

QByteArray Deflated(const QByteArray& raw) {
  uLongf size = compressBound(uLong(raw.size()));
  QByteArray out(qsizetype(size), '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size,
           reinterpret_cast<const Bytef*>(raw.constData()), uLong(raw.size()));
  out.resize(qsizetype(size));
  return out;
}

QByteArray DataStream(std::int32_t w, std::int32_t h, qsizetype pixelBytes) {
  QByteArray d;
  Le32(d, std::uint32_t(w));
  Le32(d, std::uint32_t(h));
  return d + QByteArray(pixelBytes, '\x7f');
}

// A device that hands out its bytes like a pipe: sequential, with no size to ask for.
class Pipe : public QIODevice {
 public:
  explicit Pipe(QByteArray bytes) : bytes_(std::move(bytes)) { open(QIODevice::ReadOnly); }
  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* out, qint64 max) override {
    const qint64 n = std::min<qint64>({max, 1000, bytes_.size() - at_});
    if (n <= 0) return -1;
    memcpy(out, bytes_.constData() + at_, size_t(n));
    at_ += n;
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  QByteArray bytes_;
  qint64 at_ = 0;
};

// 0 when every case raised EDDError, 1 on an allocation failure, 2 when one decoded.
int RefusedUnderMemoryCap(const std::vector<std::function<void()>>& cases) {
  QFile status(QStringLiteral("/proc/self/status"));
  qint64 vmKb = 0;
  if (status.open(QIODevice::ReadOnly))
    for (const QByteArray& line : status.readAll().split('\n'))
      if (line.startsWith("VmSize:")) vmKb = line.mid(7).trimmed().split(' ').value(0).toLongLong();
  const rlim_t cap = rlim_t(vmKb + 400 * 1024) * 1024;
  const rlimit limit{cap, cap};
  setrlimit(RLIMIT_AS, &limit);
  for (const auto& run : cases) {
    try {
      run();
      return 2;
    } catch (const EDDError&) {
    } catch (const std::bad_alloc&) {
      return 1;
    }
  }
  return 0;
}

}  // namespace

TEST(HostileImages, ClaimsTheFileCannotHoldAreRefusedBeforeReserving) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::vector<std::function<void()>> cases = {
      // A 54-byte BMP header claiming 16384 x 16384, 24 and 32 bits.
      [] { DecodeBmp(Bmp(16384, 16384, 24, 0, {})); },
      [] { DecodeBmp(Bmp(16384, -16384, 32, 0, {})); },
      // Under the ceiling, but still without the rows.
      [] { DecodeBmp(Bmp(4000, 4000, 8, 0, QByteArray(100, '\0'))); },
      // RLE needs no pixel data to claim a size: a lone end-of-bitmap code.
      [] { DecodeBmp(Bmp(4000, 4000, 8, 1, QByteArray("\0\1", 2))); },
      [] { DecodeBmp(Bmp(4000, 4000, 4, 2, QByteArray("\0\1", 2))); },
      // A 57-byte PNG: signature, header, nothing more.
      [] { DecodePng(Png(16384, 16384, QByteArray()).leftJustified(57, '\0')); },
      // A PNG whose data could not inflate to the rows it claims.
      [] { DecodePng(Png(4000, 4000, Deflated(QByteArray(1000, '\0')))); },
      // "Data" streams: sizes near 2^31 (their product must not overflow), and a pipe that
      // promises 16384 x 16384 pixels but ends after a few.
      [] {
        QBuffer b;
        b.setData(DataStream(0x7fffffff, 0x7fffffff, 16));
        b.open(QIODevice::ReadOnly);
        TDDBitmap32().ReadData(b);
      },
      [] {
        Pipe p(DataStream(0x7fffffff, 0x7ffffff0, 16));
        TDDBitmap32().ReadData(p);
      },
      [] {
        Pipe p(DataStream(16384, 16384, 4096));
        TDDBitmap32().ReadData(p);
      },
  };
  EXPECT_EXIT(std::exit(RefusedUnderMemoryCap(cases)), testing::ExitedWithCode(0), "");
}

TEST(HostileImages, ImagesTheFileDoesHoldStillLoad) {
  // RLE that really describes its pixels: a run of 255 plus one pixel per row, 300 rows.
  QByteArray rle;
  for (int y = 0; y < 300; ++y) rle += QByteArray("\xff\x01\x01\x01\x00\x00", 6);
  rle += QByteArray("\0\1", 2);
  const TDecodedImage img = DecodeBmp(Bmp(256, 300, 8, 1, rle));
  EXPECT_EQ(img.Width, 256);
  EXPECT_EQ(img.Height, 300);

  // A large flat PNG compresses far: 2000 x 2000 transparent pixels in a few KB still load.
  QByteArray rows;
  for (int y = 0; y < 2000; ++y) rows += QByteArray(1 + 2000 * 4, '\0');
  const QByteArray png = Png(2000, 2000, Deflated(rows));
  ASSERT_LT(png.size(), 40000);
  EXPECT_EQ(DecodePng(png).Pixels.size(), size_t(2000 * 2000));

  // A "Data" stream from a pipe that holds all its pixels reads like one from a file.
  TDDBitmap32 src(3, 2);
  src.Clear(0x80123456u);
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  src.WriteData(out);
  Pipe pipe(out.data());
  TDDBitmap32 back;
  back.ReadData(pipe);
  EXPECT_TRUE(back.Equal(src));
  // Over the ceiling is refused even when present (a skin image has no business being that big).
  EXPECT_THROW(DecodeBmp(Bmp(8192, 4096, 1, 0, QByteArray(8192 / 8 * 4096, '\0'))), EDDError);
}
