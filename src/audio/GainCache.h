#pragma once

#include <QHash>
#include <QString>
#include <list>
#include <mutex>
#include <optional>

namespace vireo {

// The gains the gain tool measured, kept for the files played again: keyed by path, size and
// modification time, so an edited or replaced file is measured anew. Small and in memory; the
// least recently used entry goes first.
//
// Threading contract: every method from any thread (the opener threads use it).
class GainCache {
 public:
  static constexpr int kCapacity = 1000;

  static GainCache& Instance();  // the process's cache

  // The gain stored for the file as it is on disk now, if any.
  std::optional<float> Find(const QString& path);
  void Store(const QString& path, float gain);
  int Size() const;
  void Clear();

 private:
  struct Key {
    QString path;
    qint64 size = -1;
    qint64 modifiedMs = 0;
    bool operator==(const Key&) const = default;
  };
  static std::optional<Key> KeyOf(const QString& path);

  mutable std::mutex mutex_;                                          // guards order_ and index_
  std::list<std::pair<Key, float>> order_;                            // most recently used first
  QHash<QString, std::list<std::pair<Key, float>>::iterator> index_;  // by path
};

}  // namespace vireo
