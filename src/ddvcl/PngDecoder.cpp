#include <png.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ddvcl/EDDError.h"
#include "ddvcl/ImageDecoders.h"
#include "ddvcl/TSkinScale.h"
#include "base/Logging.h"

namespace vireo {

namespace {

struct ReadState {
  const unsigned char* data;
  std::size_t size;
  std::size_t pos;
  char error[256];
  std::uint64_t idatBytes;  // compressed image data in the file
};

// Deflate turns one byte into at most 1032 (a 258-byte match costs at least two bits).
constexpr std::uint64_t kMaxInflateRatio = 1032;

// The bytes of every IDAT chunk, counted before anything is decoded; a chunk that runs past the
// end counts only what is there.
std::uint64_t IdatBytes(const unsigned char* data, std::size_t size) {
  std::uint64_t total = 0;
  std::size_t at = 8;
  while (at < size && size - at >= 8) {
    const std::uint64_t length = std::uint64_t(data[at]) << 24 | std::uint64_t(data[at + 1]) << 16 |
                                 std::uint64_t(data[at + 2]) << 8 | data[at + 3];
    const bool idat = std::memcmp(data + at + 4, "IDAT", 4) == 0;
    const std::uint64_t left = size - at - 8;
    if (idat) total += std::min(length, left);
    if (length + 4 > left) break;
    at += std::size_t(length) + 12;
  }
  return total;
}

void ReadFn(png_structp png, png_bytep out, png_size_t length) {
  auto* st = static_cast<ReadState*>(png_get_io_ptr(png));
  if (length > st->size - st->pos) png_error(png, "PNG file is truncated");
  std::memcpy(out, st->data + st->pos, length);
  st->pos += length;
}

void ErrorFn(png_structp png, png_const_charp message) {
  auto* st = static_cast<ReadState*>(png_get_error_ptr(png));
  std::snprintf(st->error, sizeof st->error, "%s", message ? message : "PNG error");
  png_longjmp(png, 1);
}

void WarningFn(png_structp, png_const_charp) {}

// Kept free of C++ objects with destructors: libpng leaves through longjmp.
bool Decode(ReadState& st, int& width, int& height, int& colorType, TArrayOfColor32& out,
            std::vector<png_bytep>& rows) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &st, ErrorFn, WarningFn);
  if (!png) {
    std::snprintf(st.error, sizeof st.error, "Out of memory");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    std::snprintf(st.error, sizeof st.error, "Out of memory");
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &st, ReadFn);
  png_set_user_limits(png, 16384, 16384);
  png_read_info(png, info);
  width = int(png_get_image_width(png, info));
  height = int(png_get_image_height(png, info));
  colorType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (depth == 16) png_set_scale_16(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  // The claimed size must be sane for a skin image and within what the compressed data can
  // inflate to, before any pixel memory is taken. Interlaced rows are counted as plain ones:
  // their passes only add filter bytes.
  if (std::uint64_t(width) * std::uint64_t(height) > std::uint64_t(kMaxImagePixels))
    png_error(png, "PNG image is too large");
  const std::uint64_t bitsPerRow = std::uint64_t(width) * png_get_channels(png, info) * depth;
  const std::uint64_t raw = std::uint64_t(height) * (1 + (bitsPerRow + 7) / 8);
  if (raw > st.idatBytes * kMaxInflateRatio + 1024) png_error(png, "PNG file is truncated");
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != png_size_t(width) * 4)
    png_error(png, "Unsupported PNG layout");
  // Straight into the pixels: little-endian memory order B, G, R, A is exactly a TColor32.
  out.resize(std::size_t(width) * std::size_t(height));
  rows.resize(std::size_t(height));
  for (int y = 0; y < height; ++y)
    rows[std::size_t(y)] = reinterpret_cast<png_bytep>(out.data() + std::size_t(y) * width);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

TDecodedImage DecodePng(const QByteArray& data) {
  ReadState st{reinterpret_cast<const unsigned char*>(data.constData()),
               std::size_t(data.size()),
               0,
               {0},
               0};
  if (data.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(data.constData()), 0, 8))
    throw EDDError("Not a PNG file");
  st.idatBytes = IdatBytes(st.data, st.size);
  int width = 0, height = 0, colorType = 0;
  TDecodedImage img;
  std::vector<png_bytep> rows;
  if (!Decode(st, width, height, colorType, img.Pixels, rows)) throw EDDError(st.error);
  img.Width = width;
  img.Height = height;
  img.HasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
  if (!img.HasAlpha)
    for (TColor32& p : img.Pixels) p |= 0xFF000000u;
  return img;
}

TDecodedImage DecodeImageFile(const QString& fileName) {
  const QByteArray bytes = ReadImageFile(fileName);
  if (QFileInfo(fileName).suffix().compare(QLatin1StringView("png"), Qt::CaseInsensitive) == 0)
    return DecodePng(bytes);
  return DecodeBmp(bytes);
}

QString SkinImageVariantPath(const QString& fileName, double scale) {
  const QString tag = u'@' + QString::number(scale) + u'x';
  const QString suffix = QFileInfo(fileName).suffix();
  if (suffix.isEmpty()) return fileName + tag;
  return fileName.left(fileName.size() - suffix.size() - 1) + tag + u'.' + suffix;
}

TDecodedImage DecodeSkinImage(const QString& fileName) {
  TDecodedImage img = DecodeImageFile(fileName);
  for (const double scale : TSkinScale::kArtScales) {
    const QString path = SkinImageVariantPath(fileName, scale);
    if (!QFileInfo::exists(path)) continue;
    try {
      TDecodedImage art = DecodeImageFile(path);
      if (art.Width != TSkinScale::ToPixel(scale, img.Width) ||
          art.Height != TSkinScale::ToPixel(scale, img.Height)) {
        qCInfo(lcDdvcl) << "skin art" << path << "is" << art.Width << "x" << art.Height
                        << "instead of" << TSkinScale::ToPixel(scale, img.Width) << "x"
                        << TSkinScale::ToPixel(scale, img.Height) << "; left out";
        continue;
      }
      img.VariantScales.push_back(scale);
      img.Variants.push_back(std::move(art));
    } catch (const std::exception& e) {
      qCInfo(lcDdvcl) << "skin art" << path << "cannot be read:" << e.what();
    }
  }
  return img;
}

QByteArray ReadImageFile(const QString& fileName) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    throw EDDError("Cannot open file \"" + fileName.toStdString() + "\"");
  return f.readAll();
}

}  // namespace vireo
