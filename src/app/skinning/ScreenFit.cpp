#include "app/skinning/ScreenFit.h"

#include <QScreen>
#include <algorithm>
#include <cmath>

namespace vireo {

QRect ScreenFit::Inside(QRect r, const QRect& area) {
  r.moveLeft(std::max(area.left(), std::min(r.left(), area.right() + 1 - r.width())));
  r.moveTop(std::max(area.top(), std::min(r.top(), area.bottom() + 1 - r.height())));
  return r;
}

QRect ScreenFit::RightOf(const QRect& anchor, QSize size, const QRect& area) {
  QRect r(QPoint(anchor.right() + 1, anchor.top()), size);
  if (area.contains(r)) return r;
  QRect left = r;
  left.moveRight(anchor.left() - 1);
  if (area.contains(left)) return left;
  return Inside(r, area);
}

QRect ScreenFit::Below(const QRect& anchor, QSize size, const QRect& area) {
  QRect r(QPoint(anchor.left(), anchor.bottom() + 1), size);
  if (area.contains(r)) return r;
  QRect above = r;
  above.moveBottom(anchor.top() - 1);
  if (area.contains(above)) return above;
  return Inside(r, area);
}

QRect ScreenFit::WorkArea(const QScreen* screen) {
  if (!screen) return {};
  QRect area = screen->availableGeometry();
  const qreal dpr = screen->devicePixelRatio();
  if (dpr != std::floor(dpr)) area.adjust(0, 0, -1, -1);
  return area;
}

}  // namespace vireo
