#include "ddvcl/TDDSliderBlendEx.h"

#include <cmath>
#include <cstdlib>

namespace vireo {

void TDDSliderBlendEx::DrawPiece(TDDBitmap32& buffer, TSpriteRect piece, int from, int length,
                                 int at) {
  if (Horizontal())
    Image().BlendTo(buffer, at, 0, TRect::FromSize(piece.X + from, piece.Y, length, piece.H));
  else
    Image().BlendTo(buffer, 0, at, TRect::FromSize(piece.X, piece.Y + from, piece.W, length));
}

void TDDSliderBlendEx::Compose(TDDBitmap32& buffer) {
  if (Style() == TDDSliderStyle::ssRotator) {
    TDDSlider::Compose(buffer);
    return;
  }
  CopyParentBackground(buffer);
  const bool fill = Style() != TDDSliderStyle::ssComplex;
  const TSpriteRect leading = Horizontal() ? TileB : TileA;
  const TSpriteRect trailing = Horizontal() ? TileA : TileB;
  const int b = Border;
  const int pieceLen = Horizontal() ? trailing.W : trailing.H;
  const int leadLen = Horizontal() ? leading.W : leading.H;
  const int step = pieceLen - 2 * b;
  const int p = m_thumbPos;
  const int n = Horizontal() ? width() : height();

  if (b > 0) {
    DrawPiece(buffer, trailing, 0, b, 0);
    if (fill) DrawPiece(buffer, leading, 0, p, 0);
  }
  if (step > 0) {
    bool switched = false;
    for (int t = b; t < n; t += step) {
      if (fill && t < p) {
        DrawPiece(buffer, leading, b, leadLen - 2 * b, t);
      } else {
        if (!switched && fill && p > b) t = p;
        switched = true;
        DrawPiece(buffer, trailing, b, pieceLen - 2 * b, t);
      }
    }
  }
  if (fill) DrawPiece(buffer, trailing, b, pieceLen - 2 * b, std::max(b, p));
  if (b > 0) {
    DrawPiece(buffer, trailing, pieceLen - b, b, n - b);
    if (fill && n - b < p) DrawPiece(buffer, leading, leadLen - b, std::abs(p - n + b), n - b);
  }
  // The thumb, and in the pressed states the drag preview where it differs.
  switch (m_thumbState) {
    case tsPressedOnThumb:
    case tsPressedOnTrack:
      DrawSprite(buffer, PressedX, PressedY, p);
      if (m_ghostPos != p) DrawSprite(buffer, PressedX, PressedY, m_ghostPos, 127);
      break;
    case tsHighlighted:
      DrawSprite(buffer, HighlightedX, HighlightedY, p);
      break;
    default:
      DrawSprite(buffer, NormalX, NormalY, p);
      break;
  }
}

void TDDSliderBlendEx::resizeEvent(QResizeEvent* event) {
  TDDSliderBlend::resizeEvent(event);
  // A knob's ThumbPos is a frame offset, which a pixel rescale would break.
  if (Max() > 0 && Style() != TDDSliderStyle::ssRotator) {
    const int l = Horizontal() ? width() - SliderW : height() - SliderH;
    m_thumbPos = std::int16_t(std::nearbyint(double(l) / Max() * m_valueOffset));
  }
}

}  // namespace vireo
