#pragma once

#include <QImage>
#include <cmath>
#include <vector>

#include "ddvcl/TRect.h"

namespace vireo {

class TDDBitmap32;

// How skin pixels become screen pixels on a window whose device pixel ratio is not 1.
//
// A window is composed on a canvas at one art scale S (1, 1.5 or 2 pixels per skin pixel: the
// scale of the frame's best image for the screen), every rule still in skin pixels; the canvas
// is then resampled once, uniformly, to device pixels. Each widget resamples only its own block,
// but every device pixel is computed from absolute canvas coordinates, so a block and the whole
// window give the same pixel: no seam where a control meets the frame, no jitter between tiles.
// Pure arithmetic; any thread.
class TSkinScale {
 public:
  // The art scales a skin may ship beside its 100 % images ("name@1.5x.png", "name@2x.png").
  static constexpr double kArtScales[] = {1.5, 2.0};

  // The canvas pixel where skin coordinate v starts at scale s. Every edge goes through here,
  // so two pieces that meet in skin pixels meet on the canvas too.
  static int ToPixel(double s, int v) { return s == 1.0 ? v : int(std::floor(v * s + 0.5)); }
  static TRect ToPixels(double s, const TRect& r) {
    return {ToPixel(s, r.Left), ToPixel(s, r.Top), ToPixel(s, r.Right), ToPixel(s, r.Bottom)};
  }

  // The art to draw at device pixel ratio dpr: the smallest scale at or above it, else the
  // largest there is (then the canvas is enlarged, as a skin without high-resolution art always
  // was). available holds 1 and the scales of the variants.
  static double PickArtScale(const std::vector<double>& available, double dpr);

  // The device pixels a skin-pixel span [v0, v1) touches at dpr: [first, last).
  static int DeviceFloor(double dpr, int v) { return int(std::floor(v * dpr + 1e-9)); }
  static int DeviceCeil(double dpr, int v) { return int(std::ceil(v * dpr - 1e-9)); }

  // The canvas pixels device pixels [d0, d1) are made from, canvas at scale s, screen at dpr.
  static void CanvasSpan(double s, double dpr, int d0, int d1, int& c0, int& c1);

  // Device pixels [dx0, dx0 + w) x [dy0, dy0 + h) from a canvas whose pixel (0, 0) is the
  // absolute canvas pixel (cx0, cy0). Reduced with an area average (colours weighted by their
  // alpha), enlarged by nearest neighbour, copied at equal scales. Canvas pixels outside the
  // canvas repeat its edge.
  static QImage Resample(const TDDBitmap32& canvas, int cx0, int cy0, double s, double dpr,
                         int dx0, int dy0, int w, int h);

  // A whole image at another scale by the same rules (a sprite sheet with no art of its own at
  // the canvas scale): reduced by area average, enlarged by nearest neighbour.
  static void Rescale(const TDDBitmap32& from, double fromScale, TDDBitmap32& to, double toScale);
};

}  // namespace vireo
