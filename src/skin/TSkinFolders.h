#pragma once

#include <QList>
#include <QString>

namespace vireo {

// Where skins live on this system and how the names inside a skin find their files.
//
// Installed skins are the folders of "skin/" beside the executable; a user adds skins without
// root under $XDG_DATA_HOME/vireo/skins/ (~/.local/share/vireo/skins/). A folder whose name
// begins with "." is no skin. The menu lists the installed skins, then the user's; a name found
// in both is listed once, where the installed one stands, and means the user's copy (so a user
// can change a bundled skin by copying it).
//
// Threading: file-system reads only; any thread.
class TSkinFolders {
 public:
  struct Skin {
    QString name;
    // The skin's folder, with a trailing '/'.
    QString dir;
  };

  // appDir: the folder of the executable. userRoot: the per-user skin folder; empty means the
  // one of the XDG rules.
  explicit TSkinFolders(const QString& appDir, const QString& userRoot = QString());

  QString InstalledRoot() const { return installedRoot_; }
  QString UserRoot() const { return userRoot_; }
  // $XDG_DATA_HOME/vireo/skins/, with a trailing '/'.
  static QString DefaultUserRoot();

  // Every skin in menu order (installed ones sorted by name without case, as the Windows file
  // system listed them, then the user's own).
  QList<Skin> List() const;
  // The folder of the named skin (trailing '/'): the user's copy when there is one, else the
  // installed one (which need not exist).
  QString SkinDir(const QString& name) const;

  // The file a skin names relative to its folder. Skins made on Windows write "\" between
  // folders and may differ in letter case from the files on disk: each part of the name is
  // matched exactly first, then without case. A part that matches nothing is kept as written,
  // so the result names a missing file and reading it fails.
  static QString Resolve(const QString& baseDir, const QString& fileName);

 private:
  static QStringList SkinNamesIn(const QString& root);

  QString installedRoot_;
  QString userRoot_;
};

}  // namespace vireo
