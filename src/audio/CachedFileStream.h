#pragma once

#include <taglib/tiostream.h>

#include <QByteArray>

namespace vireo {

// A read-only file for TagLib that holds the file's head and tail in memory: a tag reader seeks
// and reads in small steps (the ID3v2 header, its frames, the first audio frame, the ID3v1 and
// APE footers), each a system call on a plain file. With the ends read once, a typical file
// costs an open and two reads; anything outside them is read from the file as it is asked for.
//
// Threading contract: one thread at a time, like any TagLib stream.
class CachedFileStream : public TagLib::IOStream {
 public:
  static constexpr long kHeadBytes = 64 * 1024;
  static constexpr long kTailBytes = 8 * 1024;

  explicit CachedFileStream(const QByteArray& localPath);
  ~CachedFileStream() override;
  CachedFileStream(const CachedFileStream&) = delete;
  CachedFileStream& operator=(const CachedFileStream&) = delete;

  TagLib::FileName name() const override { return path_.constData(); }
  TagLib::ByteVector readBlock(unsigned long length) override;
  void writeBlock(const TagLib::ByteVector&) override {}
  void insert(const TagLib::ByteVector&, unsigned long = 0, unsigned long = 0) override {}
  void removeBlock(unsigned long = 0, unsigned long = 0) override {}
  bool readOnly() const override { return true; }
  bool isOpen() const override { return fd_ >= 0; }
  void seek(long offset, Position p = Beginning) override;
  long tell() const override { return pos_; }
  long length() override { return size_; }
  void truncate(long) override {}

 private:
  const QByteArray path_;
  int fd_ = -1;
  long size_ = 0;
  long pos_ = 0;
  QByteArray head_, tail_;  // [0, head_.size()) and [size_ - tail_.size(), size_)
};

}  // namespace vireo
