#include "ddvcl/Blend.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define VIREO_BLEND_SSE2 1
#endif

namespace vireo::blend {

void BlendRowScalar(const TColor32* src, TColor32* dst, int count) {
  for (int i = 0; i < count; ++i) dst[i] = BlendPixel(src[i], dst[i]);
}

void BlendRowMasterScalar(const TColor32* src, TColor32* dst, int count, int master) {
  if (count <= 0) return;
  const std::uint32_t m = std::uint32_t(std::clamp(master, 0, 255));
  for (int i = 0; i < count; ++i) dst[i] = BlendPixelMaster(src[i], dst[i], m);
}

#if VIREO_BLEND_SSE2

namespace {

// Four pixels at a time, each widened to four 16-bit lanes. Every intermediate fits in an unsigned
// 16-bit lane: s*w + d*(256-w) + 128 <= 255*256 + 128.
inline __m128i Mix(__m128i s16, __m128i d16, __m128i w16, __m128i inv16, __m128i round) {
  __m128i r = _mm_add_epi16(_mm_mullo_epi16(s16, w16), _mm_mullo_epi16(d16, inv16));
  return _mm_srli_epi16(_mm_add_epi16(r, round), 8);
}

inline __m128i BroadcastAlpha(__m128i px16) {
  px16 = _mm_shufflelo_epi16(px16, _MM_SHUFFLE(3, 3, 3, 3));
  return _mm_shufflehi_epi16(px16, _MM_SHUFFLE(3, 3, 3, 3));
}

}  // namespace

static void BlendRowSse2(const TColor32* src, TColor32* dst, int count) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i k256 = _mm_set1_epi16(256);
  const __m128i round = _mm_set1_epi16(128);
  const __m128i opaque = _mm_set1_epi32(255);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i alpha = _mm_srli_epi32(s, 24);
    const int transparent = _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, zero));
    if (transparent == 0xFFFF) continue;  // nothing to draw here
    const __m128i full = _mm_cmpeq_epi32(alpha, opaque);
    if (_mm_movemask_epi8(full) == 0xFFFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
      continue;
    }
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i slo = _mm_unpacklo_epi8(s, zero), shi = _mm_unpackhi_epi8(s, zero);
    const __m128i dlo = _mm_unpacklo_epi8(d, zero), dhi = _mm_unpackhi_epi8(d, zero);
    const __m128i alo = BroadcastAlpha(slo), ahi = BroadcastAlpha(shi);
    const __m128i lo = Mix(slo, dlo, alo, _mm_sub_epi16(k256, alo), round);
    const __m128i hi = Mix(shi, dhi, ahi, _mm_sub_epi16(k256, ahi), round);
    const __m128i mixed = _mm_packus_epi16(lo, hi);
    // Alpha 0 already gives d back from the formula; alpha 255 takes the source unchanged.
    const __m128i out = _mm_or_si128(_mm_and_si128(full, s), _mm_andnot_si128(full, mixed));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
  }
  BlendRowScalar(src + i, dst + i, count - i);
}

static void BlendRowMasterSse2(const TColor32* src, TColor32* dst, int count, int master) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i k256 = _mm_set1_epi16(256);
  const __m128i one = _mm_set1_epi16(1);
  const __m128i round = _mm_set1_epi16(128);
  const __m128i m16 = _mm_set1_epi16(short(std::clamp(master, 0, 255)));
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(s, 24), zero)) == 0xFFFF) continue;
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i slo = _mm_unpacklo_epi8(s, zero), shi = _mm_unpackhi_epi8(s, zero);
    const __m128i dlo = _mm_unpacklo_epi8(d, zero), dhi = _mm_unpackhi_epi8(d, zero);
    // w = ((A + 1) * M) >> 8; w = 0 (and so A = 0) leaves d as it is through the formula itself.
    const __m128i wlo =
        _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(BroadcastAlpha(slo), one), m16), 8);
    const __m128i whi =
        _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(BroadcastAlpha(shi), one), m16), 8);
    const __m128i lo = Mix(slo, dlo, wlo, _mm_sub_epi16(k256, wlo), round);
    const __m128i hi = Mix(shi, dhi, whi, _mm_sub_epi16(k256, whi), round);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(lo, hi));
  }
  BlendRowMasterScalar(src + i, dst + i, count - i, master);
}

void BlendRow(const TColor32* src, TColor32* dst, int count) {
  if (count > 0) BlendRowSse2(src, dst, count);
}
void BlendRowMaster(const TColor32* src, TColor32* dst, int count, int master) {
  if (count > 0) BlendRowMasterSse2(src, dst, count, master);
}
bool UsesSse2() {
  return true;
}

#else

void BlendRow(const TColor32* src, TColor32* dst, int count) {
  BlendRowScalar(src, dst, count);
}
void BlendRowMaster(const TColor32* src, TColor32* dst, int count, int master) {
  BlendRowMasterScalar(src, dst, count, master);
}
bool UsesSse2() {
  return false;
}

#endif

void FillLongword(TColor32* dst, std::size_t count, TColor32 value) {
  std::fill_n(dst, count, value);
}

}  // namespace vireo::blend
