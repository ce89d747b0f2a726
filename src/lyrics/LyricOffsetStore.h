#pragma once

#include <QByteArray>
#include <QString>

namespace vireo {

// Keeps the offset the user set for a song's lyric: written into the lyric file as the standard
// [offset:] tag (so other players follow it too), or, when the file may not be written, into
// the per-user LyricOffsetTable. Thread-safe (no state of its own); Store touches the disk and
// runs on a worker thread.
class LyricOffsetStore {
 public:
  enum class Where { File, Table, Nowhere };

  // The file's bytes with every [offset:] tag set to ms, or one such tag put first (after a
  // byte-order mark) with the file's own line break. Files in UTF-16 or UTF-32 come back as
  // UTF-8, the rest keep their bytes (the tag is ASCII, as in GB18030 and UTF-8).
  static QByteArray WithOffset(const QByteArray& bytes, qint32 ms);

  // Writes ms into the lyric file atomically, else into the table at tablePath.
  static Where Store(const QString& lyricPath, const QString& tablePath, qint32 ms);
};

}  // namespace vireo
