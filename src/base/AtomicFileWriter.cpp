#include "base/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>

namespace vireo {
namespace {

std::atomic<unsigned> g_counter{0};

// The file a save really replaces: the end of a chain of links, or path itself.
QString ResolveTarget(const QString& path) {
  const QFileInfo info(path);
  if (!info.isSymLink()) return path;
  const QString target = info.symLinkTarget();
  return target.isEmpty() ? path : target;
}

bool WriteAll(int fd, const char* data, qsizetype size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;  // no progress: treat like a full disk rather than spin
    data += n;
    size -= n;
  }
  return true;
}

}  // namespace

bool AtomicFileWriter::Write(const QString& path, const QByteArray& bytes) {
  if (path.isEmpty()) return false;
  const QString target = ResolveTarget(path);
  const QByteArray targetNative = QFile::encodeName(target);

  // A new file gets the usual permissions (the umask applies), a replaced one keeps its own.
  mode_t mode = 0666;
  struct stat old {};
  const bool existed = ::stat(targetNative.constData(), &old) == 0;
  if (existed) {
    if (!S_ISREG(old.st_mode)) return false;
    mode = old.st_mode & 07777;
  }

  QByteArray tempNative;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempNative = targetNative + kTempInfix + QByteArray::number(::getpid()) + '-' +
                 QByteArray::number(g_counter.fetch_add(1));
    fd = ::open(tempNative.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  if (existed) ::fchmod(fd, mode);  // the umask must not narrow a replaced file's permissions

  bool ok = WriteAll(fd, bytes.constData(), bytes.size());
  // The data must be on the disk before the name points at it, or a power cut could leave the
  // new name on an empty file.
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tempNative.constData(), targetNative.constData()) == 0;
  if (!ok) {
    ::unlink(tempNative.constData());
    return false;
  }
  // Make the rename itself durable; a failure here no longer endangers the old contents.
  const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
  const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

int AtomicFileWriter::RemoveLeftovers(const QString& path) {
  if (path.isEmpty()) return 0;
  const QFileInfo info(ResolveTarget(path));
  const QString prefix = info.fileName() + QLatin1StringView(kTempInfix);
  QDir dir = info.absoluteDir();
  int removed = 0;
  // Listed whole and compared by hand: a name filter would take "[" in the file name for a
  // wildcard.
  const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : names) {
    if (!name.startsWith(prefix)) continue;
    // Only our own names: the prefix, then digits and one '-' (pid-counter).
    const QStringView tail = QStringView(name).sliced(prefix.size());
    bool ours = !tail.isEmpty() && tail.count(u'-') == 1;
    for (QChar c : tail) ours = ours && (c.isDigit() || c == u'-');
    if (ours && dir.remove(name)) ++removed;
  }
  return removed;
}

}  // namespace vireo
