#pragma once

#include <QString>
#include <optional>

namespace vireo {

// The per-user table of lyric offsets for lyric files the player may not write (read-only files,
// folders of another user): one line per file, "<milliseconds>\t<path>", UTF-8, replaced
// atomically. Small by design: past kMaxEntries the oldest entries go.
//
// Thread-safe: one process-wide mutex serialises every read-modify-write of a table; every call
// touches the disk, so call it from a worker thread.
class LyricOffsetTable {
 public:
  static constexpr int kMaxEntries = 2000;
  // The table's file name in the player's data folder.
  static constexpr const char* kFileName = "LyricOffsets.txt";

  static std::optional<qint32> Lookup(const QString& tablePath, const QString& lyricPath);
  // Sets (or replaces) the offset of a lyric file; false when the table could not be written.
  static bool Remember(const QString& tablePath, const QString& lyricPath, qint32 ms);
  // Drops a file's entry (its offset is in the file itself now).
  static bool Forget(const QString& tablePath, const QString& lyricPath);
};

}  // namespace vireo
