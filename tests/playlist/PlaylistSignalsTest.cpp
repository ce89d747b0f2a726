// The model's fine-grained notifications and the bookkeeping that keeps the current entry and
// the selection anchor on their entries whatever the caller does.
#include <gtest/gtest.h>

#include "PlaylistTestUtil.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;
using test::FillCount;
using test::Titles;

// Every signal in the order raised, as short text.
struct Recorder {
  explicit Recorder(TDDPlaylistModel& m) {
    QObject::connect(&m, &TDDPlaylistModel::RowsInserted,
                     [this](int a, int b) { log << u"ins %1-%2"_s.arg(a).arg(b); });
    QObject::connect(&m, &TDDPlaylistModel::RowsRemoved,
                     [this](int a, int b) { log << u"rem %1-%2"_s.arg(a).arg(b); });
    QObject::connect(&m, &TDDPlaylistModel::RowsChanged,
                     [this](int a, int b) { log << u"chg %1-%2"_s.arg(a).arg(b); });
    QObject::connect(&m, &TDDPlaylistModel::Reset,
                     [this](bool top) { log << (top ? u"reset top"_s : u"reset"_s); });
    QObject::connect(&m, &TDDPlaylistModel::CurrentChanged,
                     [this](int c) { log << u"cur %1"_s.arg(c); });
    QObject::connect(&m, &TDDPlaylistModel::SelectionChanged, [this] { log << u"sel"_s; });
    QObject::connect(&m, &TDDPlaylistModel::Changed, [this] { log << u"changed"_s; });
  }
  QStringList Take() {
    QStringList out;
    out.swap(log);
    return out;
  }
  QStringList log;
};

TEST(PlaylistSignals, StructuralChangesComeAsRowRanges) {
  TDDPlaylistModel list;
  Recorder rec(list);
  FillCount(list, 10);  // one bracket of appends: one range
  EXPECT_EQ(rec.Take(), (QStringList{u"ins 0-9"_s, u"changed"_s}));

  TDDPlaylistItem item;
  item.Caption = u"new"_s;
  list.Items().Insert(4, item);
  EXPECT_EQ(rec.Take(), (QStringList{u"ins 4-4"_s, u"changed"_s}));
  EXPECT_EQ(list.Items()[4].Caption, u"new"_s);

  list.Items().Delete(4);
  EXPECT_EQ(rec.Take(), (QStringList{u"rem 4-4"_s, u"changed"_s}));

  for (int i : {3, 4, 5}) list.Items()[i].Selected = true;
  list.DeleteSelected(true);  // one run: one range, in the indexes before the deletion
  EXPECT_EQ(rec.Take(), (QStringList{u"rem 3-5"_s, u"changed"_s}));

  list.Items()[0].Selected = list.Items()[5].Selected = true;
  list.DeleteSelected(true);  // scattered rows: the view starts over
  EXPECT_EQ(rec.Take(), (QStringList{u"reset"_s, u"changed"_s}));
  EXPECT_EQ(Titles(list), (QStringList{u"t001"_s, u"t002"_s, u"t006"_s, u"t007"_s, u"t009"_s}));

  list.Items().Sort(TDDPlaylistItems::Reversed);
  EXPECT_EQ(rec.Take(), (QStringList{u"reset top"_s, u"sel"_s, u"changed"_s}));

  list.SetTimeFormat(u"nn:ss"_s);
  EXPECT_EQ(rec.Take(), (QStringList{u"chg 0-4"_s, u"changed"_s}));

  list.Items()[2].LongTime = 3 / 1440.0;
  EXPECT_TRUE(rec.Take().isEmpty());  // edits in place are silent until told
  list.ItemChanged(2);
  EXPECT_EQ(rec.Take(), (QStringList{u"chg 2-2"_s, u"changed"_s}));
  EXPECT_THROW(list.ItemChanged(5), std::out_of_range);
  TDDPlaylistItem replacement;
  replacement.Title = u"replaced"_s;
  list.SetSelected(1, true);
  rec.Take();
  list.SetItem(1, replacement);  // the row keeps its selection
  EXPECT_EQ(rec.Take(), (QStringList{u"chg 1-1"_s, u"changed"_s}));
  EXPECT_EQ(list.Items()[1].Title, u"replaced"_s);
  EXPECT_TRUE(list.IsSelected(1));

  {  // an insert and a removal in one bracket are no single range
    TDDPlaylistItems::Update update(list.Items());
    list.Items().Add();
    list.Items().Delete(0);
  }
  EXPECT_EQ(rec.Take(), (QStringList{u"reset"_s, u"changed"_s}));
}

