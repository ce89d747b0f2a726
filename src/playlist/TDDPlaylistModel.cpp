#include "playlist/TDDPlaylistModel.h"

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

void TDDPlaylistModel::SetControlHeight(int height) {
  controlHeight_ = height < 0 ? 0 : height;
  visibleRows_ = static_cast<qint16>(controlHeight_ / ItemHeight);
}

void TDDPlaylistModel::SetCurrentItem(int value) {
  if (value == currentItem_) return;
  const int rows = controlHeight_ / ItemHeight;
  const int count = items_.Count();
  if (count == 0 || value < -1 || value > count) {
    currentItem_ = -1;
    currentLost_ = true;
  } else {
    currentItem_ = value;
    currentLost_ = false;
    if (value >= 0) {
      if (value < topIndex_) {
        topIndex_ = value;
      } else if (value > topIndex_ + rows - 1) {
        int top = value - rows + 1;
        if (top < 0)
          top = 0;
        else if (top > count - rows)
          top = count - rows;
        topIndex_ = top;
      }
    }
  }
  Repaint();
}

void TDDPlaylistModel::ClearSelection(bool repaint) {
  if (items_.IsEmpty()) return;
  for (auto& item : items_.items_) item->Selected = false;
  if (repaint) Repaint();
}

void TDDPlaylistModel::SelectAll() {
  TDDPlaylistItems::Update update(items_);
  for (auto& item : items_.items_) item->Selected = true;
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
    for (size_t i = 0; i < entries.size(); ++i)
      if (static_cast<int>(i) < done || entries[i]->Selected != value)
        kept.push_back(std::move(entries[i]));
    if (kept.size() != entries.size()) items_.Changed();
    entries.swap(kept);
    const int count = items_.Count();
    if (count < topIndex_) topIndex_ = 0;
    if (selectedIndex_ >= count) selectedIndex_ = -1;
    if (count - 1 < topIndex_ + visibleRows_) {
      topIndex_ = count - visibleRows_;
      if (topIndex_ < 0) topIndex_ = 0;
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

void TDDPlaylistModel::SetTimeFormat(const QString& format) {
  if (format == timeFormat_) return;
  timeFormat_ = format;
  TDDPlaylistItems::Update update(items_);
  for (auto& item : items_.items_)
    item->StrLength = CutTo255Bytes(FormatDateTime(timeFormat_, item->LongTime));
}

void TDDPlaylistModel::Repaint() {
  if (items_.Updating()) return;  // the closing EndUpdate notifies
  Q_EMIT Changed();
}

}  // namespace vireo
