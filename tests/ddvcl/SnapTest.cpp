// The snapping and docking rules as pure functions of rectangles and roles.
#include <gtest/gtest.h>

#include "ddvcl/FormSnapping.h"
#include "ddvcl/TDDForm.h"

using namespace vireo::snap;

namespace {

Request Base(QRect proposed) {
  Request rq;
  rq.Current = QRect(400, 400, proposed.width(), proposed.height());
  rq.Proposed = proposed;
  rq.WorkArea = QRect(0, 0, 1280, 1000);
  rq.SnapBuffer = 10;
  return rq;
}

QRect Snap(Request rq) {
  return SnapWindowPos(rq).Rect;
}

}  // namespace

TEST(Snap, WorkAreaEdgesPullWithinTheBuffer) {
  EXPECT_EQ(Snap(Base(QRect(7, 300, 200, 100))).x(), 0);
  EXPECT_EQ(Snap(Base(QRect(-10, 300, 200, 100))).x(), 0);
  EXPECT_EQ(Snap(Base(QRect(11, 300, 200, 100))).x(), 11);
  // Right edge within 10 of the right of the work area lands flush.
  EXPECT_EQ(Snap(Base(QRect(1071, 300, 200, 100))).x(), 1080);
  EXPECT_EQ(Snap(Base(QRect(1090, 300, 200, 100))).x(), 1080);
  EXPECT_EQ(Snap(Base(QRect(1069, 300, 200, 100))).x(), 1069);
  EXPECT_EQ(Snap(Base(QRect(300, 4, 200, 100))).y(), 0);
  EXPECT_EQ(Snap(Base(QRect(300, 895, 200, 100))).y(), 900);
  // A work area that does not start at the origin.
  Request rq = Base(QRect(108, 45, 200, 100));
  rq.WorkArea = QRect(100, 40, 800, 600);
  EXPECT_EQ(Snap(rq).topLeft(), QPoint(100, 40));
}

TEST(Snap, EdgesMeetOtherBorderlessWindows) {
  const Peer f{QRect(500, 100, 200, 150)};
  Request rq = Base(QRect(295, 120, 200, 100));
  rq.Others = {f};
  EXPECT_EQ(Snap(rq).x(), 300);  // right edge to F's left
  rq.Proposed = QRect(705, 120, 200, 100);
  EXPECT_EQ(Snap(rq).x(), 700);             // left edge to F's right
  rq.Proposed = QRect(295, 260, 200, 100);  // no vertical overlap
  EXPECT_EQ(Snap(rq).x(), 295);
  rq.Proposed = QRect(550, 8, 100, 95);  // bottom edge 103 to F's top 100
  EXPECT_EQ(Snap(rq).y(), 5);
  rq.Proposed = QRect(550, 256, 100, 95);  // top edge to F's bottom 250
  EXPECT_EQ(Snap(rq).y(), 250);
}

TEST(Snap, StackedWindowsAlignTheirSidesAndSideBySideTheirTops) {
  const Peer f{QRect(500, 100, 200, 150)};
  Request rq = Base(QRect(506, 252, 100, 80));
  rq.Others = {f};
  EXPECT_EQ(Snap(rq).topLeft(), QPoint(500, 250));  // below F, left edges aligned
  rq.Proposed = QRect(596, 255, 100, 80);
  EXPECT_EQ(Snap(rq).topLeft(), QPoint(600, 250));  // right edges aligned
  rq.Proposed = QRect(703, 107, 100, 80);
  EXPECT_EQ(Snap(rq).topLeft(), QPoint(700, 100));  // beside F, tops aligned
  rq.Proposed = QRect(703, 165, 100, 80);
  EXPECT_EQ(Snap(rq).topLeft(), QPoint(700, 170));  // bottoms aligned
  // Close but not touching: only the edge rule can make them meet.
  rq.Proposed = QRect(720, 104, 100, 80);
  EXPECT_EQ(Snap(rq).topLeft(), QPoint(720, 104));
}

TEST(Snap, ExcludedHiddenFramedAndDockedWindowsTakeNoPart) {
  Request rq = Base(QRect(295, 120, 200, 100));
  rq.Others = {{QRect(500, 100, 200, 150), kExcluded}};
  EXPECT_EQ(Snap(rq).x(), 295);
  rq.Others = {{QRect(500, 100, 200, 150), kOrdinary, false}};
  EXPECT_EQ(Snap(rq).x(), 295);
  rq.Others = {{QRect(500, 100, 200, 150), kOrdinary, true, false}};
  EXPECT_EQ(Snap(rq).x(), 295);
  rq.Others = {{QRect(500, 100, 200, 150)}};
  for (int tag : {kDocked, kExcluded}) {
    rq.Tag = tag;
    rq.Proposed = QRect(7, 120, 200, 100);
    EXPECT_EQ(Snap(rq).x(), 7) << tag;  // a moving docked or excluded window never snaps
  }
  rq.Tag = kOrdinary;
  rq.NormalState = false;
  EXPECT_EQ(Snap(rq).x(), 7);
}

