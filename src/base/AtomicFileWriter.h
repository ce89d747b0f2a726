#pragma once

#include <QByteArray>
#include <QString>

namespace vireo {

// Replaces a file as a whole or not at all. The bytes go to a temporary file beside the target
// (named target + kTempInfix + a unique tail), written without any buffering so that every
// failed write is seen (a full disk, a quota), flushed to the disk, then renamed over the
// target. On any failure the temporary file is removed and the target is left as it was.
//
// A crash after the temporary file was named but before the rename leaves it behind, complete
// or not. RemoveLeftovers(target) deletes such files; the application calls it for the settings
// and playlist files at start-up, before anything is saved (only one instance runs, so no other
// writer can own one of these files then).
//
// A symbolic link as target is followed: the file it names is replaced, the link stays.
// Thread-safe: no shared state (two threads must not write the same target at once).
class AtomicFileWriter {
 public:
  static constexpr const char* kTempInfix = ".vireo-save-";

  // True when the target now holds exactly bytes.
  static bool Write(const QString& path, const QByteArray& bytes);
  // Deletes the temporary files a crashed save of path left beside it; the number removed.
  static int RemoveLeftovers(const QString& path);
};

}  // namespace vireo
