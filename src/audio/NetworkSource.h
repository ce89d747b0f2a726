#pragma once

#include <QByteArray>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "audio/ByteSource.h"

namespace vireo {

class IcyMetadataFilter;

// The bytes of one network file, downloaded from start to end by its own thread (libcurl) while
// the decoder reads them. A file with a Content-Length is kept whole, so the decoder can seek
// anywhere within what has arrived; a stream without one (a radio station) passes through a
// bounded ring that the download waits on when it is full, so memory stays flat however long it
// plays. A playlist file (.pls, .m3u) is recognised from its first bytes and kept whole (up to
// 64 KiB) for the caller to read its first entry.
//
// Threading contract: the constructor, Start(), Cancel() and the destructor run on the owner's
// thread; Read(), Seek() and the status readers may run on any one other thread (the decoder's).
// The chunk handler runs on the download thread, in download order, and finally once with a null
// buffer when the download has ended; it is not called for playlist files nor after Cancel().
// The destructor cancels and joins the download thread.
//
// With a title handler, the request asks for ICY metadata; a radio station that interleaves it
// (icy-metaint) has it taken out of the bytes, before the decoder, the chunk handler and the
// playlist check see them, and each StreamTitle it carries goes to the title handler on the
// download thread.
class NetworkSource final : public IByteSource {
 public:
  using ChunkHandler = std::function<void(const char* data, int size)>;
  using TitleHandler = std::function<void(const QString& title)>;

  explicit NetworkSource(QByteArray url, ChunkHandler onChunk = {});
  ~NetworkSource() override;
  NetworkSource(const NetworkSource&) = delete;
  NetworkSource& operator=(const NetworkSource&) = delete;

  static bool IsNetworkName(QByteArrayView name);  // http:// or https://

  // Before Start().
  void SetTitleHandler(TitleHandler onTitle) { onTitle_ = std::move(onTitle); }

  void Start();
  void Cancel();

  // Blocks until the first bytes of the answer are in, the download failed or was cancelled, or
  // the host kept silent too long. Returns 0 or an AudioError detail.
  int WaitForAnswer();

  int64_t ContentLength() const override;  // -1 when the server did not say
  bool IsPlaylist() const;
  bool Seekable() const override;  // kept whole
  QByteArray Url() const { return url_; }
  // Waits for the end of a playlist download and returns its bytes.
  QByteArray PlaylistText();

  // Reader side. Read() blocks until bytes are there; returns their count, 0 at the end of the
  // file, -1 once cancelled. Seek() takes SEEK_SET/CUR/END, or kSeekSize for the size, and
  // returns the new offset or -1.
  int Read(uint8_t* buffer, int size) override;
  int64_t Seek(int64_t offset, int whence) override;
  int64_t Arrived() const;  // bytes downloaded so far
  bool Finished() const;    // the download has ended (completely or not)

 private:
  void Run();
  size_t OnData(const char* data, size_t size, long status, int64_t length, const char* type);
  void OnHeader(QByteArrayView line);
  size_t OnBody(const char* data, size_t size, long status, int64_t length, const char* type);

  static constexpr int64_t kMaxWholeBytes = 256ll << 20;
  static constexpr int64_t kRingBytes = 1 << 20;
  static constexpr int64_t kMaxPlaylistBytes = 64 << 10;
  static constexpr int kConnectTimeoutMs = 2000;
  static constexpr int kAnswerTimeoutMs = 4000;
  static constexpr int kStallTimeoutS = 15;

  const QByteArray url_;
  const ChunkHandler onChunk_;
  TitleHandler onTitle_;
  std::thread thread_;
  std::atomic<bool> cancel_{false};

  mutable std::mutex mutex_;  // guards every field below
  std::condition_variable cv_;
  bool answered_ = false;  // first bytes in (or decided there are none)
  bool finished_ = false;
  int error_ = 0;
  int64_t length_ = -1;
  bool playlist_ = false;
  bool whole_ = false;
  QByteArray data_;      // whole file, or the ring
  int64_t arrived_ = 0;  // bytes written in total
  int64_t readPos_ = 0;  // absolute offset of the next byte to read

  // Download thread only: the interval the answer being received announced, and the filter of its
  // body (none without metadata).
  int metaInterval_ = 0;
  std::unique_ptr<IcyMetadataFilter> icy_;
  QByteArray icyAudio_;
};

}  // namespace vireo
