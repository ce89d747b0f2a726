#include <gtest/gtest.h>

#include <stdexcept>

#include "PlaylistTestUtil.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;

using test::Fill;
using test::FillCount;
using test::Titles;

struct ChangeCounter {
  explicit ChangeCounter(TDDPlaylistModel& list) {
    QObject::connect(&list, &TDDPlaylistModel::Changed, [this] { ++count; });
  }
  int count = 0;
};

TEST(PlaylistModel, NewListState) {
  TDDPlaylistModel list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.CurrentItem(), -1);
  EXPECT_EQ(list.SelectedIndex(), -1);
  EXPECT_FALSE(list.CurrentLost());
  EXPECT_FALSE(list.Rearranging());
  const TDDPlaylistItem item;
  EXPECT_TRUE(item.Caption.isEmpty());
  EXPECT_EQ(item.LongTime, 0);
  EXPECT_FALSE(item.ISURL || item.Selected || item.CurrentMark);
}

TEST(PlaylistModel, ItemsOutsideTheListThrow) {
  TDDPlaylistModel list;
  FillCount(list, 3);
  EXPECT_THROW(list.Items()[3], std::out_of_range);
  EXPECT_THROW(list.Items()[-1], std::out_of_range);
  EXPECT_THROW(list.Items().Delete(3), std::out_of_range);
  EXPECT_THROW(list.Items().Insert(4), std::out_of_range);
  list.Items().Insert(3).Title = QStringLiteral("end");
  list.Items().Insert(0).Title = QStringLiteral("start");
  EXPECT_EQ(Titles(list), (QStringList{u"start"_s, u"t000"_s, u"t001"_s, u"t002"_s, u"end"_s}));
}

TEST(PlaylistModel, SetCurrentItemRange) {
  TDDPlaylistModel list;
  list.SetCurrentItem(0);  // empty list
  EXPECT_EQ(list.CurrentItem(), -1);
  EXPECT_TRUE(list.CurrentLost());

  FillCount(list, 5);
  list.SetCurrentItem(2);
  EXPECT_EQ(list.CurrentItem(), 2);
  EXPECT_FALSE(list.CurrentLost());
  list.SetCurrentItem(5);  // the count itself, between "next" and its wrap
  EXPECT_EQ(list.CurrentItem(), 5);
  EXPECT_FALSE(list.CurrentLost());
  list.SetCurrentItem(6);
  EXPECT_EQ(list.CurrentItem(), -1);
  EXPECT_TRUE(list.CurrentLost());
  list.SetCurrentItem(3);
  list.SetCurrentItem(-2);
  EXPECT_EQ(list.CurrentItem(), -1);
  EXPECT_TRUE(list.CurrentLost());
}

TEST(PlaylistModel, ChangeNotificationOncePerBracket) {
  TDDPlaylistModel list;
  ChangeCounter changes(list);
  FillCount(list, 50);
  EXPECT_EQ(changes.count, 1);
  list.Items().Add();
  EXPECT_EQ(changes.count, 2);
  list.Items().BeginUpdate();
  list.Items().BeginUpdate();
  list.Items().Add();
  list.SetCurrentItem(4);
  list.Items().Delete(0);
  list.Items().EndUpdate();
  EXPECT_EQ(changes.count, 2);
  list.Items().EndUpdate();
  EXPECT_EQ(changes.count, 3);
  list.SelectAll();
  EXPECT_EQ(changes.count, 4);
  list.DeleteSelected(true);
  EXPECT_EQ(changes.count, 5);
  list.Items().EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(changes.count, 5);
}

TEST(PlaylistModel, DeleteSelectedFollowsTheCurrentEntry) {
  TDDPlaylistModel list;
  FillCount(list, 8);
  list.SetCurrentItem(5);
  for (int i : {0, 2, 7}) list.Items()[i].Selected = true;  // two above, one below
  list.DeleteSelected(true);
  EXPECT_EQ(list.CurrentItem(), 3);
  EXPECT_FALSE(list.CurrentLost());
  EXPECT_EQ(list.Items()[3].Title, u"t005"_s);

  list.Items()[3].Selected = true;  // the current entry itself
  list.DeleteSelected(true);
  EXPECT_EQ(list.CurrentItem(), 2);
  EXPECT_TRUE(list.CurrentLost());
  EXPECT_EQ(list.Items()[list.CurrentItem() + 1].Title, u"t006"_s);  // "next" goes on there

  list.SetCurrentItem(0);
  list.Items()[0].Selected = true;
  list.DeleteSelected(true);
  EXPECT_EQ(list.CurrentItem(), -1);
  EXPECT_TRUE(list.CurrentLost());
}

TEST(PlaylistModel, DeleteSelectedWithFalseDeletesTheUnselected) {
  TDDPlaylistModel list;
  FillCount(list, 4);
  list.Items()[1].Selected = true;
  list.DeleteSelected(false);
  EXPECT_EQ(Titles(list), QStringList{u"t001"_s});
}

TEST(PlaylistModel, DeleteSelectedDropsAnAnchorBeyondTheEnd) {
  TDDPlaylistModel list;
  FillCount(list, 20);
  list.SetSelectedIndex(19);
  for (int i = 10; i < 20; ++i) list.Items()[i].Selected = true;
  list.DeleteSelected(true);
  EXPECT_EQ(list.Count(), 10);
  EXPECT_EQ(list.SelectedIndex(), -1);  // the anchor was deleted

  list.SetSelectedIndex(2);
  list.Items()[9].Selected = true;
  list.DeleteSelected(true);
  EXPECT_EQ(list.SelectedIndex(), 2);

  list.SelectAll();
  list.DeleteSelected(true);
  EXPECT_EQ(list.Count(), 0);
  list.DeleteSelected(true);  // empty list: nothing
  list.SetSelectedIndex(0);   // names no entry
  EXPECT_EQ(list.SelectedIndex(), -1);
}

