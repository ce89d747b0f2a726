#include "audio/GainCache.h"

#include <QDateTime>
#include <QFileInfo>

namespace vireo {

GainCache& GainCache::Instance() {
  static auto* cache = new GainCache;  // never destroyed: an opener may still use it at exit
  return *cache;
}

std::optional<GainCache::Key> GainCache::KeyOf(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile()) return std::nullopt;
  return Key{info.absoluteFilePath(), info.size(),
             info.lastModified().toMSecsSinceEpoch()};
}

std::optional<float> GainCache::Find(const QString& path) {
  const auto key = KeyOf(path);
  if (!key) return std::nullopt;
  std::lock_guard lock(mutex_);
  const auto it = index_.find(key->path);
  if (it == index_.end()) return std::nullopt;
  if (!(it.value()->first == *key)) return std::nullopt;  // changed since: measure again
  order_.splice(order_.begin(), order_, it.value());
  return it.value()->second;
}

void GainCache::Store(const QString& path, float gain) {
  const auto key = KeyOf(path);
  if (!key) return;
  std::lock_guard lock(mutex_);
  if (const auto it = index_.find(key->path); it != index_.end()) {
    order_.erase(it.value());
    index_.erase(it);
  }
  order_.emplace_front(*key, gain);
  index_.insert(key->path, order_.begin());
  while (static_cast<int>(order_.size()) > kCapacity) {
    index_.remove(order_.back().first.path);
    order_.pop_back();
  }
}

int GainCache::Size() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(order_.size());
}

void GainCache::Clear() {
  std::lock_guard lock(mutex_);
  order_.clear();
  index_.clear();
}

}  // namespace vireo
