#include "ddvcl/BitmapBlend.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "ddvcl/Blend.h"
#include "ddvcl/TDDBitmap32.h"

namespace vireo::blend {

void BlendRect(TDDBitmap32& dst, const TRect& dstRect, const TDDBitmap32& src, int srcX, int srcY,
               int master) {
  const int count = dstRect.Width();
  if (count <= 0) return;
  for (int y = dstRect.Top; y < dstRect.Bottom; ++y) {
    const TColor32* s = src.ScanLine(srcY + y - dstRect.Top) + srcX;
    TColor32* d = dst.ScanLine(y) + dstRect.Left;
    if (master == 255)
      BlendRow(s, d, count);
    else
      BlendRowMaster(s, d, count, master);
  }
}

void TransferRect(TDDBitmap32& dst, int dstX, int dstY, const TRect& dstClipIn,
                  const TDDBitmap32& src, const TRect& srcRectIn, int master) {
  if (src.Empty() || dst.Empty() || master <= 0) return;
  const int ox = srcRectIn.Left, oy = srcRectIn.Top;
  const TRect dstClip = Intersect(dstClipIn, dst.BoundsRect());
  const TRect srcRect = Intersect(srcRectIn, src.BoundsRect());
  const TRect r = Intersect(srcRect.Offset(dstX - ox, dstY - oy), dstClip);
  if (r.IsEmpty()) return;
  BlendRect(dst, r, src, r.Left + ox - dstX, r.Top + oy - dstY, std::min(master, 255));
}

int StretchMap(int i, int clipStart, int dstStart, int dstLength, int srcStart, int srcEnd) {
  if (dstLength < 2) return (srcStart + srcEnd - 1) / 2;
  // The factor is rounded to single precision; the product and the sum are exact (a double holds
  // them without loss), so a column just short of a whole source column is not rounded up to it.
  const float f = float(srcEnd - srcStart) / float(dstLength);
  const int m = int(double(i + clipStart - dstStart) * double(f) + double(srcStart));
  return std::clamp(m, srcStart, srcEnd - 1);
}

void StretchRect(TDDBitmap32& dst, const TRect& dstRect, const TRect& dstClip, int master,
                 const TRect& srcRect, const TDDBitmap32& src) {
  const TRect clip = Intersect(Intersect(dstClip, dstRect), dst.BoundsRect());
  if (clip.IsEmpty() || srcRect.IsEmpty() || master <= 0) return;
  const int w = clip.Width();
  std::vector<int> cols(static_cast<std::size_t>(w));
  for (int i = 0; i < w; ++i)
    cols[std::size_t(i)] =
        StretchMap(i, clip.Left, dstRect.Left, dstRect.Width(), srcRect.Left, srcRect.Right);
  int lastRow = -1;
  TArrayOfColor32 row(static_cast<std::size_t>(w));
  for (int j = 0; j < clip.Height(); ++j) {
    const int sy =
        StretchMap(j, clip.Top, dstRect.Top, dstRect.Height(), srcRect.Top, srcRect.Bottom);
    TColor32* d = dst.ScanLine(clip.Top + j) + clip.Left;
    if (master >= 255) {
      if (sy == lastRow) {
        std::memcpy(d, dst.ScanLine(clip.Top + j - 1) + clip.Left, std::size_t(w) * 4);
      } else {
        const TColor32* s = src.ScanLine(sy);
        for (int i = 0; i < w; ++i) d[i] = s[cols[std::size_t(i)]];
      }
    } else {
      if (sy != lastRow) {
        const TColor32* s = src.ScanLine(sy);
        for (int i = 0; i < w; ++i) row[std::size_t(i)] = s[cols[std::size_t(i)]];
      }
      BlendRowMaster(row.data(), d, w, master);
    }
    lastRow = sy;
  }
}

}  // namespace vireo::blend
