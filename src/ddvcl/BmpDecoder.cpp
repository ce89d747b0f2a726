#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "ddvcl/EDDError.h"
#include "ddvcl/ImageDecoders.h"

namespace vireo {

namespace {

// An RLE code of two bytes sets at most 255 pixels; end-of-line and delta codes skip more, so
// the bound allows twice that, and small images always pass.
constexpr std::int64_t kRlePixelsPerByte = 256;
constexpr std::int64_t kRleFreePixels = 65536;

[[noreturn]] void Invalid() {
  throw EDDError("Bitmap image is not valid");
}

class Reader {
 public:
  explicit Reader(const QByteArray& d)
      : m_data(reinterpret_cast<const std::uint8_t*>(d.constData())),
        m_size(std::size_t(d.size())) {}
  std::uint32_t U32(std::size_t at) const {
    Need(at, 4);
    return std::uint32_t(m_data[at]) | std::uint32_t(m_data[at + 1]) << 8 |
           std::uint32_t(m_data[at + 2]) << 16 | std::uint32_t(m_data[at + 3]) << 24;
  }
  std::uint16_t U16(std::size_t at) const {
    Need(at, 2);
    return std::uint16_t(m_data[at] | m_data[at + 1] << 8);
  }
  std::uint8_t U8(std::size_t at) const {
    Need(at, 1);
    return m_data[at];
  }
  void Need(std::size_t at, std::size_t n) const {
    if (at > m_size || n > m_size - at) Invalid();
  }
  std::size_t Size() const { return m_size; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
};

// Scales a masked channel to 0..255.
std::uint32_t Channel(std::uint32_t value, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  std::uint32_t v = (value & mask) >> shift;
  if (bits >= 8) return v >> (bits - 8);
  const std::uint32_t max = (1u << bits) - 1;
  return (v * 255 + max / 2) / max;
}

void DecodeRle(const Reader& r, std::size_t at, int bpp, int width, int height, bool topDown,
               std::vector<std::uint8_t>& idx) {
  idx.assign(std::size_t(width) * std::size_t(height), 0);
  int x = 0, y = 0;
  auto put = [&](std::uint8_t v) {
    if (x < width && y < height) {
      const int row = topDown ? y : height - 1 - y;
      idx[std::size_t(row) * std::size_t(width) + std::size_t(x)] = v;
    }
    ++x;
  };
  while (at + 1 < r.Size() && y < height) {
    const std::uint8_t n = r.U8(at), c = r.U8(at + 1);
    at += 2;
    if (n > 0) {
      for (int i = 0; i < n; ++i) put(bpp == 8 ? c : (i % 2 == 0 ? c >> 4 : c & 0x0F));
    } else if (c == 0) {
      x = 0;
      ++y;
    } else if (c == 1) {
      break;
    } else if (c == 2) {
      x += r.U8(at);
      y += r.U8(at + 1);
      at += 2;
    } else {
      const int bytes = bpp == 8 ? c : (c + 1) / 2;
      for (int i = 0; i < c; ++i) {
        const std::uint8_t b = r.U8(at + std::size_t(bpp == 8 ? i : i / 2));
        put(bpp == 8 ? b : (i % 2 == 0 ? b >> 4 : b & 0x0F));
      }
      at += std::size_t((bytes + 1) & ~1);
    }
  }
}

}  // namespace

TDecodedImage DecodeBmp(const QByteArray& data) {
  const Reader r(data);
  if (data.size() < 26 || data[0] != 'B' || data[1] != 'M') Invalid();
  const std::size_t offBits = r.U32(10);
  const std::uint32_t hdr = r.U32(14);
  std::int64_t width = 0, height = 0;
  int bpp = 0;
  std::uint32_t compression = 0, clrUsed = 0;
  std::uint32_t masks[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0};
  bool haveMasks = false;
  std::size_t paletteAt = 14 + hdr;
  int paletteEntry = 4;
  if (hdr == 12) {
    width = r.U16(18);
    height = std::int16_t(r.U16(20));
    bpp = r.U16(24);
    paletteEntry = 3;
  } else if (hdr >= 40 && hdr <= 124) {
    width = std::int32_t(r.U32(18));
    height = std::int32_t(r.U32(22));
    bpp = r.U16(28);
    compression = r.U32(30);
    clrUsed = r.U32(46);
    if (compression == 3 || compression == 6) {
      haveMasks = true;
      const std::size_t m = hdr >= 52 ? 54 : 14 + hdr;
      masks[0] = r.U32(m);
      masks[1] = r.U32(m + 4);
      masks[2] = r.U32(m + 8);
      if (compression == 6 || hdr >= 56) masks[3] = r.U32(m + 12);
      if (hdr < 52) paletteAt += compression == 6 ? 16 : 12;
    }
  } else {
    Invalid();
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width * height > kMaxImagePixels) Invalid();
  const bool rle = compression == 1 || compression == 2;
  if (!(compression == 0 || compression == 3 || compression == 6 ||
        (compression == 1 && bpp == 8) || (compression == 2 && bpp == 4)))
    Invalid();
  const int w = int(width), h = int(height);

  TDecodedImage img;
  img.Width = w;
  img.Height = h;
  img.HasAlpha = bpp == 32;
  // Pixel memory is taken only once the file is known to hold (or describe) every pixel.
  const auto allocate = [&] { img.Pixels.assign(std::size_t(w) * std::size_t(h), 0xFF000000u); };

  if (bpp <= 8) {
    if (bpp != 1 && bpp != 4 && bpp != 8) Invalid();
    std::uint32_t colours = clrUsed ? clrUsed : (1u << bpp);
    if (colours > 256) colours = 256;
    // Some writers count on the reader to stop where the pixels begin.
    if (offBits > paletteAt)
      colours = std::min<std::uint32_t>(
          colours, std::uint32_t((offBits - paletteAt) / std::size_t(paletteEntry)));
    TColor32 palette[256];
    for (TColor32& p : palette) p = 0xFF000000u;
    for (std::uint32_t i = 0; i < colours; ++i) {
      const std::size_t at = paletteAt + std::size_t(i) * std::size_t(paletteEntry);
      palette[i] = 0xFF000000u | std::uint32_t(r.U8(at + 2)) << 16 |
                   std::uint32_t(r.U8(at + 1)) << 8 | r.U8(at);
    }
    std::vector<std::uint8_t> idx;
    if (rle) {
      const std::int64_t codeBytes =
          offBits < r.Size() ? std::int64_t(r.Size() - offBits) : std::int64_t(0);
      if (width * height > kRleFreePixels + codeBytes * kRlePixelsPerByte) Invalid();
      DecodeRle(r, offBits, bpp, w, h, topDown, idx);
    } else {
      const std::size_t stride = ((std::size_t(w) * std::size_t(bpp) + 31) / 32) * 4;
      r.Need(offBits, stride * std::size_t(h - 1) + (std::size_t(w) * std::size_t(bpp) + 7) / 8);
      idx.resize(std::size_t(w) * std::size_t(h));
      for (int y = 0; y < h; ++y) {
        const std::size_t row = offBits + std::size_t(topDown ? y : h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
          const std::size_t bit = std::size_t(x) * std::size_t(bpp);
          const std::uint8_t byte = r.U8(row + bit / 8);
          const int shift = 8 - bpp - int(bit % 8);
          idx[std::size_t(y) * std::size_t(w) + std::size_t(x)] =
              std::uint8_t((byte >> shift) & ((1 << bpp) - 1));
        }
      }
    }
    allocate();
    for (std::size_t i = 0; i < idx.size(); ++i) img.Pixels[i] = palette[idx[i]];
    return img;
  }

  if (bpp != 16 && bpp != 24 && bpp != 32) Invalid();
  if (bpp == 16 && !haveMasks) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }
  const int bytesPer = bpp / 8;
  const std::size_t stride = ((std::size_t(w) * std::size_t(bpp) + 31) / 32) * 4;
  r.Need(offBits, stride * std::size_t(h - 1) + std::size_t(w) * std::size_t(bytesPer));
  allocate();
  const bool plain32 =
      bpp == 32 && (!haveMasks || (masks[0] == 0x00FF0000u && masks[1] == 0x0000FF00u &&
                                   masks[2] == 0x000000FFu));
  for (int y = 0; y < h; ++y) {
    const std::size_t row = offBits + std::size_t(topDown ? y : h - 1 - y) * stride;
    TColor32* out = img.Pixels.data() + std::size_t(y) * std::size_t(w);
    for (int x = 0; x < w; ++x) {
      const std::size_t at = row + std::size_t(x) * std::size_t(bytesPer);
      if (bpp == 24) {
        out[x] = 0xFF000000u | std::uint32_t(r.U8(at + 2)) << 16 |
                 std::uint32_t(r.U8(at + 1)) << 8 | r.U8(at);
      } else if (plain32) {
        // The fourth byte is kept as it stands: skins store their transparency there.
        out[x] = r.U32(at);
      } else {
        const std::uint32_t v = bpp == 16 ? r.U16(at) : r.U32(at);
        TColor32 p = Channel(v, masks[0]) << 16 | Channel(v, masks[1]) << 8 | Channel(v, masks[2]);
        const std::uint32_t a = bpp == 32 ? (masks[3] ? Channel(v, masks[3]) : 255u) : 255u;
        out[x] = p | a << 24;
      }
    }
  }
  return img;
}

}  // namespace vireo
