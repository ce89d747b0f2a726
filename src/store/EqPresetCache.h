#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "store/EqPresets.h"

namespace vireo {

// The equalizer presets of one effect.dat, read once and kept until the file changes (its size
// or its modification time), so a track start looks its preset up without reading the file
// again, and a file edited while the player runs still takes effect at the next track.
// Threading: one thread (the UI thread).
class EqPresetCache {
 public:
  // As EqPresets::Lookup.
  std::optional<std::array<int, 10>> Lookup(const QString& path, int id);
  // How many times the file was read (tests).
  int Reads() const { return reads_; }

 private:
  QString path_;
  qint64 size_ = -1;
  QDateTime modified_;
  std::vector<EqPreset> presets_;
  int reads_ = 0;
};

}  // namespace vireo
