#include "ddvcl/TSkinScale.h"

#include <algorithm>

#include "ddvcl/TDDBitmap32.h"

namespace vireo {

namespace {

// The canvas columns (or rows) one device column is made of, with their shares of it.
struct Taps {
  std::vector<int> first;      // per device pixel: index into index/weight
  std::vector<int> index;      // canvas pixel, relative to the canvas, clamped to its edge
  std::vector<float> weight;   // share of the device pixel, summing to 1
};

// ratio = canvas pixels per device pixel. Absolute device pixel d covers the absolute canvas
// span [d * ratio, (d + 1) * ratio); reduction averages it, enlargement takes its centre.
Taps MakeTaps(double ratio, int d0, int count, int c0, int canvasSize) {
  Taps t;
  t.first.reserve(std::size_t(count) + 1);
  auto clampIndex = [&](int c) { return std::clamp(c - c0, 0, std::max(canvasSize - 1, 0)); };
  for (int i = 0; i < count; ++i) {
    t.first.push_back(int(t.index.size()));
    const int d = d0 + i;
    if (std::abs(ratio - 1.0) < 1e-9) {
      t.index.push_back(clampIndex(d));
      t.weight.push_back(1.0f);
    } else if (ratio < 1.0) {
      t.index.push_back(clampIndex(int(std::floor((d + 0.5) * ratio))));
      t.weight.push_back(1.0f);
    } else {
      const double a = d * ratio, b = (d + 1) * ratio;
      for (int c = int(std::floor(a)); c < b; ++c) {
        const double share = (std::min<double>(c + 1, b) - std::max<double>(c, a)) / ratio;
        if (share <= 1e-9) continue;
        t.index.push_back(clampIndex(c));
        t.weight.push_back(float(share));
      }
    }
  }
  t.first.push_back(int(t.index.size()));
  return t;
}

// opaqueOut: the result goes to the screen (alpha 255, as the plain copies of the 100 % path
// show colour bytes whatever their alpha); otherwise straight alpha is kept.
void Apply(const TDDBitmap32& canvas, const Taps& tx, const Taps& ty, int w, int h,
           TColor32* out, int outStride, bool opaqueOut) {
  for (int j = 0; j < h; ++j) {
    TColor32* row = out + std::size_t(j) * std::size_t(outStride);
    for (int i = 0; i < w; ++i) {
      float a = 0, r = 0, g = 0, b = 0, ur = 0, ug = 0, ub = 0;
      for (int q = ty.first[j]; q < ty.first[j + 1]; ++q) {
        const TColor32* srow = canvas.ScanLine(ty.index[q]);
        for (int k = tx.first[i]; k < tx.first[i + 1]; ++k) {
          const float wgt = ty.weight[q] * tx.weight[k];
          const TColor32 p = srow[tx.index[k]];
          const float pa = float(p >> 24), pr = float((p >> 16) & 0xFF),
                      pg = float((p >> 8) & 0xFF), pb = float(p & 0xFF);
          a += wgt * pa;
          r += wgt * pa * pr;
          g += wgt * pa * pg;
          b += wgt * pa * pb;
          ur += wgt * pr;
          ug += wgt * pg;
          ub += wgt * pb;
        }
      }
      // Colours weighted by alpha, so a transparent neighbour does not darken an edge; where
      // nothing is opaque the colour bytes still average as they are.
      if (a > 0.001f) {
        r /= a;
        g /= a;
        b /= a;
      } else {
        r = ur;
        g = ug;
        b = ub;
      }
      auto byte = [](float v) { return TColor32(std::clamp(int(v + 0.5f), 0, 255)); };
      const TColor32 alpha = opaqueOut ? 255u : byte(a);
      row[i] = (alpha << 24) | (byte(r) << 16) | (byte(g) << 8) | byte(b);
    }
  }
}

}  // namespace

double TSkinScale::PickArtScale(const std::vector<double>& available, double dpr) {
  double best = 0, largest = 1;
  for (const double s : available) {
    largest = std::max(largest, s);
    if (s >= dpr - 1e-6 && (best == 0 || s < best)) best = s;
  }
  return best > 0 ? best : largest;
}

void TSkinScale::CanvasSpan(double s, double dpr, int d0, int d1, int& c0, int& c1) {
  const double ratio = s / dpr;
  if (std::abs(ratio - 1.0) < 1e-9) {
    c0 = d0;
    c1 = d1;
  } else if (ratio < 1.0) {
    c0 = int(std::floor((d0 + 0.5) * ratio));
    c1 = int(std::floor((d1 - 0.5) * ratio)) + 1;
  } else {
    c0 = int(std::floor(d0 * ratio));
    c1 = int(std::ceil(d1 * ratio - 1e-9));
  }
  if (c1 < c0) c1 = c0;
}

QImage TSkinScale::Resample(const TDDBitmap32& canvas, int cx0, int cy0, double s, double dpr,
                            int dx0, int dy0, int w, int h) {
  if (w <= 0 || h <= 0 || canvas.Empty()) return QImage();
  QImage out(w, h, QImage::Format_RGB32);
  if (out.isNull()) return out;
  const double ratio = s / dpr;
  const Taps tx = MakeTaps(ratio, dx0, w, cx0, canvas.Width());
  const Taps ty = MakeTaps(ratio, dy0, h, cy0, canvas.Height());
  Apply(canvas, tx, ty, w, h, reinterpret_cast<TColor32*>(out.bits()),
        int(out.bytesPerLine() / 4), true);
  return out;
}

void TSkinScale::Rescale(const TDDBitmap32& from, double fromScale, TDDBitmap32& to,
                         double toScale) {
  const double k = toScale / fromScale;
  const int w = int(std::floor(from.Width() * k + 0.5)), h = int(std::floor(from.Height() * k + 0.5));
  to.SetSize(w, h);
  if (to.Empty() || from.Empty()) return;
  const double ratio = fromScale / toScale;
  const Taps tx = MakeTaps(ratio, 0, w, 0, from.Width());
  const Taps ty = MakeTaps(ratio, 0, h, 0, from.Height());
  Apply(from, tx, ty, w, h, to.Bits(), w, false);
}

}  // namespace vireo
