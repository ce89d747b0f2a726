#include "playlist/TDDPlaylistItems.h"

#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>
#include <random>
#include <stdexcept>

#include "base/Gb18030.h"
#include "playlist/TDDPlaylistModel.h"

namespace vireo {
namespace {

// The list has always compared names as 8-bit GBK strings, byte by byte with only the ASCII
// letters folded (to upper case, so '_' sorts after the letters): Chinese names then sort by the
// pinyin order of the GB2312 table, which is what users of the list expect. GB18030 gives the same
// bytes for every GBK character.
QByteArray NameKey(const QString& text) {
  const bool ascii =
      std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
  return FoldAsciiCase(ascii ? text.toLatin1() : ToGb18030(text), /*upper=*/true);
}

qint64 FileSizeKey(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() ? info.size() : -1;
}

qint64 FileDayKey(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return 0;
  return info.lastModified().date().toJulianDay();
}

template <typename Key, typename MakeKey>
void SortByKey(std::vector<std::unique_ptr<TDDPlaylistItem>>& entries, MakeKey makeKey) {
  std::vector<std::pair<Key, size_t>> keys;
  keys.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) keys.emplace_back(makeKey(*entries[i]), i);
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::unique_ptr<TDDPlaylistItem>> sorted;
  sorted.reserve(entries.size());
  for (const auto& k : keys) sorted.push_back(std::move(entries[k.second]));
  entries.swap(sorted);
}

}  // namespace

TDDPlaylistItems::TDDPlaylistItems(TDDPlaylistModel* owner) : owner_(owner) {}

TDDPlaylistItems::~TDDPlaylistItems() {
  destroying_ = true;
}

void TDDPlaylistItems::CheckIndex(int index, int limit) const {
  if (index < 0 || index > limit) throw std::out_of_range("playlist index out of range");
}

TDDPlaylistItem& TDDPlaylistItems::InsertEntry(int index, std::unique_ptr<TDDPlaylistItem> entry) {
  CheckIndex(index, Count());
  auto it = items_.insert(items_.begin() + index, std::move(entry));
  TDDPlaylistItem& item = **it;
  owner_->AfterInsert(index);
  owner_->NoteInserted(index, index);
  return item;
}

TDDPlaylistItem& TDDPlaylistItems::Add() {
  return InsertEntry(Count(), std::make_unique<TDDPlaylistItem>());
}

TDDPlaylistItem& TDDPlaylistItems::Insert(int index) {
  return InsertEntry(index, std::make_unique<TDDPlaylistItem>());
}

TDDPlaylistItem& TDDPlaylistItems::Add(const TDDPlaylistItem& item) {
  return InsertEntry(Count(), std::make_unique<TDDPlaylistItem>(item));
}

TDDPlaylistItem& TDDPlaylistItems::Insert(int index, const TDDPlaylistItem& item) {
  return InsertEntry(index, std::make_unique<TDDPlaylistItem>(item));
}

TDDPlaylistItem& TDDPlaylistItems::Items(int index) {
  CheckIndex(index, Count() - 1);
  return *items_[static_cast<size_t>(index)];
}

const TDDPlaylistItem& TDDPlaylistItems::Items(int index) const {
  CheckIndex(index, Count() - 1);
  return *items_[static_cast<size_t>(index)];
}

void TDDPlaylistItems::NotifyDelete(const TDDPlaylistItem& item) {
  if (destroying_ || owner_->destroying_ || owner_->rearranging_ || !owner_->OnDeleteItem) return;
  owner_->OnDeleteItem(item, item.LongTime);
}

void TDDPlaylistItems::Delete(int index) {
  CheckIndex(index, Count() - 1);
  NotifyDelete(*items_[static_cast<size_t>(index)]);
  items_.erase(items_.begin() + index);
  owner_->AfterRemove(index);
  owner_->NoteRemoved(index, index);
}

void TDDPlaylistItems::Clear() {
  Update update(*this);
  owner_->selectedIndex_ = -1;
  owner_->currentItem_ = -1;
  owner_->NoteReset(true);
  owner_->NoteSelection();
  // The last entry goes first, each one told before it is destroyed.
  while (!items_.empty()) {
    NotifyDelete(*items_.back());
    items_.pop_back();
  }
}

void TDDPlaylistItems::Assign(const TDDPlaylistItems& other) {
  if (&other == this) return;
  Update update(*this);
  Clear();
  items_.reserve(other.items_.size());
  for (const auto& item : other.items_) items_.push_back(std::make_unique<TDDPlaylistItem>(*item));
  owner_->NoteReset(true);
}

void TDDPlaylistItems::SortEntries(std::vector<std::unique_ptr<TDDPlaylistItem>>& entries,
                                   int kind) {
  switch (kind) {
    case ByCaption:
      SortByKey<QByteArray>(entries, [](const TDDPlaylistItem& i) { return NameKey(i.Caption); });
      break;
    case ByFileName:
      SortByKey<QByteArray>(entries, [](const TDDPlaylistItem& i) { return NameKey(i.FileName); });
      break;
    case ByFileSize:
      SortByKey<qint64>(entries, [](const TDDPlaylistItem& i) { return FileSizeKey(i.FileName); });
      break;
    case ByFileDate:
      SortByKey<qint64>(entries, [](const TDDPlaylistItem& i) { return FileDayKey(i.FileName); });
      break;
    case ByLength:
      SortByKey<double>(entries, [](const TDDPlaylistItem& i) {
        return std::isnan(i.LongTime) ? 0.0 : i.LongTime;
      });
      break;
    case Reversed:
      std::reverse(entries.begin(), entries.end());
      break;
    case Random: {
      // A uniform permutation from a clock seed: the same as drawing the entries one by one.
      std::mt19937_64 rng(static_cast<uint64_t>(
          std::chrono::high_resolution_clock::now().time_since_epoch().count()));
      std::shuffle(entries.begin(), entries.end(), rng);
      break;
    }
    default:
      break;
  }
}

void TDDPlaylistItems::Sort(int kind) {
  if (items_.empty()) return;
  Update update(*this);
  // Moving entries is not deleting them, even if something on the way fails.
  struct Rearranging {
    bool& flag;
    explicit Rearranging(bool& f) : flag(f) { flag = true; }
    ~Rearranging() { flag = false; }
  } rearranging(owner_->rearranging_);
  const int current = owner_->currentItem_;
  if (current >= 0 && current < Count()) items_[static_cast<size_t>(current)]->CurrentMark = true;

  // The entries are moved rather than copied: the result is the same list rebuilt in a new order.
  std::vector<std::unique_ptr<TDDPlaylistItem>> entries;
  entries.swap(items_);
  for (auto& item : entries) item->Selected = false;
  Clear();
  SortEntries(entries, kind);
  items_.swap(entries);
  for (int i = 0; i < Count(); ++i) {
    TDDPlaylistItem& item = *items_[static_cast<size_t>(i)];
    if (item.CurrentMark) {
      item.CurrentMark = false;
      owner_->currentItem_ = i;
    }
  }
  owner_->selectedIndex_ = -1;
  owner_->NoteReset(true);
}

void TDDPlaylistItems::BeginUpdate() {
  owner_->BeginUpdate();
}

void TDDPlaylistItems::EndUpdate() {
  owner_->EndUpdate();
}

bool TDDPlaylistItems::Updating() const {
  return owner_->updateCount_ > 0;
}

}  // namespace vireo
