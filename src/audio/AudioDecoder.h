#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVIOContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

namespace vireo {

class NetworkSource;

// Demuxes and decodes one file with FFmpeg and converts it to interleaved float stereo at
// 44100 Hz, a block at a time: the decoder never holds more than one decoded packet.
//
// Threading contract: one thread at a time. The opener thread opens it; afterwards only the
// stream's render thread uses it. Open* may block on the disk or, for a network source, on the
// download.
class AudioDecoder {
 public:
  struct Opened {
    std::unique_ptr<AudioDecoder> decoder;
    int error = 0;  // AudioError detail when decoder is null
  };
  static Opened OpenFile(const QString& path);
  static Opened OpenNetwork(std::shared_ptr<NetworkSource> source);

  ~AudioDecoder();
  AudioDecoder(const AudioDecoder&) = delete;
  AudioDecoder& operator=(const AudioDecoder&) = delete;

  // Up to maxFrames frames (2 floats each) into out; 0 at the end of the stream.
  int Read(float* out, int maxFrames);
  // Moves to an output frame; false when the input cannot seek there.
  bool Seek(int64_t frame);

  int64_t LengthFrames() const { return lengthFrames_; }  // -1 when unknown
  int64_t FileSize() const { return fileSize_; }          // -1 when unknown
  int64_t PositionFrames() const { return position_; }    // of the next frame Read() returns
  int SourceRate() const;
  QString FormatName() const;
  // Metadata the container carries ("title", "artist", "album"), empty when absent.
  QString Tag(const char* key) const;
  NetworkSource* Network() const { return source_.get(); }

 private:
  AudioDecoder() = default;
  int Finish(AVFormatContext* fmt);  // shared tail of both opens; 0 or an error detail
  bool DecodeMore();                 // refills pending_; false at the end
  bool Convert(const AVFrame* frame);

  AVFormatContext* fmt_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  SwrContext* swr_ = nullptr;
  AVIOContext* avio_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  int streamIndex_ = -1;
  int swrFormat_ = -1, swrRate_ = 0, swrChannels_ = 0;
  bool draining_ = false, ended_ = false;
  std::vector<float> pending_;  // converted frames not yet handed out
  size_t pendingFrames_ = 0, pendingAt_ = 0;
  int64_t position_ = 0;
  int64_t seekTarget_ = -1;  // after a seek: frames before it are dropped
  int64_t lengthFrames_ = -1;
  int64_t fileSize_ = -1;
  std::shared_ptr<NetworkSource> source_;
};

}  // namespace vireo