TEST(PlaylistSignals, CurrentAndSelectionComeAfterTheRowsOncePerChange) {
  TDDPlaylistModel list;
  FillCount(list, 6);
  Recorder rec(list);
  list.SetCurrentItem(2);
  list.SetCurrentItem(2);  // unchanged: silent
  EXPECT_EQ(rec.Take(), (QStringList{u"cur 2"_s, u"changed"_s}));

  list.SetSelected(1, true);
  list.SetSelected(1, true);
  EXPECT_EQ(rec.Take(), (QStringList{u"sel"_s, u"changed"_s}));
  list.SetSelectedIndex(1);
  EXPECT_EQ(rec.Take(), (QStringList{u"sel"_s, u"changed"_s}));

  list.ClearSelection(false);  // held back for the next notification
  EXPECT_TRUE(rec.Take().isEmpty());
  list.SelectRange(4, 3);
  EXPECT_EQ(rec.Take(), (QStringList{u"sel"_s, u"changed"_s}));
  EXPECT_FALSE(list.IsSelected(1));
  EXPECT_EQ(list.SelectedCount(), 2);

  // Deleting the rows above the current one moves it: rows, then current, then selection.
  list.Items().Delete(0);
  EXPECT_EQ(rec.Take(), (QStringList{u"rem 0-0"_s, u"cur 1"_s, u"sel"_s, u"changed"_s}));
  EXPECT_EQ(list.SelectedIndex(), 0);

  {
    TDDPlaylistItems::Update update(list.Items());
    list.SetCurrentItem(4);
    list.SetCurrentItem(1);  // back where it was: nothing to tell
  }
  EXPECT_EQ(rec.Take(), QStringList{u"changed"_s});
}

TEST(PlaylistSignals, DeletingThroughTheCollectionKeepsTheBookkeeping) {
  TDDPlaylistModel list;
  FillCount(list, 6);
  list.SetCurrentItem(3);  // t003
  list.SetSelectedIndex(4);
  list.Items().Delete(1);
  EXPECT_EQ(list.CurrentItem(), 2);
  EXPECT_EQ(list.Items()[2].Title, u"t003"_s);
  EXPECT_EQ(list.SelectedIndex(), 3);
  EXPECT_FALSE(list.CurrentLost());
  list.Items().Delete(4);  // below both: nothing moves
  EXPECT_EQ(list.CurrentItem(), 2);
  EXPECT_EQ(list.SelectedIndex(), 3);
  list.Items().Delete(3);  // the anchor itself
  EXPECT_EQ(list.SelectedIndex(), -1);
  list.Items().Delete(2);  // the playing entry: the one before it, marked lost
  EXPECT_EQ(list.CurrentItem(), 1);
  EXPECT_TRUE(list.CurrentLost());
  EXPECT_EQ(Titles(list), (QStringList{u"t000"_s, u"t002"_s}));
}

TEST(PlaylistSignals, InsertingAboveThePlayingEntryKeepsItCurrent) {
  TDDPlaylistModel list;
  FillCount(list, 4);
  list.SetCurrentItem(2);
  list.SetSelectedIndex(1);
  list.Items().Insert(0).Title = u"first"_s;
  EXPECT_EQ(list.CurrentItem(), 3);
  EXPECT_EQ(list.Items()[3].Title, u"t002"_s);
  EXPECT_EQ(list.SelectedIndex(), 2);
  list.Items().Insert(4);  // below: unchanged
  EXPECT_EQ(list.CurrentItem(), 3);

  // Between "next" and its wrap the index names no entry; an append does not move it onto one.
  list.SetCurrentItem(list.Count());
  list.Items().Add();
  EXPECT_EQ(list.CurrentItem(), list.Count() - 1);
}

TEST(PlaylistSignals, MovingSelectedRowsKeepsThePlayingEntry) {
  TDDPlaylistModel list;
  FillCount(list, 6);
  int deleted = 0;
  list.OnDeleteItem = [&](const TDDPlaylistItem&, double) { ++deleted; };
  list.SetCurrentItem(3);  // t003 plays and is dragged
  list.Items()[2].Selected = list.Items()[3].Selected = true;
  Recorder rec(list);
  list.MoveSelected(5);
  EXPECT_EQ(Titles(list),
            (QStringList{u"t000"_s, u"t001"_s, u"t004"_s, u"t002"_s, u"t003"_s, u"t005"_s}));
  EXPECT_EQ(list.CurrentItem(), 4);
  EXPECT_EQ(list.SelectedCount(), 0);
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(rec.Take(), (QStringList{u"reset"_s, u"cur 4"_s, u"sel"_s, u"changed"_s}));

  // Below the last row: appended, in their order. The playing entry stays where it is.
  list.Items()[0].Selected = list.Items()[2].Selected = true;
  list.MoveSelected(100);
  EXPECT_EQ(Titles(list),
            (QStringList{u"t001"_s, u"t002"_s, u"t003"_s, u"t005"_s, u"t000"_s, u"t004"_s}));
  EXPECT_EQ(list.CurrentItem(), 2);

  // Onto the first row; nothing playing stays nothing playing.
  list.SetCurrentItem(-1);
  list.Items()[5].Selected = true;
  list.MoveSelected(0);
  EXPECT_EQ(Titles(list).first(), u"t004"_s);
  EXPECT_EQ(list.CurrentItem(), -1);

  rec.Take();
  list.MoveSelected(2);  // nothing selected: nothing happens
  EXPECT_TRUE(rec.Take().isEmpty());
}

}  // namespace
}  // namespace vireo
