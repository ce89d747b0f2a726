#pragma once

#include <cstdint>

namespace vireo {

// Bytes a decoder reads from something other than a local file (a download). Kept abstract so
// the decoder module, loaded at run time, reads a download without linking the code that makes it.
class IByteSource {
 public:
  // Seek's whence beyond SEEK_SET/CUR/END, with the values the demuxing library gives them.
  static constexpr int kSeekSize = 0x10000;   // asks for the size instead of moving
  static constexpr int kSeekForce = 0x20000;  // a hint that may be ignored

  virtual ~IByteSource() = default;
  // Blocks until bytes are there; their count, 0 at the end, -1 once cancelled.
  virtual int Read(uint8_t* buffer, int size) = 0;
  // The new offset, or -1 (kSeekSize: the size, or -1 when unknown).
  virtual int64_t Seek(int64_t offset, int whence) = 0;
  virtual int64_t ContentLength() const = 0;  // -1 when unknown
  virtual bool Seekable() const = 0;
};

}  // namespace vireo
