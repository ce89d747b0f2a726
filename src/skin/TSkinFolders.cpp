#include "skin/TSkinFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vireo {
namespace {

QString WithSlash(QString dir) {
  if (!dir.isEmpty() && !dir.endsWith(u'/')) dir += u'/';
  return dir;
}

}  // namespace

TSkinFolders::TSkinFolders(const QString& appDir, const QString& userRoot)
    : installedRoot_(WithSlash(appDir) + QStringLiteral("skin/")),
      userRoot_(WithSlash(userRoot.isEmpty() ? DefaultUserRoot() : userRoot)) {}

QString TSkinFolders::DefaultUserRoot() {
  return WithSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
         QStringLiteral("vireo/skins/");
}

QStringList TSkinFolders::SkinNamesIn(const QString& root) {
  QStringList names;
  const QDir dir(root);
  if (!dir.exists()) return names;
  // Hidden folders are left out by the filter already; the dot rule also covers them by name.
  for (const QString& name :
       dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
    if (!name.startsWith(u'.')) names.append(name);
  return names;
}

QList<TSkinFolders::Skin> TSkinFolders::List() const {
  QList<Skin> skins;
  const QStringList user = SkinNamesIn(userRoot_);
  for (const QString& name : SkinNamesIn(installedRoot_))
    skins.append({name, (user.contains(name) ? userRoot_ : installedRoot_) + name + u'/'});
  for (const QString& name : user) {
    bool listed = false;
    for (const Skin& s : skins) listed = listed || s.name == name;
    if (!listed) skins.append({name, userRoot_ + name + u'/'});
  }
  return skins;
}

QString TSkinFolders::SkinDir(const QString& name) const {
  if (!name.isEmpty() && QFileInfo(userRoot_ + name).isDir()) return userRoot_ + name + u'/';
  return installedRoot_ + name + u'/';
}

QString TSkinFolders::Resolve(const QString& baseDir, const QString& fileName) {
  QString path = WithSlash(baseDir);
  const QStringList parts = QString(fileName).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const QString& part = parts[i];
    QString found = part;
    if (part != u"." && part != u".." && !QFileInfo::exists(path + part)) {
      const QStringList entries = QDir(path).entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
      for (const QString& entry : entries)
        if (entry.compare(part, Qt::CaseInsensitive) == 0) {
          found = entry;
          break;
        }
    }
    path += found;
    if (i + 1 < parts.size()) path += u'/';
  }
  return path;
}

}  // namespace vireo
