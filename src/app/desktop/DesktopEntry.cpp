#include "app/desktop/DesktopEntry.h"

#include "base/AppFolders.h"
#include "base/AtomicFileWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace vireo {
namespace {

// What the engine decodes, by the names shared-mime-info gives these formats.
constexpr const char* kMimeTypes[] = {
    "audio/mpeg",         "audio/x-mp3",
    "audio/x-mpeg",       "audio/mp4",
    "audio/x-m4a",        "audio/x-m4b",
    "audio/aac",          "audio/x-aac",
    "audio/flac",         "audio/x-flac",
    "audio/ogg",          "audio/x-ogg",
    "audio/x-vorbis+ogg", "audio/x-opus+ogg",
    "audio/x-flac+ogg",   "audio/x-speex",
    "audio/wav",          "audio/x-wav",
    "audio/x-aiff",       "audio/x-aifc",
    "audio/x-ape",        "audio/x-ms-wma",
    "audio/x-musepack",   "audio/x-tta",
    "audio/x-matroska",   "audio/webm",
    "audio/ac3",          "audio/vnd.dts",
    "audio/basic",        "audio/x-caf",
    "audio/x-w64",        "audio/amr",
    "audio/x-dsf",        "audio/x-mod",
    "audio/x-xm",         "audio/x-s3m",
    "audio/x-it",         "x-scheme-handler/vireo",
};

// A desktop entry string value: backslash, newline, tab and carriage return escaped.
QString EscapeValue(const QString& value) {
  QString out;
  for (QChar c : value) {
    if (c == u'\\')
      out += QStringLiteral("\\\\");
    else if (c == u'\n')
      out += QStringLiteral("\\n");
    else if (c == u'\t')
      out += QStringLiteral("\\t");
    else if (c == u'\r')
      out += QStringLiteral("\\r");
    else
      out += c;
  }
  return out;
}

// An entry this player wrote itself: the old ones claimed its link scheme and started it by an
// absolute path; the new ones are marked.
bool WrittenByPlayer(const QString& path, bool marked) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray text = file.read(64 * 1024);
  if (marked) return text.contains("\nX-Vireo-Portable=true\n");
  return text.contains("x-scheme-handler/vireo;") && text.contains("\nTryExec=/");
}

}  // namespace

QString DesktopEntry::DefaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/applications/") + QLatin1String(kId) + QStringLiteral(".desktop");
}

QString DesktopEntry::ExecQuoted(const QString& executable) {
  static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  QString exec = executable;
  exec.replace(u'%', QStringLiteral("%%"));  // a literal percent sign is not a field code
  bool needsQuotes = false;
  for (QChar c : exec) needsQuotes = needsQuotes || kReserved.contains(c);
  if (!needsQuotes) return exec;
  QString quoted = QStringLiteral("\"");
  for (QChar c : exec) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
    quoted += c;
  }
  return quoted + u'"';
}

QByteArray DesktopEntry::Contents(const QString& executable, const QString& icon, bool portable) {
  QString mime;
  for (const char* type : kMimeTypes) mime += QLatin1String(type) + u';';
  const QString text = QStringLiteral(
                           "[Desktop Entry]\n"
                           "Type=Application\n"
                           "Version=1.0\n"
                           "Name=Vireo 维雀\n"
                           "Name[zh_CN]=维雀\n"
                           "GenericName=Music Player\n"
                           "GenericName[zh_CN]=音乐播放器\n"
                           "Comment=Play music and network streams with synchronised lyrics\n"
                           "Comment[zh_CN]=播放音乐和网络歌曲，同步显示歌词\n"
                           "Categories=AudioVideo;Audio;Player;\n"
                           "Keywords=music;player;lyrics;\n"
                           "TryExec=") +
                       EscapeValue(executable) + QStringLiteral("\nExec=") +
                       EscapeValue(ExecQuoted(executable)) +
                       QStringLiteral(
                           " %U\n") +
                       (icon.isEmpty() ? QString() : QStringLiteral("Icon=") + EscapeValue(icon) + u'\n') +
                       QStringLiteral(
                           "Terminal=false\n"
                           "StartupNotify=false\n"
                           "MimeType=") +
                       mime + u'\n' + (portable ? QStringLiteral("X-Vireo-Portable=true\n") : QString());
  return text.toUtf8();
}

DesktopEntry::Result DesktopEntry::Write(const QString& path, const QByteArray& contents) {
  {
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.size() == contents.size() &&
        existing.readAll() == contents)
      return Result::Unchanged;
  }
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return Result::Failed;
  // The same unbuffered, checked writer as the settings: a full disk keeps the old entry.
  return AtomicFileWriter::Write(path, contents) ? Result::Written : Result::Failed;
}

DesktopEntry::Result DesktopEntry::Register(bool installed, const QString& executable,
                                            const QString& icon, const QString& userPath,
                                            const QStringList& systemDataDirs) {
  bool changed = false;
  // Earlier players wrote their entry as vireo.desktop; the id is the name now.
  const QString legacy = QFileInfo(userPath).absolutePath() + QStringLiteral("/vireo.desktop");
  if (WrittenByPlayer(legacy, false) && QFile::remove(legacy)) changed = true;

  bool installedEntry = installed;
  const QString name = QStringLiteral("/applications/") + QLatin1String(kId) +
                       QStringLiteral(".desktop");
  for (const QString& dir : systemDataDirs)
    installedEntry = installedEntry || QFileInfo::exists(dir + name);

  Result result = Result::Unchanged;
  if (installedEntry) {
    if (WrittenByPlayer(userPath, true)) result = QFile::remove(userPath) ? Result::Removed
                                                                          : Result::Failed;
  } else {
    result = Write(userPath, Contents(executable, icon, true));
  }
  if (result == Result::Written || result == Result::Removed) changed = true;
  if (changed) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!tool.isEmpty()) QProcess::startDetached(tool, {QFileInfo(userPath).absolutePath()});
  }
  return result;
}

DesktopEntry::Result DesktopEntry::RegisterAppPath() {
  const AppFolders folders = AppFolders::Current();
  QStringList systemDirs =
      QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
  systemDirs.removeAll(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
  const QString icon = folders.DataDir() + QStringLiteral("icons/") + QLatin1String(kId) +
                       QStringLiteral(".png");
  return Register(folders.Installed(), QCoreApplication::applicationFilePath(),
                  QFileInfo::exists(icon) ? icon : QString(), DefaultPath(), systemDirs);
}

}  // namespace vireo
