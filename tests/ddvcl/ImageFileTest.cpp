// Skin images of every PNG colour type and the BMP layouts, written by the test itself.
#include <gtest/gtest.h>
#include <png.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <memory>
#include <vector>

#include "ddvcl/EDDError.h"
#include "ddvcl/TDDBitmap32.h"

using namespace vireo;

namespace {

struct PngLayout {
  int colorType;
  int depth;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<png_byte> trnsAlpha;  // palette transparency
  bool trnsColour = false;          // a tRNS colour for grey / RGB
};

void WriteFn(png_structp png, png_bytep data, png_size_t n) {
  static_cast<QByteArray*>(png_get_io_ptr(png))
      ->append(reinterpret_cast<const char*>(data), qsizetype(n));
}
void FlushFn(png_structp) {}

// rows: packed samples exactly as the PNG stores them (big-endian for 16 bits).
QByteArray MakePng(int w, int h, const PngLayout& layout,
                   const std::vector<std::vector<png_byte>>& rows) {
  QByteArray out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return QByteArray();
  }
  png_set_write_fn(png, &out, WriteFn, FlushFn);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), layout.depth, layout.colorType,
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!layout.palette.empty())
    png_set_PLTE(png, info, layout.palette.data(), int(layout.palette.size()));
  if (!layout.trnsAlpha.empty())
    png_set_tRNS(png, info, layout.trnsAlpha.data(), int(layout.trnsAlpha.size()), nullptr);
  if (layout.trnsColour) {
    png_color_16 c{};
    c.red = c.green = c.blue = c.gray = 0;
    png_set_tRNS(png, info, nullptr, 0, &c);
  }
  png_write_info(png, info);
  std::vector<png_bytep> ptrs;
  for (auto& r : const_cast<std::vector<std::vector<png_byte>>&>(rows)) ptrs.push_back(r.data());
  png_write_image(png, ptrs.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

class ImageFiles : public ::testing::Test {
 protected:
  QString Save(const QString& name, const QByteArray& data) {
    const QString path = m_dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
    return path;
  }
  std::unique_ptr<TDDBitmap32> Load(const QString& name, const QByteArray& data) {
    auto b = std::make_unique<TDDBitmap32>();
    b->LoadFromFile(Save(name, data));
    return b;
  }
  QTemporaryDir m_dir;
};

// A BMP file: header, info header of the given size, optional extra (masks, palette), pixel data.
QByteArray MakeBmp(int w, int h, int bpp, int compression, const QByteArray& extra,
                   const QByteArray& pixels, int infoSize = 40) {
  QByteArray info(infoSize, '\0');
  auto put32 = [](QByteArray& a, int at, quint32 v) {
    for (int i = 0; i < 4; ++i) a[at + i] = char((v >> (8 * i)) & 0xFF);
  };
  auto put16 = [](QByteArray& a, int at, quint16 v) {
    a[at] = char(v & 0xFF);
    a[at + 1] = char(v >> 8);
  };
  put32(info, 0, quint32(infoSize));
  put32(info, 4, quint32(w));
  put32(info, 8, quint32(h));
  put16(info, 12, 1);
  put16(info, 14, quint16(bpp));
  put32(info, 16, quint32(compression));
  QByteArray head(14, '\0');
  head[0] = 'B';
  head[1] = 'M';
  const int off = 14 + infoSize + int(extra.size());
  put32(head, 2, quint32(off + pixels.size()));
  put32(head, 10, quint32(off));
  return head + info + extra + pixels;
}

QByteArray Le32(quint32 v) {
  QByteArray a(4, '\0');
  for (int i = 0; i < 4; ++i) a[i] = char((v >> (8 * i)) & 0xFF);
  return a;
}

}  // namespace

TEST_F(ImageFiles, PngAlphaComesOnlyFromColourTypesWithAnAlphaChannel) {
  // RGBA 8: alpha kept per pixel.
  {
    std::vector<std::vector<png_byte>> rows = {{10, 20, 30, 0, 40, 50, 60, 128}};
    auto b = Load(QStringLiteral("rgba.png"), MakePng(2, 1, {PNG_COLOR_TYPE_RGBA, 8}, rows));
    EXPECT_EQ(b->Pixel(0, 0), 0x000A141Eu);
    EXPECT_EQ(b->Pixel(1, 0), 0x8028323Cu);
  }
  // Grey + alpha 8.
  {
    std::vector<std::vector<png_byte>> rows = {{200, 17}};
    auto b = Load(QStringLiteral("ga.png"), MakePng(1, 1, {PNG_COLOR_TYPE_GA, 8}, rows));
    EXPECT_EQ(b->Pixel(0, 0), 0x11C8C8C8u);
  }
  // RGBA 16: samples scaled to 8 bits.
  {
    std::vector<std::vector<png_byte>> rows = {{0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x40, 0x00}};
    auto b = Load(QStringLiteral("rgba16.png"), MakePng(1, 1, {PNG_COLOR_TYPE_RGBA, 16}, rows));
    EXPECT_EQ(b->Pixel(0, 0) >> 24, 0x40u);
    EXPECT_EQ((b->Pixel(0, 0) >> 16) & 0xFF, 0xFFu);
  }
  // Grey + alpha 16.
  {
    std::vector<std::vector<png_byte>> rows = {{0x00, 0x00, 0xFF, 0xFF}};
    auto b = Load(QStringLiteral("ga16.png"), MakePng(1, 1, {PNG_COLOR_TYPE_GA, 16}, rows));
    EXPECT_EQ(b->Pixel(0, 0), 0xFF000000u);
  }
}

