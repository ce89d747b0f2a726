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

// Makes a text usable as a file name: drops the nine characters " * / : < > ? \ | and the control
// characters below 0x20 (only ASCII is looked at, so no part of a multi-byte character is ever
// removed): a title from a stream can hold a newline or a 0x01. With maxBytes >= 0 the result
// is then cut to at most that many bytes of its GB18030 form, the byte count the lyric folders
// have always used, and always between two characters, never inside one.
QString CleanFileName(const QString& name, int maxBytes = -1);

// The longest start of the text, in whole characters, whose UTF-8 form has at most maxBytes:
// what a Linux file system holds of a name is counted in those bytes (255 a name).
QString CutUtf8(const QString& text, int maxBytes);

}  // namespace vireo
