#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vireo {

// Reading and writing lyric files. Files come from every kind of tool: the encoding is decided
// by a byte-order mark (UTF-8, UTF-16 or UTF-32 in either order, GB18030), else by the zero bytes
// of UTF-16 written without a mark, else by the bytes being valid UTF-8, else they are GB18030
// (which reads GBK and GB2312 too). Lines may end in
// CR, LF or CR LF. What we write is UTF-8 without a mark. Thread-safe (no shared state).
class LyricFile {
 public:
  // Files larger than this are not lyrics; reading them is refused.
  static constexpr qint64 kMaxFileBytes = 16 << 20;

  // The decoded text of a file, its lines rejoined as NormalizeLines does; nullopt when the
  // file cannot be read.
  static std::optional<QString> Read(const QString& path);
  static QString Decode(const QByteArray& bytes);

  // Splits at CR, LF or CR LF and rejoins with every line followed by CR LF, the form the lyric
  // scanner and the service expect. A final line break adds no empty line; "" stays "".
  static QString NormalizeLines(const QString& text);

  // Replaces the file atomically with the text in UTF-8; false when it could not be written.
  static bool Write(const QString& path, const QString& text);
};

}  // namespace vireo
