#include "ddvcl/TDDVIS.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <exception>

#include <QPainter>

#include "ddvcl/TDDBitmapEx32.h"
#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TScaledBlock.h"
#include "ddvcl/TSkinScale.h"

namespace vireo {

namespace {

// Bar height of one bin: |value| x 500 in single precision, truncated, at most h. The single
// precision product matters: 0.01f x 500 rounds to exactly 5 and gives a 5-pixel bar. A bin that is
// not a number draws nothing rather than a full bar.
int BinHeight(float value, int h) {
  const float scaled = std::fabs(value) * 500.0f;
  if (std::isnan(scaled)) return 0;
  if (scaled >= float(h)) return h;
  return int(scaled);
}

}  // namespace

TDDVIS::TDDVIS(QWidget* parent) : TDDGraphicControlEx(parent) {}

void TDDVIS::SetTTFWidth(int value) {
  m_ttfWidth = std::min(value, kMaxTTFWidth);
}

void TDDVIS::SetData(const float* fft) {
  if (fft)
    std::memcpy(m_fft.data(), fft, sizeof(float) * m_fft.size());
  else
    m_fft.fill(0.0f);
  m_frameDue = true;
  // Hidden, the data is only stored: the next drawing takes it. Shown, the frame steps now and is
  // drawn only when a bar or a peak moved; a steady tone would otherwise send the same picture to
  // the X server twenty times a second.
  if (!isVisible()) return;
  if (Advance()) Paint();
}

void TDDVIS::ClearFft() {
  std::fill(m_fft.begin(), m_fft.begin() + kMaxBars, 0.0f);
}

void TDDVIS::SetBackgroundPiece(const TSpriteRect& piece) {
  ClearFft();
  m_background = piece;
  Paint();
}

void TDDVIS::LoadSprite(TDDBitmap32& sprite, const TSpriteRect& piece) {
  sprite.SetSize(piece.W, piece.H);
  if (sprite.Empty()) return;
  sprite.Clear(0);
  Image().BlendTo(sprite, 0, 0, piece.ToRect());
}

void TDDVIS::SetBarPiece(const TSpriteRect& piece) {
  m_barPiece = piece;
  LoadSprite(m_barSprite, piece);
  m_deviceDpr = 0.0;
}

void TDDVIS::SetPeakPiece(const TSpriteRect& piece) {
  m_peakPiece = piece;
  LoadSprite(m_peakSprite, piece);
  m_deviceDpr = 0.0;
}

bool TDDVIS::Advance() {
  m_frameDue = false;
  const int h = m_background.H;
  if (m_background.W <= 0 || h <= 0) return false;
  bool moved = false;
  for (int i = 0; i <= m_ttfWidth; ++i) {
    const std::size_t k = std::size_t(i);
    const int v = BinHeight(m_fft[k], h);
    const int wasPeak = m_peak[k], wasBar = m_bar[k];

    if (v >= m_peak[k]) {
      m_peak[k] = v;
      m_hold[k] = 0;
    } else {
      if (m_hold[k] < INT_MAX) ++m_hold[k];
      m_peakFallOff = m_hold[k] < 8 ? 0 : 3;
      m_peak[k] -= m_peakFallOff;
    }

    if (v >= m_bar[k])
      m_bar[k] = v;
    else
      m_bar[k] -= m_lineFallOff;

    if (m_bar[k] > m_peak[k]) m_peak[k] = m_bar[k];
    if (m_peak[k] < 0) m_peak[k] = 0;
    if (m_bar[k] < 0) m_bar[k] = 0;
    if (m_peak[k] != wasPeak || m_bar[k] != wasBar) moved = true;
  }
  return moved;
}

void TDDVIS::DrawFrame(TDDBitmap32& frame) {
  const int w = m_background.W, h = m_background.H;
  frame.SetSize(w, h);
  if (frame.Empty()) return;
  if (m_frameDue) Advance();
  frame.Clear(0);
  Image().BlendTo(frame, 0, 0, m_background.ToRect());

  const int barW = m_barSprite.Width(), barH = m_barSprite.Height();
  const int peakW = m_peakSprite.Width();
  const TRect peakRect = m_peakSprite.BoundsRect();
  for (int i = 0; i <= m_ttfWidth; ++i) {
    const std::size_t k = std::size_t(i);
    // The bar shows the sprite's rows from h - Bar downward. Under a drawn peak they land one row
    // lower than they come from, which leaves a one-pixel gap under a peak resting on its bar.
    const TRect barRows = TRect::FromSize(0, h - m_bar[k], barW, barH);
    if (m_drawPeak) {
      m_peakSprite.CopyRectTo(frame, i * (peakW + 1), h - m_peak[k], peakRect);
      m_barSprite.CopyRectTo(frame, i * (barW + 1), h - m_bar[k] + 1, barRows);
    } else {
      m_barSprite.CopyRectTo(frame, i * (barW + 1), h - m_bar[k], barRows);
    }
  }
}

void TDDVIS::Compose(TDDBitmap32& buffer) {
  TDDGraphicControlEx::Compose(buffer);
  // A frame that cannot be drawn (no memory for the bitmap) must not take the window with it:
  // the spectrum starts again from silence.
  try {
    TDDBitmap32 frame;
    DrawFrame(frame);
    frame.CopyRectTo(buffer, 0, 0, frame.BoundsRect());
  } catch (...) {
    ClearFft();
  }
}

void TDDVIS::DeviceSprite(const TSpriteRect& piece, double dpr, TDDBitmap32& out) const {
  const double s = TSkinScale::PickArtScale(Image().ArtScales(), dpr);
  TDDBitmap32 art;
  art.SetSize(TSkinScale::ToPixel(s, piece.W), TSkinScale::ToPixel(s, piece.H));
  if (art.Empty()) {
    out.SetSize(0, 0);
    return;
  }
  art.MakeCanvas(s, QPoint(0, 0), QPoint(0, 0), QSize(piece.W, piece.H));
  art.Clear(0);
  Image().BlendTo(art, 0, 0, piece.ToRect());
  TSkinScale::Rescale(art, s, out, dpr);
}

void TDDVIS::UpdateDeviceSprites(double dpr) {
  if (m_deviceDpr == dpr) return;
  DeviceSprite(m_barPiece, dpr, m_deviceBar);
  DeviceSprite(m_peakPiece, dpr, m_devicePeak);
  m_deviceDpr = dpr;
}

void TDDVIS::PaintScaled(QPainter& painter, double dpr) {
  const bool onForm = qobject_cast<const TDDFormEx*>(parentWidget()) != nullptr;
  TScaledBlock block(*this, dpr, TSkinScale::PickArtScale(Image().ArtScales(), dpr), !onForm);
  TDDBitmapEx32& canvas = block.Canvas();
  if (canvas.Empty()) return;
  TDDGraphicControlEx::Compose(canvas);
  const int w = m_background.W, h = m_background.H;
  if (w > 0 && h > 0) {
    if (m_frameDue) Advance();
    // As at 100 %, the frame replaces what is under it rather than blending over it.
    canvas.FillRect(0, 0, w, h, 0);
    Image().BlendTo(canvas, 0, 0, m_background.ToRect());
  }
  QImage device = block.DeviceImage();
  if (device.isNull()) return;
  if (w > 0 && h > 0) {
    UpdateDeviceSprites(dpr);
    const TDDBitmap32& bar = m_deviceBar;
    const TDDBitmap32& peak = m_devicePeak;
    const QPoint at = mapTo(window(), QPoint(0, 0));
    const QPoint org = block.DeviceOrigin();
    auto dx = [&](int v) { return TSkinScale::ToPixel(dpr, at.x() + v) - org.x(); };
    auto dy = [&](int v) { return TSkinScale::ToPixel(dpr, at.y() + v) - org.y(); };
    // The frame's own device pixels; nothing is drawn beyond them.
    const int clipL = std::max(0, dx(0)), clipR = std::min(device.width(), dx(w));
    const int clipT = std::max(0, dy(0)), clipB = std::min(device.height(), dy(h));
    // Copies sprite (at device pixels) into the skin rectangle [x, x + sw) x [y0, y1) of the
    // frame, the sprite's first row at skin row spriteTop; columns are spread over the device
    // width the rectangle gets.
    auto put = [&](const TDDBitmap32& sprite, int x, int sw, int y0, int y1, int spriteTop) {
      if (sprite.Empty() || sw <= 0) return;
      const int X0 = dx(x), X1 = dx(x + sw);
      const int Y0 = std::max(dy(std::max(y0, 0)), clipT), Y1 = std::min(dy(std::min(y1, h)), clipB);
      const int top = dy(spriteTop);
      const int width = X1 - X0;
      if (width <= 0) return;
      for (int Y = Y0; Y < Y1; ++Y) {
        const int sy = std::clamp(Y - top, 0, sprite.Height() - 1);
        const TColor32* src = sprite.ScanLine(sy);
        auto* row = reinterpret_cast<TColor32*>(device.scanLine(Y));
        for (int X = std::max(X0, clipL); X < std::min(X1, clipR); ++X) {
          const int sx = std::min(sprite.Width() - 1, (X - X0) * sprite.Width() / width);
          row[X] = src[sx] | 0xFF000000u;
        }
      }
    };
    const int barW = m_barSprite.Width(), barH = m_barSprite.Height();
    const int peakW = m_peakSprite.Width(), peakH = m_peakSprite.Height();
    for (int i = 0; i <= m_ttfWidth; ++i) {
      const std::size_t k = std::size_t(i);
      // The rows of the 100 % drawing, in its order: the peak, then the bar's sprite rows from
      // h - Bar down, one row lower under a drawn peak.
      const int off = m_drawPeak ? 1 : 0;
      if (m_drawPeak) {
        const int peakTop = h - m_peak[k];
        put(peak, i * (peakW + 1), peakW, peakTop, peakTop + peakH, peakTop);
      }
      const int barTop = h - m_bar[k] + off;
      put(bar, i * (barW + 1), barW, barTop, barTop + barH - (h - m_bar[k]), off);
    }
  }
  block.Show(painter, device);
}

void TDDVIS::paintEvent(QPaintEvent* event) {
  const double dpr = devicePixelRatioF();
  if (dpr == 1.0) {
    TDDGraphicControlEx::paintEvent(event);
    return;
  }
  try {
    QPainter p(this);
    PaintScaled(p, dpr);
  } catch (const std::exception&) {
    ClearFft();
  }
}

}  // namespace vireo
