#include "base/AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/AtomicFileStream.h"

namespace vireo {

bool AtomicFileWriter::Write(const QString& path, const QByteArray& bytes) {
  AtomicFileStream out(path);
  return out.Open() && out.Append(bytes) && out.Commit();
}

int AtomicFileWriter::RemoveLeftovers(const QString& path) {
  if (path.isEmpty()) return 0;
  const QFileInfo info(AtomicFileStream::Target(path));
  const QString prefix = info.fileName() + QLatin1StringView(kTempInfix);
  QDir dir = info.absoluteDir();
  int removed = 0;
  // Listed whole and compared by hand: a name filter would take "[" in the file name for a
  // wildcard.
  const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : names) {
    if (!name.startsWith(prefix)) continue;
    // Only our own names: the prefix, then digits and one '-' (pid-counter).
    const QStringView tail = QStringView(name).sliced(prefix.size());
    bool ours = !tail.isEmpty() && tail.count(u'-') == 1;
    for (QChar c : tail) ours = ours && (c.isDigit() || c == u'-');
    if (ours && dir.remove(name)) ++removed;
  }
  return removed;
}

}  // namespace vireo
