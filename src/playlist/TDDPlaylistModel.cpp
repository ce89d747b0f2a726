#include "playlist/TDDPlaylistModel.h"

#include <algorithm>
#include <stdexcept>

#include "base/Gb18030.h"
#include "playlist/DateTimeFormat.h"

namespace vireo {
namespace {

// StrLength was a 255-byte short string; keep the same limit, cut between characters.
QString CutTo255Bytes(const QString& text) {
  if (text.size() <= 63) return text;  // four bytes per character at most
  QString cut = text;
  while (!cut.isEmpty() && ToGb18030(cut).size() > 255) {
    cut.chop(1);
    if (!cut.isEmpty() && cut.back().isHighSurrogate()) cut.chop(1);
  }
  return cut;
}

}  // namespace

TDDPlaylistModel::TDDPlaylistModel(QObject* parent) : QObject(parent), items_(this) {}

TDDPlaylistModel::~TDDPlaylistModel() {
  destroying_ = true;
}

void TDDPlaylistModel::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw std::out_of_range("playlist index out of range");
}

// --- notification -------------------------------------------------------------------------------

void TDDPlaylistModel::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) {
    repaintDirty_ = true;  // a closed bracket always redraws, as it always has
    Flush();
  }
}

void TDDPlaylistModel::NoteInserted(int first, int last) {
  const int n = last - first + 1;
  switch (pending_) {
    case Pending::None:
      pending_ = Pending::Inserted;
      pendingFirst_ = first;
      pendingLast_ = last;
      break;
    case Pending::Inserted:
      // New rows inside or right after the run keep it one run.
      if (first >= pendingFirst_ && first <= pendingLast_ + 1)
        pendingLast_ += n;
      else
        pending_ = Pending::Reset;
      break;
    case Pending::Reset:
      break;
    default:
      pending_ = Pending::Reset;
  }
  Flush();
}

void TDDPlaylistModel::NoteRemoved(int first, int last) {
  const int n = last - first + 1;
  switch (pending_) {
    case Pending::None:
      pending_ = Pending::Removed;
      pendingFirst_ = first;
      pendingLast_ = last;
      break;
    case Pending::Removed:
      // Runs are kept in the indexes the entries had before the first removal.
      if (last + 1 == pendingFirst_)
        pendingFirst_ = first;
      else if (first == pendingFirst_)
        pendingLast_ += n;
      else
        pending_ = Pending::Reset;
      break;
    case Pending::Reset:
      break;
    default:
      pending_ = Pending::Reset;
  }
  Flush();
}

void TDDPlaylistModel::NoteRowsChanged(int first, int last) {
  switch (pending_) {
    case Pending::None:
      pending_ = Pending::RowsChanged;
      pendingFirst_ = first;
      pendingLast_ = last;
      break;
    case Pending::RowsChanged:
      pendingFirst_ = std::min(pendingFirst_, first);
      pendingLast_ = std::max(pendingLast_, last);
      break;
    case Pending::Inserted:
      if (first < pendingFirst_ || last > pendingLast_) pending_ = Pending::Reset;
      break;
    case Pending::Reset:
      break;
    case Pending::Removed:
      pending_ = Pending::Reset;
      break;
  }
  Flush();
}

void TDDPlaylistModel::NoteReset(bool toTop) {
  pending_ = Pending::Reset;
  pendingToTop_ = pendingToTop_ || toTop;
  Flush();
}

