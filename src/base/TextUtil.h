#pragma once

#include <QByteArray>
#include <QString>

namespace vireo {

// The player's one trimming rule: leading and trailing blanks and control characters, that is
// every byte (or character) up to 0x20, are dropped.
QByteArray TrimBytes(QByteArrayView text);
QString TrimText(const QString& text);
inline bool IsBlank(const QString& text) {
  return TrimText(text).isEmpty();
}

// The file name without its folder and without its extension (the last dot of the name and what
// follows it). Both '/' and '\' end a folder, so paths from playlists written on Windows work too.
QString FileTitle(const QString& path);

// Makes a text usable as a file name: drops the nine characters " * / : < > ? \ | (only ASCII is
// looked at, so no part of a multi-byte character is ever removed). With maxBytes >= 0 the result
// is then cut to at most that many bytes of its GB18030 form, the byte count the lyric folders
// have always used, and always between two characters, never inside one.
QString CleanFileName(const QString& name, int maxBytes = -1);

}  // namespace vireo
