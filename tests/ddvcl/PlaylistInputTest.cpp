// The playlist's geometry and its keyboard, mouse, wheel and drag state machines on the
// offscreen platform, driven with synthetic events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWheelEvent>

#include "ControlTestUtil.h"
#include "PlaylistTestHost.h"
#include "TestEnv.h"

using namespace vireo;
using namespace vireo::test;

namespace {

// Row r's middle, in the list's coordinates (with TopIndex 0).
QPoint Row(int r) {
  return QPoint(40, r * 14 + 7);
}

void Key(QWidget* w, int key, Qt::KeyboardModifiers m = Qt::NoModifier) {
  QKeyEvent e(QEvent::KeyPress, key, m);
  QCoreApplication::sendEvent(w, &e);
}

void Wheel(QWidget* w, int delta) {
  QWheelEvent e(QPointF(10, 10), QPointF(w->mapToGlobal(QPoint(10, 10))), QPoint(),
                QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(w, &e);
}

void DoubleClick(QWidget* w, QPoint p) {
  Press(w, p);
  Release(w, p);
  QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton,
                Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
  Release(w, p);
}

std::vector<int> Selected(const TDDPlaylist& list) {
  std::vector<int> out;
  for (int i = 0; i < list.Count(); ++i)
    if (list.Model().IsSelected(i)) out.push_back(i);
  return out;
}

QStringList Titles(TDDPlaylist& list) {
  QStringList out;
  for (int i = 0; i < list.Count(); ++i) out << list.Items()[i].Title;
  return out;
}

struct Fixture : ::testing::Test {
  TDDPlaylist list;
  void SetUp() override {
    Style(list, 200, 92);  // six whole rows and a part of a seventh
    list.SetScrollBarWidth(10);
  }
};

using PlaylistGeometry = Fixture;
using PlaylistMouse = Fixture;
using PlaylistKeys = Fixture;
using PlaylistDrag = Fixture;

TEST(PlaylistDefaults, AsConstructed) {
  TDDPlaylist list;
  EXPECT_EQ(list.size(), QSize(150, 150));
  EXPECT_EQ(list.BackColor(), 0xFFFFFFFFu);
  EXPECT_EQ(list.TextColor(), 0xFF000000u);
  EXPECT_EQ(list.TextCurrentColor(), 0xFF00FF00u);
  EXPECT_EQ(list.TextSelectedColor(), 0xFF000000u);
  EXPECT_EQ(list.SelectionColor() >> 24, 0xFFu);
  EXPECT_TRUE(list.DropImage().Empty());
  EXPECT_EQ(list.ScrollBarWidth(), 0);
  EXPECT_FALSE(list.AutoHideScrollBar());
  EXPECT_TRUE(list.ShowNumbers());
  EXPECT_TRUE(list.ShowLength());
  EXPECT_TRUE(list.TimeFormat().isEmpty());
  EXPECT_EQ(list.Font().family(), QStringLiteral("Tahoma"));
  EXPECT_EQ(list.Font().pointSize(), 9);
  EXPECT_EQ(list.focusPolicy(), Qt::StrongFocus);
  EXPECT_EQ(list.TopIndex(), 0);
  EXPECT_EQ(list.DropY(), -1);
  EXPECT_FALSE(list.ScrollBar()->isHidden());
}

TEST_F(PlaylistGeometry, ItemRectAndItemAtPos) {
  FillRows(list, 20);
  list.SetTopIndex(3);
  EXPECT_EQ(list.ItemRect(3), (TRect{0, 0, 190, 14}));
  EXPECT_EQ(list.ItemRect(2), (TRect{0, -14, 190, 0}));  // the row just above still has one
  EXPECT_EQ(list.ItemRect(1), TRect{});
  EXPECT_EQ(list.ItemRect(9), (TRect{0, 84, 190, 98}));  // the partial row
  EXPECT_EQ(list.ItemRect(10), TRect{});
  EXPECT_EQ(list.ItemAtPos(QPoint(5, -1)), -1);
  EXPECT_EQ(list.ItemAtPos(QPoint(5, 0)), 3);
  EXPECT_EQ(list.ItemAtPos(QPoint(5, 83)), 8);
  EXPECT_EQ(list.ItemAtPos(QPoint(5, 84)), -1);  // below the whole rows
  list.SetTopIndex(17);                          // clamped to count - rows
  EXPECT_EQ(list.TopIndex(), 14);
  list.Items().Delete(19);
  list.Items().Delete(18);
  EXPECT_EQ(list.TopIndex(), 12);  // the list got shorter: the last page stays full
  list.Items().Clear();
  FillRows(list, 3);
  EXPECT_EQ(list.ItemAtPos(QPoint(5, 41)), 2);
  EXPECT_EQ(list.ItemAtPos(QPoint(5, 42)), -1);  // below the last entry
}

TEST_F(PlaylistGeometry, SetCurrentItemScrollsIntoView) {
  list.resize(200, 14 * 10 + 5);  // ten rows
  FillRows(list, 30);
  list.SetCurrentItem(25);
  EXPECT_EQ(list.TopIndex(), 16);  // 25 is the last visible row
  list.SetCurrentItem(20);         // already visible
  EXPECT_EQ(list.TopIndex(), 16);
  list.SetCurrentItem(3);
  EXPECT_EQ(list.TopIndex(), 3);
  list.SetCurrentItem(-1);  // clears, does not scroll
  EXPECT_EQ(list.TopIndex(), 3);
  list.SetCurrentItem(30);  // the count: limited to count - rows
  EXPECT_EQ(list.TopIndex(), 20);
  EXPECT_EQ(list.ScrollBar()->Position(), 20);
  // The model's own setter leaves the view where it is.
  list.Model().SetCurrentItem(0);
  EXPECT_EQ(list.TopIndex(), 20);
}

TEST_F(PlaylistGeometry, DeletingAndSortingKeepTopIndexInRange) {
  list.resize(200, 14 * 5);
  FillRows(list, 20);
  list.SetTopIndex(15);
  for (int i = 10; i < 20; ++i) list.Items()[i].Selected = true;
  list.Model().DeleteSelected(true);
  EXPECT_EQ(list.TopIndex(), 0);  // the top row was gone

  list.SetTopIndex(5);
  list.Items()[9].Selected = true;
  list.Model().DeleteSelected(true);
  EXPECT_EQ(list.TopIndex(), 4);  // count - rows
  EXPECT_EQ(list.ScrollBar()->Max(), 4);

  list.SetTopIndex(3);
  list.Items().Sort(TDDPlaylistItems::Reversed);
  EXPECT_EQ(list.TopIndex(), 0);
  EXPECT_EQ(list.ScrollBar()->Position(), 0);
}

TEST_F(PlaylistMouse, PlainShiftAndCtrlClicks) {
  FillRows(list, 6);
  Press(&list, Row(4), Qt::LeftButton, Qt::ShiftModifier);  // no anchor: nothing
  Release(&list, Row(4));
  EXPECT_TRUE(Selected(list).empty());

  Press(&list, Row(1));
  Release(&list, Row(1));
  EXPECT_EQ(Selected(list), std::vector<int>{1});
  EXPECT_EQ(list.SelectedIndex(), 1);

  Press(&list, Row(4), Qt::LeftButton, Qt::ShiftModifier);
  Release(&list, Row(4), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(Selected(list), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(list.SelectedIndex(), 1);  // the anchor stays

  Press(&list, Row(3), Qt::LeftButton, Qt::ControlModifier);
  MoveTo(&list, Row(3) + QPoint(1, 1), Qt::LeftButton, Qt::ControlModifier);  // a shaky hand
  Release(&list, Row(3), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(Selected(list), (std::vector<int>{1, 2, 4}));
  EXPECT_EQ(list.SelectedIndex(), 3);
  Press(&list, Row(5), Qt::LeftButton, Qt::ControlModifier);
  Release(&list, Row(5), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(Selected(list), (std::vector<int>{1, 2, 4, 5}));

  // A plain click on a row of the selection keeps it while pressed, then only that row stays.
  Press(&list, Row(2));
  EXPECT_EQ(Selected(list), (std::vector<int>{1, 2, 4, 5}));
  Release(&list, Row(2));
  EXPECT_EQ(Selected(list), std::vector<int>{2});

  Press(&list, Row(6) + QPoint(0, 2));  // below the last entry
  Release(&list, Row(6) + QPoint(0, 2));
  EXPECT_TRUE(Selected(list).empty());
  EXPECT_EQ(list.SelectedIndex(), -1);
}

TEST_F(PlaylistMouse, DoubleClickPlaysTheRowAndRightClickOpensTheMenu) {
  FillRows(list, 6);
  int played = -2, dbl = 0;
  list.OnItemDblClick = [&](QObject*) { played = list.CurrentItem(); };
  list.OnDblClick = [&](QObject*) { ++dbl; };
  list.SetCurrentItem(3);
  list.Items().Delete(3);  // the playing entry goes: current 2, lost
  ASSERT_TRUE(list.Model().CurrentLost());
  DoubleClick(&list, Row(2));
  EXPECT_EQ(played, 2);
  EXPECT_FALSE(list.Model().CurrentLost());  // chosen again, so drawn as playing again
  EXPECT_EQ(dbl, 1);
  EXPECT_FALSE(list.InDblClick());
  DoubleClick(&list, Row(6));  // off the rows: no item event
  EXPECT_EQ(dbl, 2);
  EXPECT_EQ(played, 2);

  QMenu menu;
  menu.addAction(QStringLiteral("x"));
  SetAutoPopup(&menu, false);
  list.SetPopupMenu(&menu);
  Press(&list, Row(1), Qt::RightButton);
  Release(&list, Row(1), Qt::RightButton);
  EXPECT_TRUE(menu.isVisible());
  menu.close();
}

TEST_F(PlaylistMouse, WheelScrollsByTheDesktopLineCountWithinRange) {
  FillRows(list, 20);  // Max 14
  QApplication::setWheelScrollLines(3);
  Wheel(&list, -120);
  EXPECT_EQ(list.TopIndex(), 3);
  Wheel(&list, -60);  // half a notch waits for the other half
  EXPECT_EQ(list.TopIndex(), 3);
  Wheel(&list, -60);
  EXPECT_EQ(list.TopIndex(), 6);
  for (int i = 0; i < 5; ++i) Wheel(&list, -120);
  EXPECT_EQ(list.TopIndex(), 14);
  Wheel(&list, 120);
  EXPECT_EQ(list.TopIndex(), 11);
  for (int i = 0; i < 5; ++i) Wheel(&list, 120);
  EXPECT_EQ(list.TopIndex(), 0);
}

TEST_F(PlaylistKeys, EnterPlaysTheAnchorRow) {
  FillRows(list, 10);
  int entered = 0;
  list.OnItemEnterKey = [&](QObject*) { ++entered; };
  Key(&list, Qt::Key_Return);  // no anchor
  EXPECT_EQ(entered, 0);
  list.Model().SetSelectedIndex(8);
  Key(&list, Qt::Key_Enter);
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(list.CurrentItem(), 8);
  EXPECT_EQ(list.TopIndex(), 3);  // brought into view
}

TEST_F(PlaylistKeys, PagesHomeAndEnd) {
  FillRows(list, 20);  // six rows a page
  Key(&list, Qt::Key_PageDown);
  EXPECT_EQ(list.SelectedIndex(), 6);
  EXPECT_EQ(list.TopIndex(), 6);
  EXPECT_EQ(Selected(list), std::vector<int>{6});
  Key(&list, Qt::Key_PageDown);
  Key(&list, Qt::Key_PageDown);
  EXPECT_EQ(list.SelectedIndex(), 18);
  EXPECT_EQ(list.TopIndex(), 14);
  Key(&list, Qt::Key_PageDown);  // the last page selects the last row
  EXPECT_EQ(list.SelectedIndex(), 19);
  EXPECT_EQ(Selected(list), std::vector<int>{19});
  EXPECT_EQ(list.TopIndex(), 14);
  Key(&list, Qt::Key_PageUp);
  EXPECT_EQ(list.SelectedIndex(), 8);
  EXPECT_EQ(list.TopIndex(), 8);
  Key(&list, Qt::Key_PageUp);
  Key(&list, Qt::Key_PageUp);
  EXPECT_EQ(list.SelectedIndex(), 0);
  EXPECT_EQ(list.TopIndex(), 0);

  list.Model().SetSelectedIndex(5);
  Key(&list, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(Selected(list).size(), 15u);
  EXPECT_EQ(Selected(list).front(), 5);
  EXPECT_EQ(list.SelectedIndex(), 19);
  EXPECT_EQ(list.TopIndex(), 14);
  Key(&list, Qt::Key_Home);
  EXPECT_EQ(Selected(list), std::vector<int>{0});
  EXPECT_EQ(list.TopIndex(), 0);
  list.Model().SetSelectedIndex(3);
  Key(&list, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(Selected(list), (std::vector<int>{0, 1, 2, 3}));
  list.Model().SetSelectedIndex(-1);
  Key(&list, Qt::Key_End, Qt::ShiftModifier);  // no anchor: nothing selected
  EXPECT_TRUE(Selected(list).empty());
  EXPECT_EQ(list.SelectedIndex(), 19);

  // A short list: Page Down stays at the top.
  TDDPlaylist small;
  Style(small, 200, 92);
  FillRows(small, 4);
  Key(&small, Qt::Key_PageDown);
  EXPECT_EQ(small.SelectedIndex(), 3);
  EXPECT_EQ(small.TopIndex(), 0);
}

TEST_F(PlaylistKeys, UpAndDownMoveAndExtendTheSelection) {
  FillRows(list, 10);
  Key(&list, Qt::Key_Down);  // no anchor: the top row
  EXPECT_EQ(Selected(list), std::vector<int>{0});
  for (int i = 0; i < 5; ++i) Key(&list, Qt::Key_Down);
  EXPECT_EQ(list.SelectedIndex(), 5);
  EXPECT_EQ(list.TopIndex(), 0);
  Key(&list, Qt::Key_Down);  // past the last whole row: scrolls by one
  EXPECT_EQ(list.SelectedIndex(), 6);
  EXPECT_EQ(list.TopIndex(), 1);
  Key(&list, Qt::Key_Down, Qt::ShiftModifier);
  Key(&list, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(Selected(list), (std::vector<int>{6, 7, 8}));
  Key(&list, Qt::Key_Down);
  Key(&list, Qt::Key_Down);  // at the last row: nothing
  EXPECT_EQ(Selected(list), std::vector<int>{9});
  EXPECT_EQ(list.TopIndex(), 4);
  Key(&list, Qt::Key_Up, Qt::ShiftModifier);
  Key(&list, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(Selected(list), (std::vector<int>{7, 8, 9}));
  for (int i = 0; i < 3; ++i) Key(&list, Qt::Key_Up);
  EXPECT_EQ(list.SelectedIndex(), 4);
  Key(&list, Qt::Key_Up);  // the top row: scrolls up by one
  EXPECT_EQ(list.SelectedIndex(), 3);
  EXPECT_EQ(list.TopIndex(), 3);

  // An anchor scrolled out of sight: the keys start again from the top row.
  list.Model().SetSelectedIndex(0);
  Key(&list, Qt::Key_Up);
  EXPECT_EQ(list.SelectedIndex(), 3);
  EXPECT_EQ(Selected(list), std::vector<int>{3});
}

TEST_F(PlaylistDrag, RowsMoveWhereTheLineShowsAndThePlayingEntryFollows) {
  FillRows(list, 6);
  list.show();
  list.SetCurrentItem(3);
  Press(&list, Row(2));
  Release(&list, Row(2));
  Press(&list, Row(3), Qt::LeftButton, Qt::ShiftModifier);
  Release(&list, Row(3), Qt::LeftButton, Qt::ShiftModifier);
  ASSERT_EQ(Selected(list), (std::vector<int>{2, 3}));

  Press(&list, Row(2));
  MoveTo(&list, Row(2) + QPoint(0, 3), Qt::LeftButton);  // under the threshold
  EXPECT_FALSE(list.DragInProgress());
  MoveTo(&list, Row(2) + QPoint(0, 4), Qt::LeftButton);
  EXPECT_TRUE(list.DragInProgress());
  MoveTo(&list, Row(5), Qt::LeftButton);
  EXPECT_EQ(list.DropY(), 70);
  Release(&list, Row(5));
  EXPECT_EQ(Titles(list),
            (QStringList{QStringLiteral("t000"), QStringLiteral("t001"), QStringLiteral("t004"),
                         QStringLiteral("t002"), QStringLiteral("t003"), QStringLiteral("t005")}));
  EXPECT_EQ(list.CurrentItem(), 4);
  EXPECT_FALSE(list.Rearranging());
  EXPECT_EQ(list.DropY(), -1);

  // Dropped below the last row: appended.
  Press(&list, Row(0));
  MoveTo(&list, Row(0) + QPoint(6, 0), Qt::LeftButton);
  MoveTo(&list, QPoint(40, 88), Qt::LeftButton);
  Release(&list, QPoint(40, 88));
  EXPECT_EQ(Titles(list).last(), QStringLiteral("t000"));
  EXPECT_EQ(list.CurrentItem(), 3);
}

TEST_F(PlaylistDrag, AutoScrollsEvery450MsAtTheBottomRow) {
  FillRows(list, 20);
  list.show();
  int deleted = 0;
  list.Model().OnDeleteItem = [&](const TDDPlaylistItem&, double) { ++deleted; };
  Press(&list, Row(1));
  MoveTo(&list, Row(1) + QPoint(0, 5), Qt::LeftButton);
  MoveTo(&list, QPoint(40, 88), Qt::LeftButton);  // the partial row: DropY 84 >= 92 - 14
  ASSERT_EQ(list.DropY(), 84);
  ASSERT_TRUE(WaitUntil([&] { return list.TopIndex() == 2; }, 3000));
  Release(&list, QPoint(40, 88));
  EXPECT_EQ(list.Items()[7].Title, QStringLiteral("t001"));  // before the row shown there, 8
  EXPECT_EQ(deleted, 0);                                     // moving is not deleting
}

}  // namespace
