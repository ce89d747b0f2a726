#include "store/EqPresetCache.h"

#include <QFileInfo>

namespace vireo {

std::optional<std::array<int, 10>> EqPresetCache::Lookup(const QString& path, int id) {
  const QFileInfo info(path);
  const qint64 size = info.exists() ? info.size() : -1;
  const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
  if (path != path_ || size != size_ || modified != modified_ || reads_ == 0) {
    presets_ = EqPresets::Read(path);
    path_ = path;
    size_ = size;
    modified_ = modified;
    ++reads_;
  }
  return EqPresets::Find(presets_, id);
}

}  // namespace vireo
