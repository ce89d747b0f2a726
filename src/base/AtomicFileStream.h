#pragma once

#include <QByteArray>
#include <QString>

namespace vireo {

// A file written in pieces and put in place whole: the pieces go, unbuffered, to a temporary file
// beside the target (the names AtomicFileWriter gives, so its RemoveLeftovers() finds what a crash
// left), and Commit() flushes it to the disk and renames it over the target. Dropped without a
// Commit(), or after a failed write, the temporary file goes and the target stays as it was. A
// symbolic link as target is followed. For a file written at once, AtomicFileWriter::Write.
//
// Threading: one object on one thread at a time.
class AtomicFileStream {
 public:
  explicit AtomicFileStream(QString path);
  ~AtomicFileStream();
  AtomicFileStream(const AtomicFileStream&) = delete;
  AtomicFileStream& operator=(const AtomicFileStream&) = delete;

  // Creates the temporary file; false when it cannot be made (a missing folder, no right).
  bool Open();
  // False once a write failed (a full disk, a quota); later calls then fail too.
  bool Append(const char* data, qsizetype size);
  bool Append(const QByteArray& bytes) { return Append(bytes.constData(), bytes.size()); }
  // True when the target now holds exactly what was appended.
  bool Commit();
  // Gives up: the temporary file goes, the target stays.
  void Discard();
  qint64 Written() const { return written_; }
  // The file a save of path really replaces: the end of a chain of links, or path itself.
  static QString Target(const QString& path);

 private:
  QString path_;
  QByteArray targetNative_;
  QByteArray tempNative_;
  int fd_ = -1;
  bool failed_ = false;
  qint64 written_ = 0;
};

}  // namespace vireo
