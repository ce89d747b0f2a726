#pragma once

#include <cstddef>

#include "ddvcl/Color32.h"

// The pixel arithmetic behind every skinned surface. A source pixel s with alpha A goes over a
// destination pixel d channel by channel (alpha included):
//   BlendRow:       A = 0 keeps d, A = 255 copies s, else d = (s*A + d*(256-A) + 128) >> 8
//   BlendRowMaster: w = ((A+1)*M) >> 8, w = 0 keeps d, else d = (s*w + d*(256-w) + 128) >> 8
// These exact results are what skins were drawn against, so every code path must produce them
// bit for bit. Row routines accept any Count; a negative one does nothing.
namespace vireo::blend {

void BlendRow(const TColor32* src, TColor32* dst, int count);
void BlendRowMaster(const TColor32* src, TColor32* dst, int count, int master);

// The plain one-pixel-at-a-time versions; the vector versions are checked against them.
void BlendRowScalar(const TColor32* src, TColor32* dst, int count);
void BlendRowMasterScalar(const TColor32* src, TColor32* dst, int count, int master);

// True when BlendRow/BlendRowMaster run on SSE2 (every x86-64 processor).
bool UsesSse2();

inline TColor32 BlendPixel(TColor32 s, TColor32 d) {
  const std::uint32_t a = s >> 24;
  if (a == 0) return d;
  if (a == 255) return s;
  const std::uint32_t na = 256 - a;
  TColor32 r = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
    r |= ((sc * a + dc * na + 128) >> 8) << shift;
  }
  return r;
}

inline TColor32 BlendPixelMaster(TColor32 s, TColor32 d, std::uint32_t master) {
  const std::uint32_t a = s >> 24;
  if (a == 0) return d;
  const std::uint32_t w = ((a + 1) * master) >> 8;
  if (w == 0) return d;
  const std::uint32_t nw = 256 - w;
  TColor32 r = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
    r |= ((sc * w + dc * nw + 128) >> 8) << shift;
  }
  return r;
}

// Stores value into count pixels.
void FillLongword(TColor32* dst, std::size_t count, TColor32 value);

}  // namespace vireo::blend
