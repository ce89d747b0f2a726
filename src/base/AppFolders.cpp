#include "base/AppFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vireo {
namespace {

// The install's folders relative to its prefix (GNUInstallDirs), given by the build.
#ifndef VIREO_INSTALL_BINDIR
#define VIREO_INSTALL_BINDIR "bin"
#endif
#ifndef VIREO_INSTALL_DATADIR
#define VIREO_INSTALL_DATADIR "share/vireo"
#endif
#ifndef VIREO_INSTALL_MODULEDIR
#define VIREO_INSTALL_MODULEDIR "lib/vireo"
#endif

QString WithSlash(QString dir) {
  if (!dir.isEmpty() && !dir.endsWith(u'/')) dir += u'/';
  return dir;
}

QString Clean(const QString& dir) { return WithSlash(QDir::cleanPath(dir)); }

// The prefix when exeDir is one of the install's executable folders: <prefix>/bin for the
// programs users call, <prefix>/lib/vireo for the helpers.
QString PrefixOf(const QString& exeDir) {
  const QString dir = QDir::cleanPath(exeDir);
  for (const QLatin1String tail :
       {QLatin1String(VIREO_INSTALL_BINDIR), QLatin1String(VIREO_INSTALL_MODULEDIR)}) {
    const QString suffix = u'/' + QDir::cleanPath(tail);
    if (dir.endsWith(suffix)) return WithSlash(dir.left(dir.size() - suffix.size()));
  }
  return {};
}

// A folder holds the player's own files when its skins or presets lie in it.
bool HoldsPlayerFiles(const QString& dir) {
  return QFileInfo(dir + QStringLiteral("skin")).isDir() ||
         QFileInfo::exists(dir + QStringLiteral("effect.dat"));
}

}  // namespace

AppFolders AppFolders::ForExecutableDir(const QString& exeDir) {
  AppFolders f;
  f.exeDir_ = Clean(exeDir);
  f.dataDir_ = f.exeDir_;
  f.moduleDir_ = f.exeDir_;
  if (HoldsPlayerFiles(f.exeDir_)) return f;
  const QString prefix = PrefixOf(f.exeDir_);
  if (prefix.isEmpty()) return f;
  const QString data = Clean(prefix + QStringLiteral(VIREO_INSTALL_DATADIR));
  const QString modules = Clean(prefix + QStringLiteral(VIREO_INSTALL_MODULEDIR));
  if (!HoldsPlayerFiles(data) && !QFileInfo(modules).isDir()) return f;
  f.installed_ = true;
  f.prefix_ = prefix;
  f.dataDir_ = data;
  f.moduleDir_ = modules;
  return f;
}

AppFolders AppFolders::Current() {
  if (QCoreApplication::instance())
    return ForExecutableDir(QCoreApplication::applicationDirPath());
  return ForExecutableDir(QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath())
                              .absolutePath());
}

QStringList AppFolders::PluginDirs() const {
  return {moduleDir_ + QStringLiteral("plugins"),
          QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
              QStringLiteral("/vireo/plugins")};
}

QStringList AppFolders::ModuleCandidates(const QString& fileName) const {
  QStringList out;
  const QString fromEnv = qEnvironmentVariable("VIREO_MODULE_DIR");
  if (!fromEnv.isEmpty()) out << WithSlash(fromEnv) + fileName;
  out << exeDir_ + fileName;
  if (moduleDir_ != exeDir_) out << moduleDir_ + fileName;
  return out;
}

}  // namespace vireo
