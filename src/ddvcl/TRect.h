#pragma once

#include <QRect>
#include <algorithm>

namespace vireo {

// A rectangle as the drawing code thinks of it: Right and Bottom are the first column and row
// outside it, so Right - Left is the width. QRect's inclusive right() is too easy to get wrong in
// the blend arithmetic.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr TRect Offset(int dx, int dy) const {
    return {Left + dx, Top + dy, Right + dx, Bottom + dy};
  }
  constexpr bool operator==(const TRect&) const = default;

  static constexpr TRect FromSize(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
  QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }
};

// The overlap of two rectangles; an empty overlap comes back as the zero rectangle.
constexpr TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (r.IsEmpty()) return TRect{};
  return r;
}

}  // namespace vireo
