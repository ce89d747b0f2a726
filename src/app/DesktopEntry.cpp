#include "app/DesktopEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
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

}  // namespace

QString DesktopEntry::DefaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/applications/vireo.desktop");
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

QByteArray DesktopEntry::Contents(const QString& executable) {
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
                           " %u\n"
                           "Terminal=false\n"
                           "StartupNotify=false\n"
                           "MimeType=") +
                       mime + u'\n';
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
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return Result::Failed;
  if (file.write(contents) != contents.size()) {
    file.cancelWriting();
    return Result::Failed;
  }
  return file.commit() ? Result::Written : Result::Failed;
}

DesktopEntry::Result DesktopEntry::RegisterAppPath() {
  const QString path = DefaultPath();
  const Result result = Write(path, Contents(QCoreApplication::applicationFilePath()));
  if (result == Result::Written) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!tool.isEmpty()) QProcess::startDetached(tool, {QFileInfo(path).absolutePath()});
  }
  return result;
}

}  // namespace vireo