void TDDPlaylistModel::Flush() {
  if (updateCount_ > 0 || destroying_ || items_.destroying_) return;
  const Pending kind = pending_;
  const int first = pendingFirst_, last = pendingLast_;
  const bool toTop = pendingToTop_;
  const bool currentMoved = currentItem_ != reportedCurrent_ || currentLost_ != reportedLost_;
  const bool selection = selectionDirty_;
  const bool any = kind != Pending::None || currentMoved || selection || repaintDirty_;
  // Cleared before raising: a handler may change the list again and must be heard.
  pending_ = Pending::None;
  pendingToTop_ = false;
  selectionDirty_ = false;
  repaintDirty_ = false;
  reportedCurrent_ = currentItem_;
  reportedLost_ = currentLost_;
  switch (kind) {
    case Pending::Inserted:
      Q_EMIT RowsInserted(first, last);
      break;
    case Pending::Removed:
      Q_EMIT RowsRemoved(first, last);
      break;
    case Pending::RowsChanged:
      Q_EMIT RowsChanged(first, last);
      break;
    case Pending::Reset:
      Q_EMIT Reset(toTop);
      break;
    case Pending::None:
      break;
  }
  if (currentMoved) Q_EMIT CurrentChanged(currentItem_);
  if (selection) Q_EMIT SelectionChanged();
  if (any) Q_EMIT Changed();
}

void TDDPlaylistModel::Repaint() {
  repaintDirty_ = true;
  Flush();
}

// --- bookkeeping
// ----------------------------------------------------------------------------------

void TDDPlaylistModel::AfterInsert(int index) {
  // Count() already includes the new entry; a current index equal to the old count (between
  // "next" and its wrap) names no entry and stays.
  if (currentItem_ >= index && currentItem_ < Count() - 1) ++currentItem_;
  if (selectedIndex_ >= index) {
    ++selectedIndex_;
    NoteSelection();
  }
}

void TDDPlaylistModel::AfterRemove(int index) {
  if (index == currentItem_) {
    --currentItem_;
    currentLost_ = true;
  } else if (index < currentItem_) {
    --currentItem_;
  }
  if (index == selectedIndex_) {
    selectedIndex_ = -1;
    NoteSelection();
  } else if (index < selectedIndex_) {
    --selectedIndex_;
    NoteSelection();
  }
}

// --- entries
// --------------------------------------------------------------------------------------

void TDDPlaylistModel::SetItem(int index, const TDDPlaylistItem& item) {
  CheckIndex(index);
  TDDPlaylistItem& target = items_.Items(index);
  const bool selected = target.Selected, mark = target.CurrentMark;
  target = item;
  target.Selected = selected;
  target.CurrentMark = mark;
  NoteRowsChanged(index, index);
}

void TDDPlaylistModel::ItemChanged(int index) {
  CheckIndex(index);
  NoteRowsChanged(index, index);
}

void TDDPlaylistModel::SetCurrentItem(int value) {
  if (value == currentItem_) return;
  const int count = items_.Count();
  if (count == 0 || value < -1 || value > count) {
    currentItem_ = -1;
    currentLost_ = true;
  } else {
    currentItem_ = value;
    currentLost_ = false;
  }
  Flush();
}

// --- selection
// ------------------------------------------------------------------------------------

void TDDPlaylistModel::PlayItem(int index) {
  CheckIndex(index);
  currentItem_ = index;
  currentLost_ = false;
  Flush();
}

void TDDPlaylistModel::SetSelectedIndex(int value) {
  if (value < -1 || value >= Count()) value = -1;
  if (value == selectedIndex_) return;
  selectedIndex_ = value;
  NoteSelection();
  Flush();
}

bool TDDPlaylistModel::IsSelected(int index) const {
  return index >= 0 && index < Count() && items_.items_[static_cast<size_t>(index)]->Selected;
}

void TDDPlaylistModel::SetSelected(int index, bool selected) {
  CheckIndex(index);
  bool& flag = items_.items_[static_cast<size_t>(index)]->Selected;
  if (flag == selected) return;
  flag = selected;
  NoteSelection();
  Flush();
}

void TDDPlaylistModel::ToggleSelected(int index) {
  SetSelected(index, !IsSelected(index));
}

void TDDPlaylistModel::SelectRange(int a, int b) {
  if (a > b) std::swap(a, b);
  a = std::max(a, 0);
  b = std::min(b, Count() - 1);
  for (int i = a; i <= b; ++i) {
    bool& flag = items_.items_[static_cast<size_t>(i)]->Selected;
    if (!flag) {
      flag = true;
      NoteSelection();
    }
  }
  Flush();
}

