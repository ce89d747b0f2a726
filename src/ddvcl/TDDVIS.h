#pragma once

#include <array>
#include <cstdint>

#include "ddvcl/TDDBitmap32.h"
#include "ddvcl/TDDGraphicControlEx.h"
#include "ddvcl/TSpriteRect.h"

namespace vireo {

// The main window's spectrum display: one bar per FFT bin with a peak marker above it, drawn from
// three pieces of the skin image (background, bar, peak). Bars are one pixel apart; a bar shows the
// bottom rows of the bar sprite, so that sprite is meant to be as tall as the background piece.
// Every new FFT advances the bars and peaks by one frame: peaks hold for 7 frames after their last
// push and then fall 3 pixels a frame, bars fall LineFallOff pixels a frame, a peak never sinks
// below its bar. A paint without new data (an expose) draws the frame again without advancing it.
//
// Feeding it (the main window, on every engine progress tick while the window is visible):
//   engine.OnProgress = [&](int, int, int, const float* fft, const uint32_t*) {
//     if (isVisible()) dvs_1->SetData(fft);   // fft: the engine's kFftSingles (522) floats
//   };
// The skin loader sets Image, the bounds, LineFallOff, PeakFallOff, TTFWidth, DrawPeak and then
// SetBackgroundPiece, SetBarPiece and SetPeakPiece, in that order (the pieces read Image).
//
// UI thread only.
class TDDVIS : public TDDGraphicControlEx {
  Q_OBJECT
 public:
  static constexpr int kFftSingles = 522;  // the engine's buffer; bins 0..511 carry the spectrum
  static constexpr int kMaxBars = 129;     // bins 0..128
  static constexpr int kMaxTTFWidth = kMaxBars - 1;

  explicit TDDVIS(QWidget* parent = nullptr);

  // Index of the last bin drawn (bars 0..TTFWidth). Values above 128 are stored as 128; a negative
  // value draws no bar.
  int TTFWidth() const { return m_ttfWidth; }
  void SetTTFWidth(int value);
  // The fall step applied to the last peak processed; the drawing writes it.
  int PeakFallOff() const { return m_peakFallOff; }
  void SetPeakFallOff(int value) { m_peakFallOff = value; }
  int LineFallOff() const { return m_lineFallOff; }
  void SetLineFallOff(int value) { m_lineFallOff = value; }
  bool DrawPeak() const { return m_drawPeak; }
  void SetDrawPeak(bool value) { m_drawPeak = value; }

  // Copies kFftSingles floats (null: silence). Shown, the frame advances at once and is repainted
  // only when a bar or a peak moved; hidden, the data waits for the next drawing.
  void SetData(const float* fft);

  const TSpriteRect& BackgroundPiece() const { return m_background; }
  // Clears bins 0..128 of the FFT copy, stores the piece and redraws. Its W x H is the size of the
  // drawing; 0 x 0 (no skin) draws nothing.
  void SetBackgroundPiece(const TSpriteRect& piece);
  const TSpriteRect& BarPiece() const { return m_barPiece; }
  // Stores the piece and copies it from Image into the bar sprite (Image must be loaded first).
  void SetBarPiece(const TSpriteRect& piece);
  const TSpriteRect& PeakPiece() const { return m_peakPiece; }
  void SetPeakPiece(const TSpriteRect& piece);

  const TDDBitmap32& BarSprite() const { return m_barSprite; }
  const TDDBitmap32& PeakSprite() const { return m_peakSprite; }

  // Frame state, in pixels; index 0..128.
  int Bar(int i) const { return m_bar[std::size_t(i)]; }
  int Peak(int i) const { return m_peak[std::size_t(i)]; }
  int Hold(int i) const { return m_hold[std::size_t(i)]; }
  float Fft(int i) const { return m_fft[std::size_t(i)]; }

  // Draws the frame into frame, which is resized to the background piece, first advancing every
  // bar and peak by one frame when data came since the last step. This is the whole drawing;
  // paint calls it and copies the result.
  void DrawFrame(TDDBitmap32& frame);

 protected:
  // Draws one frame over the parent's background; a failure clears the FFT copy instead.
  void Compose(TDDBitmap32& buffer) override;
  // On a screen that is not at 100 % the background piece comes from the skin's art as the
  // rest of the window does, and the bars and peaks are drawn straight at device pixels, each
  // edge on the device pixel its skin pixel edge maps to: sharp at every scale, no bar blurred
  // by the reduction from 2x art to 150 %.
  void paintEvent(QPaintEvent* event) override;

 private:
  void ClearFft();
  // One frame step of every bar and peak; true when any of them moved (what is drawn changed).
  bool Advance();
  void LoadSprite(TDDBitmap32& sprite, const TSpriteRect& piece);
  // piece of the skin image at device pixel ratio dpr, made from the art that suits it.
  void DeviceSprite(const TSpriteRect& piece, double dpr, TDDBitmap32& out) const;
  void PaintScaled(QPainter& painter, double dpr);
  // The bar and peak sprites at dpr, made once and kept until the pieces, the image or the
  // ratio change: the spectrum paints at every progress tick.
  void UpdateDeviceSprites(double dpr);

 protected:
  void AppearanceChanged() override { m_deviceDpr = 0.0; }

 private:

  int m_ttfWidth = kMaxTTFWidth;
  int m_peakFallOff = 0;
  int m_lineFallOff = 3;
  bool m_drawPeak = true;
  bool m_frameDue = false;  // data came that no frame step has taken yet

  std::array<float, kFftSingles> m_fft{};
  TSpriteRect m_background{0, 0, 0, 0};
  TSpriteRect m_barPiece{0, 0, 5, 5};
  TSpriteRect m_peakPiece{0, 0, 5, 5};
  TDDBitmap32 m_barSprite;
  TDDBitmap32 m_peakSprite;
  double m_deviceDpr = 0.0;  // the ratio m_deviceBar and m_devicePeak were made for; 0: none
  TDDBitmap32 m_deviceBar;
  TDDBitmap32 m_devicePeak;
  std::array<int, kMaxBars> m_peak{};
  std::array<int, kMaxBars> m_bar{};
  std::array<int, kMaxBars> m_hold{};
};

}  // namespace vireo
