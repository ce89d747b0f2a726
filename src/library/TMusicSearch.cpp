#include "library/TMusicSearch.h"

#include "base/TextUtil.h"

namespace vireo {

TMusicSearch::TMusicSearch(std::unique_ptr<IMusicProvider> provider)
    : provider_(std::move(provider)) {}

const TMusicSearchItem* TMusicSearch::GetItem(int index) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || static_cast<size_t>(index) >= page_.size()) return nullptr;
  return page_[static_cast<size_t>(index)];
}

int TMusicSearch::GetCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(page_.size());
}

void TMusicSearch::ClearResults() {
  std::lock_guard lock(mutex_);
  ++sequence_;
  page_.clear();
  records_.clear();
}

QString TMusicSearch::GetUrl(const QString& key, qint32 extra) {
  if (IsBlank(key)) return {};
  try {
    return provider_->Resolve(TrimText(key), extra);
  } catch (...) {
    return {};
  }
}

void TMusicSearch::Search(const QString& keyword, int offset) {
  quint64 mine;
  {
    std::lock_guard lock(mutex_);
    mine = ++sequence_;
    page_.clear();
  }
  std::optional<QList<TMusicSearchItem>> found;
  try {
    if (!IsBlank(keyword) && offset >= 0)
      found = provider_->Find(TrimText(keyword), offset, kPageSize);
  } catch (...) {
    found.reset();
  }
  if (!found) return;
  std::lock_guard lock(mutex_);
  if (sequence_ != mine) return;
  for (const TMusicSearchItem& item : *found) {
    if (page_.size() >= static_cast<size_t>(kPageSize)) break;
    records_.push_back(std::make_unique<TMusicSearchItem>(item));
    page_.push_back(records_.back().get());
  }
}

}  // namespace vireo