TEST(PlaylistModel, OnDeleteItemOnlyForRealDeletions) {
  std::vector<std::pair<QString, double>> deleted;
  {
    TDDPlaylistModel list;
    list.OnDeleteItem = [&](const TDDPlaylistItem& item, double length) {
      deleted.emplace_back(item.Title, length);
    };
    FillCount(list, 6);
    list.Items().Delete(0);
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0], (std::pair{u"t000"_s, 1 / 1440.0}));

    list.Items().Sort(TDDPlaylistItems::Reversed);
    list.Items().Sort(TDDPlaylistItems::Random);
    list.Items().Sort(TDDPlaylistItems::ByLength);
    EXPECT_EQ(deleted.size(), 1u);

    // The clear-list command: every entry is reported with its length.
    list.SelectAll();
    list.Items()[0].Selected = false;
    list.DeleteSelected(true);
    EXPECT_EQ(deleted.size(), 5u);
    double total = 0;
    for (const auto& d : deleted) total += d.second;
    EXPECT_DOUBLE_EQ(total * 1440, 1.0 + 3 + 4 + 5 + 6);

    list.Items().Clear();
    EXPECT_EQ(deleted.size(), 6u);
    FillCount(list, 3);
  }
  EXPECT_EQ(deleted.size(), 6u);  // destroying the list reports nothing
}

TEST(PlaylistModel, FailingDeleteHandlerLeavesAConsistentList) {
  TDDPlaylistModel list;
  ChangeCounter changes(list);
  FillCount(list, 6);
  list.SetCurrentItem(5);
  list.OnDeleteItem = [](const TDDPlaylistItem& item, double) {
    if (item.Title == u"t002"_s) throw std::runtime_error("handler failed");
  };
  list.SelectAll();
  const int before = changes.count;
  EXPECT_THROW(list.DeleteSelected(true), std::runtime_error);
  // t005..t003 were reported and are gone; the rest stays, the list still notifies.
  EXPECT_EQ(Titles(list), (QStringList{u"t000"_s, u"t001"_s, u"t002"_s}));
  EXPECT_EQ(list.CurrentItem(), 2);
  EXPECT_TRUE(list.CurrentLost());
  EXPECT_EQ(changes.count, before + 1);
  EXPECT_FALSE(list.Items().Updating());
  list.OnDeleteItem = nullptr;
  list.DeleteSelected(true);
  EXPECT_EQ(list.Count(), 0);
}

TEST(PlaylistModel, ClearResetsTheState) {
  TDDPlaylistModel list;
  FillCount(list, 30);
  list.SetCurrentItem(25);
  list.SetSelectedIndex(4);
  std::vector<bool> resets;
  QObject::connect(&list, &TDDPlaylistModel::Reset, [&](bool top) { resets.push_back(top); });
  list.Items().Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.CurrentItem(), -1);
  EXPECT_EQ(list.SelectedIndex(), -1);
  EXPECT_EQ(resets, std::vector<bool>{true});
}

TEST(PlaylistModel, SelectionOperations) {
  TDDPlaylistModel list;
  ChangeCounter changes(list);
  list.ClearSelection(true);  // empty: left alone
  EXPECT_EQ(changes.count, 0);
  FillCount(list, 4);
  list.SelectAll();
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(list.Items()[i].Selected);
  const int before = changes.count;
  list.ClearSelection(false);
  EXPECT_EQ(changes.count, before);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(list.Items()[i].Selected);
  list.ClearSelection(true);
  EXPECT_EQ(changes.count, before + 1);
}

TEST(PlaylistModel, TimeFormatRewritesLengths) {
  TDDPlaylistModel list;
  Fill(list, {u"a"_s, u"b"_s});
  list.Items()[1].LongTime = 65 / 1440.0;
  EXPECT_TRUE(list.Items()[0].StrLength.isEmpty());  // only a new format writes it
  ChangeCounter changes(list);
  list.SetTimeFormat(u"nn:ss"_s);
  EXPECT_EQ(changes.count, 1);
  EXPECT_EQ(list.Items()[0].StrLength, u"01:00"_s);
  EXPECT_EQ(list.Items()[1].StrLength, u"05:00"_s);
  list.SetTimeFormat(u"nn:ss"_s);  // unchanged: nothing
  EXPECT_EQ(changes.count, 1);
  list.SetTimeFormat(QString(101, u'n'));  // 50 two-digit minutes plus a lone one: 101 bytes
  EXPECT_EQ(list.Items()[0].StrLength.size(), 101);
  list.SetTimeFormat(QStringLiteral("\"%1\"").arg(QString(200, u'长')));
  EXPECT_EQ(list.Items()[0].StrLength.size(), 127);  // 255 bytes of two-byte characters
}

TEST(PlaylistModel, AssignCopiesEveryField) {
  TDDPlaylistModel a, b;
  Fill(a, {u"x"_s});
  a.Items()[0].Alum = u"专辑"_s;
  a.Items()[0].ISURL = true;
  FillCount(b, 3);
  b.SetItems(a.Items());
  ASSERT_EQ(b.Count(), 1);
  EXPECT_EQ(b.Items()[0].Alum, u"专辑"_s);
  EXPECT_TRUE(b.Items()[0].ISURL);
  EXPECT_EQ(b.Items()[0].Caption, u"x - A"_s);
}

}  // namespace
}  // namespace vireo
