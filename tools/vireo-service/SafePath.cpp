#include "SafePath.h"

#include <QDir>
#include <QFileInfo>

namespace vireo::service {

bool SafePath::IsCleanRelativeName(const QString& name) {
  if (name.isEmpty() || name.size() > 4096 || name.startsWith(u'/')) return false;
  for (QChar c : name)
    if (c.unicode() < 0x20 || c == u'\\' || c.unicode() == 0x7f) return false;
  for (const QString& segment : name.split(u'/'))
    if (segment.isEmpty() || segment == u"." || segment == u"..") return false;
  return true;
}

std::optional<QString> SafePath::Resolve(const QString& root, const QString& name, bool mustExist) {
  if (!IsCleanRelativeName(name)) return std::nullopt;
  const QString realRoot = QFileInfo(root).canonicalFilePath();
  if (realRoot.isEmpty()) return std::nullopt;
  const QString path = realRoot + u'/' + name;
  const QFileInfo info(path);
  if (!info.exists()) {
    if (mustExist) return std::nullopt;
    // A new file: its folder must be inside.
    const QString parent = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (parent.isEmpty() || (parent != realRoot && !parent.startsWith(realRoot + u'/')))
      return std::nullopt;
    return path;
  }
  const QString real = info.canonicalFilePath();
  if (real.isEmpty() || !real.startsWith(realRoot + u'/')) return std::nullopt;
  return real;
}

std::optional<QString> SafePath::ResolveForWriting(const QString& root, const QString& name) {
  if (!IsCleanRelativeName(name)) return std::nullopt;
  const QString realRoot = QFileInfo(root).canonicalFilePath();
  if (realRoot.isEmpty()) return std::nullopt;
  const QFileInfo info(realRoot + u'/' + name);
  if (info.isSymLink() || (info.exists() && !info.isFile())) return std::nullopt;
  const QString parent = QFileInfo(info.absolutePath()).canonicalFilePath();
  if (parent.isEmpty() || (parent != realRoot && !parent.startsWith(realRoot + u'/')))
    return std::nullopt;
  return parent + u'/' + info.fileName();
}

}  // namespace vireo::service
