#pragma once

#include <QString>
#include <QTemporaryDir>

namespace vireo::test {

// A 64 KiB tmpfs mounted over a scratch folder, to see how saves behave on a full disk. Needs
// the right to mount (the tests run as root); Ok() is false where that is not allowed and the
// caller skips. Unmounted (lazily) when the object dies.
class TinyTmpfs {
 public:
  TinyTmpfs();
  ~TinyTmpfs();
  TinyTmpfs(const TinyTmpfs&) = delete;
  TinyTmpfs& operator=(const TinyTmpfs&) = delete;

  bool Ok() const { return mounted_; }
  QString Why() const { return why_; }
  QString FilePath(const QString& name) const;
  // Fills the disk with a filler file, then gives back `room` bytes (rounded down to whole
  // pages) by shrinking it. False when the disk could not be filled.
  bool FillLeaving(qint64 room);
  // Removes the filler: the disk is empty again.
  void Drain();

 private:
  QTemporaryDir dir_;
  bool mounted_ = false;
  QString why_;
};

}  // namespace vireo::test
