#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "playlist/TDDPlaylistItems.h"

namespace vireo {

// The state the playlist control keeps besides drawing: the entries, which one is playing
// (CurrentItem), the selection and its anchor (SelectedIndex), the first visible row, and the
// operations that select, delete and re-order entries. The view draws it and repaints on
// Changed(); until a view exists, SetControlHeight stands in for the control's height.
//
// Invariants: CurrentItem is -1 or a valid index (transiently equal to Count() between the
// next-track step and its wrap); SelectedIndex is -1 or a valid index; TopIndex lies within
// 0..max(0, Count() - VisibleRows) after DeleteSelected.
//
// Threading: UI thread only. Changed() and OnDeleteItem are raised synchronously.
class TDDPlaylistModel : public QObject {
  Q_OBJECT

 public:
  static constexpr int ItemHeight = 14;

  explicit TDDPlaylistModel(QObject* parent = nullptr);
  ~TDDPlaylistModel() override;

  TDDPlaylistItems& Items() { return items_; }
  const TDDPlaylistItems& Items() const { return items_; }
  int Count() const { return items_.Count(); }
  // Copies the entries of another collection and repaints.
  void SetItems(const TDDPlaylistItems& items) { items_.Assign(items); }

  int CurrentItem() const { return currentItem_; }
  // Out of range (below -1 or above Count(), or any value on an empty list) gives -1 and marks
  // the current entry lost; Count() itself is accepted. A new current entry is scrolled into view.
  void SetCurrentItem(int value);

  int SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(int value) { selectedIndex_ = value; }
  int TopIndex() const { return topIndex_; }
  void SetTopIndex(int value) { topIndex_ = value; }
  int DropY() const { return dropY_; }
  void SetDropY(int value) { dropY_ = value; }
  bool CurrentLost() const { return currentLost_; }
  void SetCurrentLost(bool value) { currentLost_ = value; }
  bool Rearranging() const { return rearranging_; }
  void SetRearranging(bool value) { rearranging_ = value; }
  bool InDblClick() const { return inDblClick_; }
  void SetInDblClick(bool value) { inDblClick_ = value; }

  // The control's height in pixels; VisibleRows follows it (height div ItemHeight).
  int ControlHeight() const { return controlHeight_; }
  void SetControlHeight(int height);
  int VisibleRows() const { return visibleRows_; }

  // Clears every Selected flag; repaints when asked. An empty list is left alone.
  void ClearSelection(bool repaint);
  // Selects every entry, within one update.
  void SelectAll();
  // Deletes every entry whose Selected flag equals value, keeping CurrentItem on the same entry
  // (or, for a deleted current entry, on the one before it, marked lost so that "next" goes on
  // with the entry after it). One change notification.
  void DeleteSelected(bool value);

  QString TimeFormat() const { return timeFormat_; }
  // A new pattern rewrites every entry's StrLength (cut to 255 bytes), within one update.
  void SetTimeFormat(const QString& format);

  // Asks the view to repaint: at once, or at the end of the running update bracket.
  void Repaint();

  // Raised when an entry is really deleted (not while rearranging, not while the model itself is
  // being destroyed), before it goes, with the entry and its length in days. Unset: skipped.
  std::function<void(const TDDPlaylistItem& item, double length)> OnDeleteItem;

 Q_SIGNALS:
  // One per change outside an update bracket and one per closing EndUpdate.
  void Changed();

 private:
  friend class TDDPlaylistItems;

  TDDPlaylistItems items_;
  int topIndex_ = 0;
  int visibleRows_ = 150 / ItemHeight;  // a new control is 150 pixels high
  int controlHeight_ = 150;
  int selectedIndex_ = -1;
  int currentItem_ = -1;
  int dropY_ = -1;
  bool rearranging_ = false;
  bool inDblClick_ = false;
  bool currentLost_ = false;
  bool destroying_ = false;
  QString timeFormat_;
};

}  // namespace vireo
