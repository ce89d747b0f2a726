#include "base/AtomicFileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>

#include "base/AtomicFileWriter.h"

namespace vireo {
namespace {

std::atomic<unsigned> g_counter{0};

}  // namespace

QString AtomicFileStream::Target(const QString& path) {
  const QFileInfo info(path);
  if (!info.isSymLink()) return path;
  const QString target = info.symLinkTarget();
  return target.isEmpty() ? path : target;
}

AtomicFileStream::AtomicFileStream(QString path) : path_(std::move(path)) {}

AtomicFileStream::~AtomicFileStream() { Discard(); }

bool AtomicFileStream::Open() {
  if (path_.isEmpty() || fd_ >= 0) return false;
  const QString target = Target(path_);
  targetNative_ = QFile::encodeName(target);
  // A new file gets the usual permissions (the umask applies), a replaced one keeps its own.
  mode_t mode = 0666;
  struct stat old {};
  const bool existed = ::stat(targetNative_.constData(), &old) == 0;
  if (existed) {
    if (!S_ISREG(old.st_mode)) return false;
    mode = old.st_mode & 07777;
  }
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    tempNative_ = targetNative_ + AtomicFileWriter::kTempInfix + QByteArray::number(::getpid()) +
                  '-' + QByteArray::number(g_counter.fetch_add(1));
    fd_ = ::open(tempNative_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd_ < 0 && errno != EEXIST) return false;
  }
  if (fd_ < 0) return false;
  if (existed) ::fchmod(fd_, mode);  // the umask must not narrow a replaced file's permissions
  failed_ = false;
  written_ = 0;
  return true;
}

bool AtomicFileStream::Append(const char* data, qsizetype size) {
  if (fd_ < 0 || failed_) return false;
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, static_cast<size_t>(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // no progress counts as a full disk rather than a spin
      failed_ = true;
      return false;
    }
    data += n;
    size -= n;
    written_ += n;
  }
  return true;
}

bool AtomicFileStream::Commit() {
  if (fd_ < 0) return false;
  // The data must be on the disk before the name points at it, or a power cut could leave the
  // new name on an empty file.
  bool ok = !failed_ && ::fsync(fd_) == 0;
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  if (ok) ok = ::rename(tempNative_.constData(), targetNative_.constData()) == 0;
  if (!ok) {
    ::unlink(tempNative_.constData());
    return false;
  }
  // Make the rename itself durable; a failure here no longer endangers the old contents.
  const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(targetNative_)).absolutePath());
  const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

void AtomicFileStream::Discard() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  ::unlink(tempNative_.constData());
}

}  // namespace vireo
