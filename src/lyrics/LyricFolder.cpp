#include "lyrics/LyricFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QPointer>

#include "base/Gb18030.h"
#include "base/SimilarityPercent.h"
#include "base/TextUtil.h"
#include "lyrics/LyricFile.h"
#include "lyrics/LyricWorkers.h"

namespace vireo {

QByteArray LyricFolder::LowerAscii(const QString& text) {
  return FoldAsciiCase(ToGb18030(text));
}

std::optional<QString> LyricFolder::FindCandidate(const QString& folder, const QString& title,
                                                  const QString& singer) {
  if (folder.isEmpty()) return std::nullopt;
  const QDir dir(folder);
  if (!dir.exists()) return std::nullopt;
  const QByteArray key = LowerAscii(title + u' ' + singer);
  // Name order, without regard to case: the order the lyric folders have always been walked in.
  const QFileInfoList files =
      dir.entryInfoList({QStringLiteral("*.lrc")}, QDir::Files | QDir::Readable | QDir::Hidden,
                        QDir::Name | QDir::IgnoreCase);
  std::optional<QString> candidate;
  for (const QFileInfo& file : files) {
    QByteArray name = LowerAscii(file.fileName());
    name.chop(4);
    const int score = SimilarityPercent(name, key);
    if (score >= kMatchScore) candidate = file.filePath();
    if (score >= 100) break;
  }
  return candidate;
}

QString LyricFolder::SideFile(const QString& trackPath) {
  if (trackPath.isEmpty() || trackPath.contains(QLatin1StringView("://"))) return {};
  return trackPath.left(std::max<qsizetype>(0, trackPath.size() - 4)) + u".lrc";
}

std::optional<QString> LyricFolder::FindSideFile(const QString& trackPath) {
  const QString side = SideFile(trackPath);
  if (side.isEmpty()) return std::nullopt;
  const QFileInfo exact(side);
  if (exact.isFile()) return side;
  const QString wanted = exact.fileName();
  const QDir dir = exact.dir();
  if (wanted.isEmpty() || !dir.exists()) return std::nullopt;
  // Several names may differ from it in case only; the first in plain name order is taken, so
  // the same one every time.
  std::optional<QString> found;
  QString foundName;
  QDirIterator it(dir.path(), QDir::Files | QDir::Hidden);
  while (it.hasNext()) {
    it.next();
    const QString name = it.fileName();
    if (name.compare(wanted, Qt::CaseInsensitive) != 0) continue;
    if (!found || name < foundName) {
      found = it.filePath();
      foundName = name;
    }
  }
  return found;
}

QString LyricFolder::SaveName(const QString& title, const QString& singer, int maxBytes) {
  return CleanFileName(title + u' ' + singer, maxBytes) + u".lrc";
}

bool LyricFolder::Save(const QString& folder, const QString& fileName, const QString& text) {
  if (folder.isEmpty() || !QDir(folder).exists()) return false;
  return LyricFile::Write(QDir(folder).filePath(fileName), text);
}

void LyricFolder::SaveInBackground(const QString& folder, const QString& fileName,
                                   const QString& text, QObject* receiver,
                                   std::function<void(bool)> done) {
  QPointer<QObject> guard(receiver);
  const bool wantsResult = receiver != nullptr && static_cast<bool>(done);
  LyricWorkers::Start([folder, fileName, text, guard, wantsResult, done = std::move(done)] {
    const bool ok = Save(folder, fileName, text);
    if (wantsResult) LyricWorkers::Post(guard, [done, ok] { done(ok); });
  });
}

}  // namespace vireo
