#pragma once

#include <QByteArray>
#include <QString>

namespace vireo {

// The player's desktop entry: the audio types it opens and the handler of its "vireo:" links,
// starting the player with the files or addresses given (%U; a batch of several is collected by
// the running player).
//
// An installed player has its entry in <prefix>/share/applications (data/org.vireo.Vireo.desktop,
// which is Contents("vireo", kId)). A player run from a build or portable folder writes one of its
// own, with the same id, into the user's folder, so the desktop finds it too; it never does so
// where an installed entry is, and an installed player removes such an entry, which would
// otherwise stand in for the installed one.
class DesktopEntry {
 public:
  enum class Result { Unchanged, Written, Removed, Failed };

  // The desktop id, the icon's name and the MPRIS DesktopEntry.
  static constexpr const char* kId = "org.vireo.Vireo";

  // $XDG_DATA_HOME/applications/org.vireo.Vireo.desktop
  static QString DefaultPath();

  // The entry for the executable (an absolute path, or a name looked up in PATH) and the icon (a
  // theme name or an absolute file; empty: none). portable marks an entry the player wrote.
  static QByteArray Contents(const QString& executable, const QString& icon = QString(),
                             bool portable = false);

  // Writes contents to path unless the file already holds exactly them; the file is replaced
  // atomically, its folder created when missing.
  static Result Write(const QString& path, const QByteArray& contents);

  // For the running player: the entry of a build or portable run written at DefaultPath(), or,
  // when the player is installed or an installed entry exists, a player-written one there removed.
  // An entry of the old name (vireo.desktop) that the player wrote goes either way. When
  // something changed, the desktop's handler cache is refreshed in the background if
  // update-desktop-database is installed. Failures only mean the desktop does not learn about
  // the player; start-up goes on.
  static Result RegisterAppPath();
  // The same with the facts given (tests): whether the player is installed, its executable, its
  // icon file and the folders searched for an installed entry.
  static Result Register(bool installed, const QString& executable, const QString& icon,
                         const QString& userPath, const QStringList& systemDataDirs);

  // The executable as an Exec program: quoted and escaped by the desktop entry rules when needed.
  static QString ExecQuoted(const QString& executable);
};

}  // namespace vireo