TEST_F(ImageFiles, PngWithoutAnAlphaChannelIsOpaqueEvenWithTransparencyChunks) {
  // RGB 8 with a tRNS colour equal to the first pixel.
  {
    PngLayout layout{PNG_COLOR_TYPE_RGB, 8};
    layout.trnsColour = true;
    std::vector<std::vector<png_byte>> rows = {{0, 0, 0, 1, 2, 3}};
    auto b = Load(QStringLiteral("rgb.png"), MakePng(2, 1, layout, rows));
    EXPECT_EQ(b->Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(b->Pixel(1, 0), 0xFF010203u);
  }
  // Palette 8 with palette transparency.
  {
    PngLayout layout{PNG_COLOR_TYPE_PALETTE, 8};
    layout.palette = {{255, 0, 0}, {0, 0, 255}};
    layout.trnsAlpha = {0, 77};
    std::vector<std::vector<png_byte>> rows = {{0, 1}};
    auto b = Load(QStringLiteral("pal8.png"), MakePng(2, 1, layout, rows));
    EXPECT_EQ(b->Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(b->Pixel(1, 0), 0xFF0000FFu);
  }
  // Palette 1, 2 and 4 bits.
  for (int depth : {1, 2, 4}) {
    PngLayout layout{PNG_COLOR_TYPE_PALETTE, depth};
    layout.palette = {{1, 2, 3}, {4, 5, 6}};
    // Pixels 0, 1 packed from the high bits.
    std::vector<std::vector<png_byte>> rows = {{png_byte(1 << (8 - 2 * depth))}};
    auto b = Load(QStringLiteral("pal%1.png").arg(depth), MakePng(2, 1, layout, rows));
    EXPECT_EQ(b->Pixel(0, 0), 0xFF010203u) << depth;
    EXPECT_EQ(b->Pixel(1, 0), 0xFF040506u) << depth;
  }
  // Grey 1, 2, 4, 8 and 16 bits: full scale is white.
  for (int depth : {1, 2, 4, 8}) {
    PngLayout layout{PNG_COLOR_TYPE_GRAY, depth};
    const png_byte top = png_byte(((1 << depth) - 1) << (8 - depth));
    std::vector<std::vector<png_byte>> rows = {{top}};
    auto b = Load(QStringLiteral("grey%1.png").arg(depth), MakePng(1, 1, layout, rows));
    EXPECT_EQ(b->Pixel(0, 0), 0xFFFFFFFFu) << depth;
  }
  {
    PngLayout layout{PNG_COLOR_TYPE_GRAY, 16};
    layout.trnsColour = true;
    std::vector<std::vector<png_byte>> rows = {{0, 0}};
    auto b = Load(QStringLiteral("grey16.png"), MakePng(1, 1, layout, rows));
    EXPECT_EQ(b->Pixel(0, 0), 0xFF000000u);
  }
  // RGB 16.
  {
    std::vector<std::vector<png_byte>> rows = {{0x12, 0x00, 0x34, 0x00, 0x56, 0x00}};
    auto b = Load(QStringLiteral("rgb16.png"), MakePng(1, 1, {PNG_COLOR_TYPE_RGB, 16}, rows));
    EXPECT_EQ(b->Pixel(0, 0), 0xFF123456u);
  }
}

TEST_F(ImageFiles, InterlacedPngAndUpperCaseExtension) {
  PngLayout layout{PNG_COLOR_TYPE_RGBA, 8, true};
  std::vector<std::vector<png_byte>> rows;
  for (int y = 0; y < 9; ++y) {
    std::vector<png_byte> r;
    for (int x = 0; x < 9; ++x) r.insert(r.end(), {png_byte(x), png_byte(y), 0, png_byte(x * y)});
    rows.push_back(r);
  }
  auto b = Load(QStringLiteral("inter.PNG"), MakePng(9, 9, layout, rows));
  ASSERT_EQ(b->Width(), 9);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x)
      ASSERT_EQ(b->Pixel(x, y), TColor32(x * y) << 24 | TColor32(x) << 16 | TColor32(y) << 8);
}

TEST_F(ImageFiles, BrokenFilesRaiseButStillNotifyAndCloseTheBracket) {
  std::vector<std::vector<png_byte>> rows = {{1, 2, 3, 4}};
  QByteArray png = MakePng(1, 1, {PNG_COLOR_TYPE_RGBA, 8}, rows);
  const QString cut = Save(QStringLiteral("cut.png"), png.left(png.size() - 20));
  TDDBitmap32 b(2, 2);
  int changes = 0;
  b.OnChange = [&](TDDNotifiablePersistent*) { ++changes; };
  EXPECT_THROW(b.LoadFromFile(cut), EDDError);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.UpdateCount(), 0);
  EXPECT_THROW(b.LoadFromFile(Save(QStringLiteral("junk.png"), "not an image at all")), EDDError);
  EXPECT_THROW(b.LoadFromFile(Save(QStringLiteral("junk.bmp"), "BMxx")), EDDError);
  try {
    b.LoadFromFile(m_dir.filePath(QStringLiteral("missing.bmp")));
    FAIL();
  } catch (const EDDError& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot open file"), std::string::npos);
  }
  // A header that promises more pixels than the file holds.
  const QByteArray shortBmp = MakeBmp(100, 100, 24, 0, {}, QByteArray(30, '\x10'));
  EXPECT_THROW(b.LoadFromFile(Save(QStringLiteral("short.bmp"), shortBmp)), EDDError);
  EXPECT_EQ(b.UpdateCount(), 0);
}

