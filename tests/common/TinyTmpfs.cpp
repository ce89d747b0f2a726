#include "TinyTmpfs.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

namespace vireo::test {

TinyTmpfs::TinyTmpfs() {
  if (!dir_.isValid()) {
    why_ = QStringLiteral("no scratch folder");
    return;
  }
  const QByteArray at = QFile::encodeName(dir_.path());
  if (::mount("tmpfs", at.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0755") != 0) {
    why_ = QStringLiteral("mounting a tmpfs is not permitted here: ") +
           QString::fromLocal8Bit(std::strerror(errno));
    return;
  }
  mounted_ = true;
}

TinyTmpfs::~TinyTmpfs() {
  if (mounted_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

QString TinyTmpfs::FilePath(const QString& name) const {
  return dir_.filePath(name);
}

bool TinyTmpfs::FillLeaving(qint64 room) {
  if (!mounted_) return false;
  const QByteArray path = QFile::encodeName(FilePath(QStringLiteral("filler")));
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  static const char block[4096] = {};
  qint64 size = 0;
  for (;;) {
    const ssize_t n = ::write(fd, block, sizeof block);
    if (n <= 0) break;
    size += n;
  }
  const bool full = errno == ENOSPC;
  const qint64 page = 4096;
  const qint64 give = (room / page) * page;
  bool ok = full && give <= size && ::ftruncate(fd, size - give) == 0;
  ::close(fd);
  return ok;
}

void TinyTmpfs::Drain() {
  QFile::remove(FilePath(QStringLiteral("filler")));
}

}  // namespace vireo::test
