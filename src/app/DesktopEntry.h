#pragma once

#include <QByteArray>
#include <QString>

namespace vireo {

// The per-user desktop entry that tells the desktop where the player is installed: the audio
// types it opens and the handler of its "vireo:" links, both starting the running executable with
// one file or address (%u), so that several files opened at once arrive as several starts and are
// collected by the running player.
class DesktopEntry {
 public:
  enum class Result { Unchanged, Written, Failed };

  // $XDG_DATA_HOME/applications/vireo.desktop
  static QString DefaultPath();

  // The entry for the executable at this absolute path.
  static QByteArray Contents(const QString& executable);

  // Writes contents to path unless the file already holds exactly them; the file is replaced
  // atomically, its folder created when missing.
  static Result Write(const QString& path, const QByteArray& contents);

  // The entry for the running executable at DefaultPath(). When it was (re)written, the desktop's
  // handler cache is refreshed in the background if update-desktop-database is installed.
  // Failures only mean the desktop does not learn about the player; start-up goes on.
  static Result RegisterAppPath();

  // The executable as an Exec program: quoted and escaped by the desktop entry rules when needed.
  static QString ExecQuoted(const QString& executable);
};

}  // namespace vireo
