#pragma once

#include <QRect>

class QScreen;

namespace vireo {

// Where a window opens so that it is wholly on the screen, keeping its usual place beside another
// window wherever that fits: on a small screen, or at a large scale, a window placed by the
// usual rule alone could start off the screen with its buttons out of reach.
class ScreenFit {
 public:
  // r moved the least that puts it inside area (its top-left corner inside when it is larger).
  static QRect Inside(QRect r, const QRect& area);
  // Right of anchor, tops aligned; else left of it; else the right place kept inside area.
  static QRect RightOf(const QRect& anchor, QSize size, const QRect& area);
  // Below anchor, left edges aligned; else above it; else the place below kept inside area.
  static QRect Below(const QRect& anchor, QSize size, const QRect& area);
  // The screen's work area in Qt's pixels, short of its last column and row at a fractional
  // scale: Qt rounds the screen's size in its pixels to the nearest one, so at 150 % a
  // 1024-pixel screen is 683 of them, and a window on the last would end half a device pixel,
  // rounded to one, past the screen's edge.
  static QRect WorkArea(const QScreen* screen);
};

}  // namespace vireo