int TDDPlaylistModel::SelectedCount() const {
  return static_cast<int>(std::count_if(items_.items_.begin(), items_.items_.end(),
                                        [](const auto& item) { return item->Selected; }));
}

void TDDPlaylistModel::ClearSelection(bool repaint) {
  if (items_.IsEmpty()) return;
  for (auto& item : items_.items_) item->Selected = false;
  NoteSelection();
  if (repaint) Flush();
}

void TDDPlaylistModel::SelectAll() {
  TDDPlaylistItems::Update update(items_);
  for (auto& item : items_.items_) item->Selected = true;
  NoteSelection();
}

void TDDPlaylistModel::DeleteSelected(bool value) {
  if (items_.IsEmpty()) return;
  TDDPlaylistItems::Update update(items_);
  auto& entries = items_.items_;
  // Walk from the last entry to the first so that the current index can follow the deletions.
  // The entries are removed in one pass afterwards, which keeps clearing a long list linear;
  // should an OnDeleteItem handler fail, the entries already reported still go and the list
  // stays consistent.
  int done = static_cast<int>(entries.size());  // entries from here on have been handled
  const auto finish = [&] {
    std::vector<std::unique_ptr<TDDPlaylistItem>> kept;
    kept.reserve(entries.size());
    for (size_t i = entries.size(); i-- > 0;) {
      if (static_cast<int>(i) >= done && entries[i]->Selected == value) {
        const int at = static_cast<int>(i);
        NoteRemoved(at, at);
      }
    }
    for (size_t i = 0; i < entries.size(); ++i)
      if (static_cast<int>(i) < done || entries[i]->Selected != value)
        kept.push_back(std::move(entries[i]));
    entries.swap(kept);
    if (selectedIndex_ >= items_.Count()) {
      selectedIndex_ = -1;
      NoteSelection();
    }
  };
  try {
    for (int i = static_cast<int>(entries.size()) - 1; i >= 0; --i) {
      TDDPlaylistItem& item = *entries[static_cast<size_t>(i)];
      if (item.Selected == value) {
        items_.NotifyDelete(item);
        if (i == currentItem_) {
          --currentItem_;
          currentLost_ = true;
        } else if (i < currentItem_) {
          --currentItem_;
        }
      }
      done = i;
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TDDPlaylistModel::MoveSelected(int dropIndex) {
  if (SelectedCount() == 0) return;
  TDDPlaylistItems::Update update(items_);
  auto& entries = items_.items_;
  const int count = Count();
  dropIndex = std::clamp(dropIndex, 0, count);
  // The entry being played is followed by identity, not by index.
  const TDDPlaylistItem* current = currentItem_ >= 0 && currentItem_ < count
                                       ? entries[static_cast<size_t>(currentItem_)].get()
                                       : nullptr;
  // The same order as inserting copies of the selected rows before dropIndex and then deleting
  // the originals: unselected rows above the drop point, the moved rows, the rest.
  std::vector<std::unique_ptr<TDDPlaylistItem>> before, moved, after;
  for (int i = 0; i < count; ++i) {
    auto& e = entries[static_cast<size_t>(i)];
    if (e->Selected)
      moved.push_back(std::move(e));
    else if (i < dropIndex)
      before.push_back(std::move(e));
    else
      after.push_back(std::move(e));
  }
  entries.clear();
  for (auto* part : {&before, &moved, &after})
    for (auto& e : *part) {
      e->Selected = false;
      entries.push_back(std::move(e));
    }
  currentItem_ = -1;
  if (current) {
    for (int i = 0; i < count; ++i)
      if (entries[static_cast<size_t>(i)].get() == current) currentItem_ = i;
  }
  NoteSelection();
  NoteReset(false);
}

void TDDPlaylistModel::SetTimeFormat(const QString& format) {
  if (format == timeFormat_) return;
  timeFormat_ = format;
  TDDPlaylistItems::Update update(items_);
  for (auto& item : items_.items_)
    item->StrLength = CutTo255Bytes(FormatDateTime(timeFormat_, item->LongTime));
  if (!items_.IsEmpty()) NoteRowsChanged(0, Count() - 1);
}

}  // namespace vireo
