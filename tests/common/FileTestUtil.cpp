#include "FileTestUtil.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "TestEnv.h"

namespace vireo::test {
namespace {

bool SetImmutable(const QString& path, bool on) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return ok;
}

}  // namespace

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

void CopyData(const QString& name, const QString& path) {
  WriteAll(path, ReadAll(DataPath(name)));
}

UnwritableFolder::UnwritableFolder(const QString& path) : path_(path) {
  const QByteArray p = QFile::encodeName(path);
  if (::geteuid() != 0) {
    ok_ = ::chmod(p.constData(), 0555) == 0;
  } else {
    immutable_ = ok_ = SetImmutable(path, true);
  }
  if (ok_) {  // make sure it really refuses
    QFile probe(path + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
      probe.close();
      probe.remove();
      ok_ = false;
    }
  }
}

UnwritableFolder::~UnwritableFolder() {
  if (immutable_) SetImmutable(path_, false);
  ::chmod(QFile::encodeName(path_).constData(), 0755);
}

}  // namespace vireo::test
