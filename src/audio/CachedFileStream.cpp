#include "audio/CachedFileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace vireo {
namespace {

QByteArray ReadAt(int fd, long offset, long count) {
  QByteArray out(count, Qt::Uninitialized);
  long done = 0;
  while (done < count) {
    const ssize_t n = ::pread(fd, out.data() + done, static_cast<size_t>(count - done),
                              static_cast<off_t>(offset + done));
    if (n <= 0) break;
    done += n;
  }
  out.truncate(done);
  return out;
}

}  // namespace

CachedFileStream::CachedFileStream(const QByteArray& localPath) : path_(localPath) {
  fd_ = ::open(path_.constData(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  size_ = static_cast<long>(st.st_size);
  head_ = ReadAt(fd_, 0, std::min(size_, kHeadBytes));
  const long tail = std::min(size_ - static_cast<long>(head_.size()), kTailBytes);
  if (tail > 0) tail_ = ReadAt(fd_, size_ - tail, tail);
}

CachedFileStream::~CachedFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

TagLib::ByteVector CachedFileStream::readBlock(unsigned long length) {
  if (fd_ < 0 || pos_ >= size_ || length == 0) return {};
  const long count = std::min(static_cast<long>(length), size_ - pos_);
  const long headEnd = static_cast<long>(head_.size());
  const long tailStart = size_ - static_cast<long>(tail_.size());
  TagLib::ByteVector out;
  if (pos_ + count <= headEnd) {
    out = TagLib::ByteVector(head_.constData() + pos_, static_cast<unsigned int>(count));
  } else if (!tail_.isEmpty() && pos_ >= tailStart) {
    out = TagLib::ByteVector(tail_.constData() + (pos_ - tailStart),
                             static_cast<unsigned int>(count));
  } else {
    const QByteArray bytes = ReadAt(fd_, pos_, count);
    out = TagLib::ByteVector(bytes.constData(), static_cast<unsigned int>(bytes.size()));
  }
  pos_ += static_cast<long>(out.size());
  return out;
}

void CachedFileStream::seek(long offset, Position p) {
  long base = 0;
  if (p == Current) base = pos_;
  if (p == End) base = size_;
  pos_ = std::max(0L, base + offset);
}

}  // namespace vireo
