// The anchor rule: where a control goes when its parent is resized.
#include <gtest/gtest.h>

#include "skin/TAnchorRule.h"

using namespace vireo;

namespace {
const auto A = TAnchors::Of;
const QRect kRef(10, 20, 100, 30);
const QSize kParent(400, 300);
}  // namespace

TEST(AnchorRule, EachCombinationOfSidesOnGrowth) {
  const QSize grown(500, 350);
  // Left and top: stays.
  EXPECT_EQ(TAnchorRule::Place(kRef, kParent, grown, A(true, true, false, false)), kRef);
  // All four: both distances kept (90 + 290 to the right, 20 + 250 below).
  EXPECT_EQ(TAnchorRule::Place(kRef, kParent, grown, A(true, true, true, true)),
            QRect(10, 20, 200, 80));
  // Right and bottom: the distances to the far sides kept.
  EXPECT_EQ(TAnchorRule::Place(kRef, kParent, grown, A(false, false, true, true)),
            QRect(110, 70, 100, 30));
  // Left, right, bottom: stretches across, moves down.
  EXPECT_EQ(TAnchorRule::Place(kRef, kParent, grown, A(true, false, true, true)),
            QRect(10, 70, 200, 30));
  // Neither side: centre 60 of 400 goes to 75 of 500; centre 35 of 300 to 40.83 of 350 -> 41.
  EXPECT_EQ(TAnchorRule::Place(kRef, kParent, grown, A(false, false, false, false)),
            QRect(25, 26, 100, 30));
  // Top only, centred across ("LRCT").
  EXPECT_EQ(TAnchorRule::Place(kRef, kParent, grown, A(false, true, false, false)),
            QRect(25, 20, 100, 30));
}

TEST(AnchorRule, ShrinkingNeverGivesNegativeSizes) {
  EXPECT_EQ(TAnchorRule::Place(kRef, kParent, QSize(320, 300), A(true, true, true, false)),
            QRect(10, 20, 20, 30));
  EXPECT_EQ(TAnchorRule::Place(kRef, kParent, QSize(250, 260), A(true, true, true, true)),
            QRect(10, 20, 0, 0));
  EXPECT_EQ(TAnchorRule::Place(kRef, kParent, QSize(250, 300), A(false, true, true, false)),
            QRect(-140, 20, 100, 30));
}

TEST(AnchorRule, AParentWithoutWidthKeepsCentredControls) {
  EXPECT_EQ(TAnchorRule::Place(kRef, QSize(0, 0), QSize(500, 350), A(false, false, false, false)),
            kRef);
}
