#pragma once

#include <QRect>
#include <QSize>

#include "skin/TAnchors.h"

namespace vireo {

// Where an anchored control goes when its parent is resized, worked out from the reference its
// anchors were set against (the control's bounds and the parent's client size then). On each
// axis independently:
//  - both sides anchored: both distances kept, the control stretches (never below 0);
//  - the near side only (left, top): the position is kept;
//  - the far side only (right, bottom): the distance to that side is kept;
//  - neither side: the size is kept and the centre stays at the same fraction of the parent
//    (rounded to the nearest pixel).
// Being a function of the reference alone, any number of resizes never lets errors add up.
class TAnchorRule {
 public:
  static QRect Place(const QRect& reference, const QSize& referenceParent, const QSize& parent,
                     TAnchors anchors);
  // One axis: position and length at reference, in a parent of referenceLength now length.
  static void Axis(int& pos, int& size, int referenceLength, int length, bool nearSide,
                   bool farSide);
};

}  // namespace vireo