TEST(Snap, ShiftStopsSnappingAndReleasesARunningGroup) {
  Request rq = Base(QRect(7, 120, 200, 100));
  rq.Shift = true;
  Result r = SnapWindowPos(rq);
  EXPECT_EQ(r.Rect.x(), 7);
  EXPECT_FALSE(r.ReleaseGroup);
  rq.Tag = kMaster;
  rq.Moving = true;
  r = SnapWindowPos(rq);
  EXPECT_TRUE(r.ReleaseGroup);
}

TEST(Snap, TheMasterDragsItsDockedWindowsByItsOwnDisplacement) {
  Request rq = Base(QRect(430, 380, 200, 100));  // from (400, 400): +30, -20
  rq.Tag = kMaster;
  rq.Moving = true;
  rq.Others = {{QRect(600, 400, 100, 100), kDocked}, {QRect(633, 380, 50, 50), kOrdinary}};
  const Result r = SnapWindowPos(rq);
  ASSERT_EQ(r.MovedPeers, std::vector<int>{0});
  EXPECT_EQ(r.MovedTo[0], QPoint(630, 380));
  // The docked one is not snapped to; the ordinary one is (right edge 630 to its left 633).
  EXPECT_EQ(r.Rect.x(), 433);
}

TEST(Snap, TheDockedGroupFollowsTheMasterIntoItsWorkAreaSnap) {
  // Proposed 7 from the left edge: the master lands on 0, so its displacement is -400, not -393.
  Request rq = Base(QRect(7, 400, 200, 100));
  rq.Tag = kMaster;
  rq.Moving = true;
  rq.Others = {{QRect(600, 400, 100, 100), kDocked}};
  const Result r = SnapWindowPos(rq);
  EXPECT_EQ(r.Rect.topLeft(), QPoint(0, 400));
  ASSERT_EQ(r.MovedPeers, std::vector<int>{0});
  EXPECT_EQ(r.MovedTo[0], QPoint(200, 400));  // still flush against the master's right edge
}

TEST(Snap, TouchingNeedsExactContactAndOverlapOrMeetingExtents) {
  const QRect a(100, 100, 100, 100);
  EXPECT_TRUE(Touching(a, QRect(200, 150, 50, 50), kOrdinary));
  EXPECT_TRUE(Touching(a, QRect(50, 0, 50, 100), kOrdinary));    // meets at a corner row
  EXPECT_TRUE(Touching(a, QRect(120, 200, 30, 30), kOrdinary));  // below
  EXPECT_TRUE(Touching(a, QRect(0, 70, 100, 30), kOrdinary));    // above, corners meeting
  EXPECT_FALSE(Touching(a, QRect(201, 150, 50, 50), kOrdinary));
  EXPECT_FALSE(Touching(a, QRect(200, 201, 50, 50), kOrdinary));
  EXPECT_FALSE(Touching(a, QRect(200, 150, 50, 50), kExcluded));
}

TEST(Snap, DockingGroupFollowsChainsOnceThroughTheList) {
  const QRect master(0, 0, 100, 100);
  std::vector<Peer> others = {
      {QRect(150, 50, 50, 30)},                    // D: touches only C, and comes before it
      {QRect(100, 0, 50, 40)},                     // A: beside the master
      {QRect(150, 80, 50, 50)},                    // C: under B only
      {QRect(150, 0, 50, 80)},                     // B: beside A
      {QRect(0, 100, 100, 20), kExcluded},         // E: under the master but excluded
      {QRect(0, -20, 100, 20), kOrdinary, false},  // hidden
  };
  // D touches C's top? D spans 50..80 and C starts at 80: stacked, so D touches C.
  const std::vector<bool> docked = DockingGroup(master, others);
  EXPECT_EQ(docked, (std::vector<bool>{false, true, true, true, false, false}));
}

// A window manager can leave Qt believing a form sits where its frame first was: a move of the
// docking master starts from where the window system really has each form.
TEST(SnapForms, AMoveStartsFromWhereTheWindowSystemHasTheForms) {
  vireo::TDDForm master;
  master.SetTag(kMaster);
  master.setGeometry(100, 100, 200, 100);
  vireo::TDDForm below;
  below.setGeometry(0, 0, 200, 80);  // Qt's stale record; really at (100, 200)
  master.show();
  below.show();
  vireo::TDDForm::SetPositionProbe([&](const QWidget* w) -> std::optional<QPoint> {
    if (w == &below) return QPoint(100, 200);
    return w->pos();
  });
  master.EnterSizeMove();
  EXPECT_EQ(below.pos(), QPoint(100, 200));
  EXPECT_EQ(below.Tag(), kDocked) << "the form lined up below the master moves with it";
  const QRect to = master.WindowPosChanging(QRect(QPoint(130, 100), master.frameGeometry().size()));
  EXPECT_EQ(to.topLeft(), QPoint(130, 100));
  EXPECT_EQ(below.pos(), QPoint(130, 200));
  master.ExitSizeMove();
  vireo::TDDForm::SetPositionProbe({});
}