TEST_F(ImageFiles, Bmp24IsOpaqueAndBottomUp) {
  // 2 x 2, rows stored bottom first, each padded to 8 bytes.
  QByteArray px;
  px += QByteArray("\x01\x02\x03\x04\x05\x06\0\0", 8);  // bottom row
  px += QByteArray("\x0A\x0B\x0C\x0D\x0E\x0F\0\0", 8);  // top row
  auto b = Load(QStringLiteral("a.bmp"), MakeBmp(2, 2, 24, 0, {}, px));
  EXPECT_EQ(b->Pixel(0, 0), 0xFF0C0B0Au);
  EXPECT_EQ(b->Pixel(1, 1), 0xFF060504u);
}

TEST_F(ImageFiles, Bmp32KeepsItsAlphaBytes) {
  QByteArray px = Le32(0x11223344u) + Le32(0x00FFFFFFu);
  auto b = Load(QStringLiteral("b.bmp"), MakeBmp(2, -1, 32, 0, {}, px));
  EXPECT_EQ(b->Pixel(0, 0), 0x11223344u);
  EXPECT_EQ(b->Pixel(1, 0), 0x00FFFFFFu);
  // A V5 header with bit fields that include alpha.
  QByteArray v5 = MakeBmp(1, 1, 32, 3, {}, Le32(0x7F010203u), 124);
  for (int i = 0; i < 4; ++i) {
    const quint32 m[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
    v5.replace(14 + 40 + 4 * i, 4, Le32(m[i]));
  }
  auto c = Load(QStringLiteral("v5.bmp"), v5);
  EXPECT_EQ(c->Pixel(0, 0), 0x7F010203u);
}

TEST_F(ImageFiles, PaletteAndSixteenBitBmpsAreOpaque) {
  QByteArray pal = Le32(0x00FF0000u) + Le32(0x0000FF00u);
  // 8 bit: indexes 1, 0 (row padded to 4 bytes).
  auto b8 = Load(QStringLiteral("p8.bmp"), MakeBmp(2, 1, 8, 0, pal, QByteArray("\x01\x00\0\0", 4)));
  EXPECT_EQ(b8->Pixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(b8->Pixel(1, 0), 0xFFFF0000u);
  // 4 bit and 1 bit.
  auto b4 = Load(QStringLiteral("p4.bmp"), MakeBmp(2, 1, 4, 0, pal, QByteArray("\x10\0\0\0", 4)));
  EXPECT_EQ(b4->Pixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(b4->Pixel(1, 0), 0xFFFF0000u);
  auto b1 = Load(QStringLiteral("p1.bmp"), MakeBmp(3, 1, 1, 0, pal, QByteArray("\xA0\0\0\0", 4)));
  EXPECT_EQ(b1->Pixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(b1->Pixel(1, 0), 0xFFFF0000u);
  EXPECT_EQ(b1->Pixel(2, 0), 0xFF00FF00u);
  // RLE8: a run of three index-1 pixels, end of bitmap.
  auto rle =
      Load(QStringLiteral("rle.bmp"), MakeBmp(3, 1, 8, 1, pal, QByteArray("\x03\x01\x00\x01", 4)));
  EXPECT_EQ(rle->Pixel(2, 0), 0xFF00FF00u);
  // 16 bit 5-6-5 through bit fields: pure red.
  QByteArray masks = Le32(0xF800) + Le32(0x07E0) + Le32(0x001F);
  auto b16 =
      Load(QStringLiteral("565.bmp"), MakeBmp(1, 1, 16, 3, masks, QByteArray("\x00\xF8\0\0", 4)));
  EXPECT_EQ(b16->Pixel(0, 0), 0xFFFF0000u);
}
