#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <mutex>
#include <optional>

namespace vireo::service {

struct Track {
  QString id;       // stable: derived from the relative path
  QString relPath;  // inside the music folder, '/'-separated
  QString title, artist, album;
  qint64 size = 0;
  int kbps = 0;  // average bit rate, 0 when the length is unknown
  QDateTime modified;
};

// The tracks of a music folder (sub-folders included), with their tags. The folder is walked
// again when the list is older than the refresh interval; tags are read only for new or changed
// files. Thread-safe: one mutex guards the list, and a walk happens under it.
class MusicCatalog {
 public:
  explicit MusicCatalog(QString root, int refreshSeconds = 30);

  QString Root() const { return root_; }
  QList<Track> Tracks();  // in path order
  std::optional<Track> ById(const QString& id);
  // Tracks whose title, artist, album or path hold every word of the keyword (any case).
  QList<Track> Search(const QString& keyword);

  static const QStringList& AudioSuffixes();
  static QString IdOf(const QString& relPath);

 private:
  void RefreshLocked();

  const QString root_;
  const int refreshSeconds_;
  std::mutex mutex_;  // guards tracks_, byId_, scanned_
  QList<Track> tracks_;
  QHash<QString, qsizetype> byId_;
  QDateTime scanned_;
};

}  // namespace vireo::service
