#pragma once

#include <vector>

#include "audio/AudioDecoder.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVIOContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

namespace vireo {

class IByteSource;

// Any format FFmpeg demuxes, from a file or from a download, resampled to the output format by
// libswresample; the decoder never holds more than one decoded packet. Lives in the decoder
// module (vireo-ffmpeg.so).
class FfmpegDecoder final : public AudioDecoder {
 public:
  static FfmpegDecoder* OpenFile(const char* utf8Path, int64_t fileSize, int* error);
  // source outlives the decoder.
  static FfmpegDecoder* OpenNetwork(IByteSource* source, int* error);

  ~FfmpegDecoder() override;

  int Read(float* out, int maxFrames) override;
  bool Seek(int64_t frame) override;
  int SourceRate() const override;
  QString FormatName() const override;
  QString Tag(const char* key) const override;

 private:
  FfmpegDecoder() = default;
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
  int64_t swrIn_ = 0, swrOut_ = 0;  // frames through the resampler since it was set up
  bool draining_ = false, ended_ = false;
  std::vector<float> pending_;  // converted frames not yet handed out
  size_t pendingFrames_ = 0, pendingAt_ = 0;
  int64_t seekTarget_ = -1;  // after a seek: frames before it are dropped
  int64_t endFrame_ = -1;    // where the track ends by its iTunes gapless data; -1: its stream
  int64_t ItunesSampleCount() const;  // the iTunSMPB sample count, -1 without one
  void EndByEditList(const char* utf8Path);  // an MP4's end by its edit list, without iTunSMPB
};

}  // namespace vireo
