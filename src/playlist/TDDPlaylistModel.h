#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "playlist/TDDPlaylistItems.h"

namespace vireo {

// The playlist's state apart from drawing: the entries, which one is playing (CurrentItem), the
// selection and its anchor (SelectedIndex), and the operations that select, delete and re-order
// entries while keeping those consistent. Scrolling, row geometry and drag state belong to the
// view (TDDPlaylist), which listens to the signals below.
//
// Invariants: CurrentItem is -1 or a valid index (transiently equal to Count() between the
// next-track step and its wrap); SelectedIndex is -1 or a valid index. Every structural change,
// from whatever caller, goes through the bookkeeping that keeps them so.
//
// Signals. Outside an update bracket every operation raises its signals at once; inside one
// (TDDPlaylistItems::BeginUpdate/EndUpdate or TDDPlaylistItems::Update) they are collected and
// raised once at the closing EndUpdate. In that order:
//   RowsInserted(first, last)  entries now at first..last are new; those after moved down.
//   RowsRemoved(first, last)   the entries that were at first..last are gone. Deletions that do
//                              not form one run (DeleteSelected of scattered rows) come as
//                              Reset(false) instead.
//   RowsChanged(first, last)   fields of the entries at first..last changed (ItemChanged,
//                              SetItem, SetTimeFormat); the count did not change.
//   Reset(toTop)               the rows were rebuilt wholesale: a sort, a clear or an assign
//                              (toTop true: a view shows the list from its first row again), a
//                              move of the selected rows or several different changes in one
//                              bracket (toTop false). Indexes held by observers are stale.
//   CurrentChanged(current)    CurrentItem or CurrentLost changed. The main window follows the
//                              playing entry with it; the view scrolls a new current row into view.
//   SelectionChanged()         Selected flags or SelectedIndex changed.
//   Changed()                  last, whenever any of the above was raised, and on Repaint(): one
//                              "something changed, redraw" for observers that want no detail.
// Entries edited through TDDPlaylistItems::Items() are not seen until ItemChanged or the end of a
// bracket; ClearSelection(false) holds its SelectionChanged back until the next notification.
//
// Threading: UI thread only. Signals and OnDeleteItem are raised synchronously.
class TDDPlaylistModel : public QObject {
  Q_OBJECT

 public:
  explicit TDDPlaylistModel(QObject* parent = nullptr);
  ~TDDPlaylistModel() override;

  TDDPlaylistItems& Items() { return items_; }
  const TDDPlaylistItems& Items() const { return items_; }
  int Count() const { return items_.Count(); }
  // Copies the entries of another collection (Reset).
  void SetItems(const TDDPlaylistItems& items) { items_.Assign(items); }
  // Replaces the fields of one entry with item's (Selected and CurrentMark kept), RowsChanged.
  void SetItem(int index, const TDDPlaylistItem& item);
  // Tells observers that the entry at index was edited in place (RowsChanged).
  void ItemChanged(int index);

  int CurrentItem() const { return currentItem_; }
  // Out of range (below -1 or above Count(), or any value on an empty list) gives -1 and marks
  // the current entry lost; Count() itself is accepted.
  void SetCurrentItem(int value);
  // Makes the entry at index (a valid one) current and clears CurrentLost even when it already
  // was current: the user chose to play it (a double click or Enter on the row).
  void PlayItem(int index);
  // The current entry was deleted or set out of range: no row is drawn as playing.
  bool CurrentLost() const { return currentLost_; }

  // The selection anchor; a value that names no entry becomes -1.
  int SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(int value);
  bool IsSelected(int index) const;
  void SetSelected(int index, bool selected);
  void ToggleSelected(int index);
  // Selects every entry from a to b inclusive, in either order, clipped to the list.
  void SelectRange(int a, int b);
  int SelectedCount() const;
  // Clears every Selected flag. An empty list is left alone. Without repaint the SelectionChanged
  // waits for the next notification (the caller is about to change more).
  void ClearSelection(bool repaint = true);
  // Selects every entry, within one update.
  void SelectAll();
  // Deletes every entry whose Selected flag equals value, keeping CurrentItem on the same entry
  // (or, for a deleted current entry, on the one before it, marked lost so that "next" goes on
  // with the entry after it). SelectedIndex beyond the new end becomes -1. One notification.
  void DeleteSelected(bool value);
  // Moves the selected entries, in their order, before the entry now at dropIndex (Count() or
  // more: to the end). The playing entry stays current at its new index, nothing stays selected
  // and nothing is reported as deleted. Reset(false).
  void MoveSelected(int dropIndex);

  // Entries are being re-ordered rather than deleted (inside Sort): no OnDeleteItem then.
  bool Rearranging() const { return rearranging_; }

  QString TimeFormat() const { return timeFormat_; }
  // A new pattern rewrites every entry's StrLength (cut to 255 bytes), within one update.
  void SetTimeFormat(const QString& format);

  // Asks observers to redraw: Changed() at once, or at the end of the running update bracket.
  void Repaint();

  // Raised when an entry is really deleted (not while rearranging, not while the model itself is
  // being destroyed), before it goes, with the entry and its length in days. Unset: skipped.
  std::function<void(const TDDPlaylistItem& item, double length)> OnDeleteItem;

 Q_SIGNALS:
  void RowsInserted(int first, int last);
  void RowsRemoved(int first, int last);
  void RowsChanged(int first, int last);
  void Reset(bool toTop);
  void CurrentChanged(int current);
  void SelectionChanged();
  void Changed();

 private:
  friend class TDDPlaylistItems;

  enum class Pending { None, Inserted, Removed, RowsChanged, Reset };

  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  // Records a change for the next notification and raises it unless a bracket is open.
  void NoteInserted(int first, int last);
  void NoteRemoved(int first, int last);
  void NoteRowsChanged(int first, int last);
  void NoteReset(bool toTop);
  void NoteSelection() { selectionDirty_ = true; }
  void Flush();
  // The anchor and the current entry follow one inserted or removed entry.
  void AfterInsert(int index);
  void AfterRemove(int index);
  void CheckIndex(int index) const;

  TDDPlaylistItems items_;
  int selectedIndex_ = -1;
  int currentItem_ = -1;
  bool currentLost_ = false;
  bool rearranging_ = false;
  bool destroying_ = false;
  QString timeFormat_;

  int updateCount_ = 0;
  Pending pending_ = Pending::None;
  int pendingFirst_ = 0;
  int pendingLast_ = 0;
  bool pendingToTop_ = false;
  bool selectionDirty_ = false;
  bool repaintDirty_ = false;
  int reportedCurrent_ = -1;
  bool reportedLost_ = false;
};

}  // namespace vireo
