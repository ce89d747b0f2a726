#include "MusicCatalog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

#include "audio/TagReader.h"

namespace vireo::service {
namespace {

QString Clean(const QString& text);

// A track with empty tags takes its names from the file: "Artist - Title" or just the title.
void FillFromFileName(Track& t) {
  const QString base = QFileInfo(t.relPath).completeBaseName();
  const qsizetype dash = base.indexOf(QLatin1StringView(" - "));
  if (t.title.isEmpty()) t.title = Clean(dash > 0 ? base.mid(dash + 3) : base);
  if (t.artist.isEmpty() && dash > 0) t.artist = Clean(base.left(dash));
}

// Tag texts go into XML and HTML: control characters are dropped.
QString Clean(const QString& text) {
  QString out;
  for (QChar c : text)
    if (c.unicode() >= 0x20 && c.unicode() != 0x7f) out += c;
  return out.trimmed();
}

}  // namespace

MusicCatalog::MusicCatalog(QString root, int refreshSeconds)
    : root_(QFileInfo(root).canonicalFilePath()), refreshSeconds_(refreshSeconds) {}

const QStringList& MusicCatalog::AudioSuffixes() {
  static const QStringList suffixes = {
      QStringLiteral("mp3"),  QStringLiteral("ogg"), QStringLiteral("oga"), QStringLiteral("opus"),
      QStringLiteral("flac"), QStringLiteral("wav"), QStringLiteral("m4a"), QStringLiteral("aac"),
      QStringLiteral("aiff"), QStringLiteral("aif"), QStringLiteral("wma"), QStringLiteral("ape")};
  return suffixes;
}

QString MusicCatalog::IdOf(const QString& relPath) {
  return QString::fromLatin1(
      QCryptographicHash::hash(relPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

void MusicCatalog::RefreshLocked() {
  const QDateTime now = QDateTime::currentDateTimeUtc();
  if (scanned_.isValid() && scanned_.secsTo(now) < refreshSeconds_) return;
  scanned_ = now;
  QHash<QString, Track> known;
  for (const Track& t : tracks_) known.insert(t.relPath, t);

  QList<Track> found;
  if (!root_.isEmpty()) {
    QDirIterator it(root_, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
    const QDir root(root_);
    while (it.hasNext()) {
      const QString path = it.next();
      const QFileInfo info = it.fileInfo();
      if (!AudioSuffixes().contains(info.suffix().toLower())) continue;
      // A link that leads out of the folder is not served, so it is not listed either.
      const QString real = info.canonicalFilePath();
      if (real.isEmpty() || !real.startsWith(root_ + u'/')) continue;
      const QString rel = root.relativeFilePath(path);
      const auto old = known.constFind(rel);
      if (old != known.constEnd() && old->size == info.size() &&
          old->modified == info.lastModified()) {
        found.append(*old);
        continue;
      }
      Track t;
      t.relPath = rel;
      t.id = IdOf(rel);
      t.size = info.size();
      t.modified = info.lastModified();
      const TTags tags = TagReader::Read(path);
      t.title = Clean(tags.Title);
      t.artist = Clean(tags.Artist);
      t.album = Clean(tags.Album);
      const double seconds = tags.Length * 86400.0;
      if (seconds > 0.5) t.kbps = static_cast<int>(double(t.size) * 8.0 / seconds / 1000.0 + 0.5);
      FillFromFileName(t);
      found.append(t);
    }
  }
  std::sort(found.begin(), found.end(),
            [](const Track& a, const Track& b) { return a.relPath < b.relPath; });
  tracks_ = found;
  byId_.clear();
  for (qsizetype i = 0; i < tracks_.size(); ++i) byId_.insert(tracks_[i].id, i);
}

QList<Track> MusicCatalog::Tracks() {
  std::lock_guard lock(mutex_);
  RefreshLocked();
  return tracks_;
}

std::optional<Track> MusicCatalog::ById(const QString& id) {
  std::lock_guard lock(mutex_);
  RefreshLocked();
  const auto it = byId_.constFind(id);
  if (it == byId_.constEnd()) return std::nullopt;
  return tracks_[*it];
}

QList<Track> MusicCatalog::Search(const QString& keyword) {
  const QStringList words = keyword.simplified().toLower().split(u' ', Qt::SkipEmptyParts);
  QList<Track> out;
  if (words.isEmpty()) return out;
  for (const Track& t : Tracks()) {
    const QString hay = (t.title + u' ' + t.artist + u' ' + t.album + u' ' + t.relPath).toLower();
    if (std::all_of(words.begin(), words.end(), [&](const QString& w) { return hay.contains(w); }))
      out.append(t);
  }
  return out;
}

}  // namespace vireo::service
