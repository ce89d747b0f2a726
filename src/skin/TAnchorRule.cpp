#include "skin/TAnchorRule.h"

#include <cmath>

namespace vireo {

void TAnchorRule::Axis(int& pos, int& size, int referenceLength, int length, bool nearSide,
                       bool farSide) {
  const int delta = length - referenceLength;
  if (nearSide && farSide) {
    size = std::max(0, size + delta);
  } else if (farSide) {
    pos += delta;
  } else if (!nearSide && referenceLength > 0) {
    const int centre = pos + size / 2;
    const long long scaled = std::llround(double(centre) * length / referenceLength);
    pos = int(scaled) - size / 2;
  }
}

QRect TAnchorRule::Place(const QRect& reference, const QSize& referenceParent, const QSize& parent,
                         TAnchors anchors) {
  int x = reference.x(), w = reference.width();
  int y = reference.y(), h = reference.height();
  Axis(x, w, referenceParent.width(), parent.width(), anchors.Left, anchors.Right);
  Axis(y, h, referenceParent.height(), parent.height(), anchors.Top, anchors.Bottom);
  return QRect(x, y, w, h);
}

}  // namespace vireo
