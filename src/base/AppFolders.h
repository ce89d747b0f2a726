#pragma once

#include <QString>
#include <QStringList>

namespace vireo {

// Where the player's own files are: its data (skins, the equalizer presets), its run-time
// modules and plug-ins, and its helper programs (the gain tool).
//
// One binary serves three layouts. A build folder or a portable copy keeps everything beside the
// executable (a "skin" folder or "effect.dat" there says so). An installed player keeps its
// executables in <prefix>/bin, its data in <prefix>/share/vireo and its modules, plug-ins and
// helpers in <prefix>/lib/vireo; those folders are found from the executable's own folder by the
// paths the install used, so no absolute path is compiled in. Skins and plug-ins are then also
// looked for in the XDG data folders (…/vireo/skin, …/vireo/plugins).
//
// VIREO_MODULE_DIR, when set, names the folder of the run-time modules before any other: test
// programs, which run from their own folders, find the build's modules through it.
//
// Threading: reads the file system; any thread.
class AppFolders {
 public:
  // exeDir: the folder of the running executable.
  static AppFolders ForExecutableDir(const QString& exeDir);
  // For this process (QCoreApplication::applicationDirPath(), or /proc/self/exe before there is
  // an application object).
  static AppFolders Current();

  // True when the executable lies in an installed tree rather than among its own files.
  bool Installed() const { return installed_; }
  // Each with a trailing '/'.
  QString ExecutableDir() const { return exeDir_; }
  QString DataDir() const { return dataDir_; }
  QString ModuleDir() const { return moduleDir_; }
  // Where the player's own plug-ins are; the user's own are in XDG's data home (PluginDirs()).
  QStringList PluginDirs() const;
  // The folders a run-time module file may be in, in the order to try them.
  QStringList ModuleCandidates(const QString& fileName) const;
  // The installed prefix (trailing '/') when Installed(), else empty.
  QString Prefix() const { return prefix_; }

 private:
  QString exeDir_;
  QString dataDir_;
  QString moduleDir_;
  QString prefix_;
  bool installed_ = false;
};

}  // namespace vireo
