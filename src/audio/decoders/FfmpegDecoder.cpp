#include "audio/decoders/FfmpegDecoder.h"

#include <QByteArray>
#include <QList>

#include "audio/AudioCodes.h"
#include "audio/ByteSource.h"
#include "audio/decoders/Mp4EditList.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <memory>

namespace vireo {
namespace {

constexpr int kAvioBufferBytes = 32 << 10;

static_assert(IByteSource::kSeekSize == AVSEEK_SIZE && IByteSource::kSeekForce == AVSEEK_FORCE);

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
  const int n = static_cast<IByteSource*>(opaque)->Read(buffer, size);
  if (n < 0) return AVERROR_EXIT;
  return n == 0 ? AVERROR_EOF : n;
}

int64_t SeekSource(void* opaque, int64_t offset, int whence) {
  return static_cast<IByteSource*>(opaque)->Seek(offset, whence);
}

}  // namespace

FfmpegDecoder::~FfmpegDecoder() {
  av_frame_free(&frame_);
  av_packet_free(&packet_);
  swr_free(&swr_);
  avcodec_free_context(&codec_);
  avformat_close_input(&fmt_);
  if (avio_) {
    av_freep(&avio_->buffer);
    avio_context_free(&avio_);
  }
}

FfmpegDecoder* FfmpegDecoder::OpenFile(const char* utf8Path, int64_t fileSize, int* error) {
  std::unique_ptr<FfmpegDecoder> d(new FfmpegDecoder);
  d->fileSize_ = fileSize;
  AVDictionary* options = nullptr;
  // Only the file itself: a local playlist-like container must not reach out to the network.
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const QByteArray url = QByteArray("file:") + utf8Path;
  AVFormatContext* fmt = nullptr;
  const int rc = avformat_open_input(&fmt, url.constData(), nullptr, &options);
  av_dict_free(&options);
  if (rc < 0) {
    *error = rc == AVERROR(EACCES) || rc == AVERROR(ENOENT) ? AudioError::FileOpen
                                                            : AudioError::FileForm;
    return nullptr;
  }
  *error = d->Finish(fmt);
  if (*error) return nullptr;
  d->EndByEditList(utf8Path);
  return d.release();
}

FfmpegDecoder* FfmpegDecoder::OpenNetwork(IByteSource* source, int* error) {
  std::unique_ptr<FfmpegDecoder> d(new FfmpegDecoder);
  *error = AudioError::Unknown;
  auto* buffer = static_cast<unsigned char*>(av_malloc(kAvioBufferBytes));
  if (!buffer) return nullptr;
  d->avio_ =
      avio_alloc_context(buffer, kAvioBufferBytes, 0, source, ReadPacket, nullptr, SeekSource);
  if (!d->avio_) {
    av_free(buffer);
    return nullptr;
  }
  // Not seekable while opening: demuxers would otherwise look for tags at the end of the file and
  // wait for the whole download before the first sound.
  d->avio_->seekable = 0;
  AVFormatContext* fmt = avformat_alloc_context();
  if (!fmt) return nullptr;
  fmt->pb = d->avio_;
  fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "none", 0);
  const int rc = avformat_open_input(&fmt, "", nullptr, &options);
  av_dict_free(&options);
  if (rc < 0) {
    *error = rc == AVERROR_EXIT ? AudioError::Unknown : AudioError::FileForm;
    return nullptr;
  }
  d->fileSize_ = source->ContentLength();
  *error = d->Finish(fmt);
  if (*error) return nullptr;
  if (source->Seekable()) d->avio_->seekable = AVIO_SEEKABLE_NORMAL;
  return d.release();
}

int FfmpegDecoder::Finish(AVFormatContext* fmt) {
  fmt_ = fmt;
  if (avformat_find_stream_info(fmt_, nullptr) < 0) return AudioError::FileForm;
  const AVCodec* codec = nullptr;
  streamIndex_ = av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (streamIndex_ == AVERROR_DECODER_NOT_FOUND) return AudioError::Codec;
  if (streamIndex_ < 0 || !codec) return AudioError::FileForm;
  for (unsigned i = 0; i < fmt_->nb_streams; ++i)
    if (static_cast<int>(i) != streamIndex_) fmt_->streams[i]->discard = AVDISCARD_ALL;
  AVStream* st = fmt_->streams[streamIndex_];
  codec_ = avcodec_alloc_context3(codec);
  if (!codec_ || avcodec_parameters_to_context(codec_, st->codecpar) < 0) return AudioError::Codec;
  codec_->thread_count = 1;
  if (avcodec_open2(codec_, codec, nullptr) < 0) return AudioError::Codec;
  packet_ = av_packet_alloc();
  frame_ = av_frame_alloc();
  if (!packet_ || !frame_) return AudioError::Unknown;

  double seconds = -1;
  if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
    seconds = static_cast<double>(st->duration) * av_q2d(st->time_base);
  else if (fmt_->duration != AV_NOPTS_VALUE && fmt_->duration > 0)
    seconds = static_cast<double>(fmt_->duration) / AV_TIME_BASE;
  if (seconds > 0) lengthFrames_ = static_cast<int64_t>(seconds * kOutputRate + 0.5);
  // iTunes gapless data: the track's own sample count. FFmpeg leaves the encoder's padding at
  // the end in (the priming at the start it takes out itself), which a gapless change would
  // play as a short silence; the output ends where the track does.
  if (const int64_t samples = ItunesSampleCount(); samples > 0 && codec_->sample_rate > 0) {
    endFrame_ = av_rescale(samples, kOutputRate, codec_->sample_rate);
    lengthFrames_ = endFrame_;
  }
  return 0;
}

// Without iTunes gapless data an MP4 says where its track ends in its edit list. FFmpeg takes
// the priming out by the edit's start, but plays the last packet whole, padding and all, and
// knows the edit's end only to the movie clock's millisecond: the output ends where the track
// does by its samples.
void FfmpegDecoder::EndByEditList(const char* utf8Path) {
  if (endFrame_ >= 0 || !fmt_->iformat || !QByteArray(fmt_->iformat->name).contains("mp4")) return;
  const std::optional<Mp4EditList::Timing> t = Mp4EditList::Read(utf8Path);
  if (!t || t->samples <= 0) return;
  endFrame_ = av_rescale(t->samples, kOutputRate, t->timescale);
  lengthFrames_ = endFrame_;
}

int64_t FfmpegDecoder::ItunesSampleCount() const {
  const AVDictionaryEntry* e = av_dict_get(fmt_->metadata, "iTunSMPB", nullptr, 0);
  if (!e && streamIndex_ >= 0)
    e = av_dict_get(fmt_->streams[streamIndex_]->metadata, "iTunSMPB", nullptr, 0);
  if (!e || !e->value) return -1;
  // " 00000000 PRIMING PADDING SAMPLECOUNT ...", in hexadecimal.
  const QList<QByteArray> fields = QByteArray(e->value).simplified().split(' ');
  if (fields.size() < 4) return -1;
  bool ok = false;
  const qint64 samples = fields[3].toLongLong(&ok, 16);
  return ok && samples > 0 ? samples : -1;
}

int FfmpegDecoder::SourceRate() const {
  return codec_ ? codec_->sample_rate : 0;
}

QString FfmpegDecoder::FormatName() const {
  return fmt_ && fmt_->iformat ? QString::fromUtf8(fmt_->iformat->name) : QString();
}

QString FfmpegDecoder::Tag(const char* key) const {
  if (!fmt_) return {};
  const AVDictionaryEntry* e = av_dict_get(fmt_->metadata, key, nullptr, 0);
  if (!e && streamIndex_ >= 0)
    e = av_dict_get(fmt_->streams[streamIndex_]->metadata, key, nullptr, 0);
  return e && e->value ? QString::fromUtf8(e->value).trimmed() : QString();
}

bool FfmpegDecoder::Convert(const AVFrame* frame) {
  const int channels = frame->ch_layout.nb_channels;
  if (!swr_ || swrFormat_ != frame->format || swrRate_ != frame->sample_rate ||
      swrChannels_ != channels) {
    swr_free(&swr_);
    AVChannelLayout in{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
      av_channel_layout_default(&in, channels);
    else
      av_channel_layout_copy(&in, &frame->ch_layout);
    AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
    if (swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_FLT, kOutputRate, &in,
                            static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0,
                            nullptr) < 0) {
      av_channel_layout_uninit(&in);
      return false;
    }
    // A mono recording plays at full level from both speakers, not 3 dB down (the resampler's
    // own mono upmix takes the channel at 1/sqrt(2), whatever its centre mix level says).
    if (channels == 1) {
      const double bothAtFull[] = {1.0, 1.0};
      swr_set_matrix(swr_, bothAtFull, 1);
    }
    av_channel_layout_uninit(&in);
    if (swr_init(swr_) < 0) {
      swr_free(&swr_);
      return false;
    }
    swrFormat_ = frame->format;
    swrRate_ = frame->sample_rate;
    swrChannels_ = channels;
    swrIn_ = swrOut_ = 0;
  }
  const int room = swr_get_out_samples(swr_, frame ? frame->nb_samples : 0);
  if (pending_.size() < static_cast<size_t>(room) * 2)
    pending_.resize(static_cast<size_t>(room) * 2);
  uint8_t* out = reinterpret_cast<uint8_t*>(pending_.data());
  const int n = swr_convert(swr_, &out, room, const_cast<const uint8_t**>(frame->extended_data),
                            frame->nb_samples);
  if (n < 0) return false;
  swrIn_ += frame->nb_samples;
  swrOut_ += n;
  pendingFrames_ = static_cast<size_t>(n);
  pendingAt_ = 0;
  return true;
}

bool FfmpegDecoder::DecodeMore() {
  for (;;) {
    if (ended_) return false;
    int rc = avcodec_receive_frame(codec_, frame_);
    if (rc == 0) {
      if (seekTarget_ >= 0) {
        // The first frame after a seek tells where the demuxer really landed.
        const int64_t ts = frame_->best_effort_timestamp;
        if (ts != AV_NOPTS_VALUE) {
          const AVStream* st = fmt_->streams[streamIndex_];
          const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
          position_ = static_cast<int64_t>(static_cast<double>(ts - start) * av_q2d(st->time_base) *
                                           kOutputRate);
          if (position_ < 0) position_ = 0;
        } else {
          position_ = seekTarget_;
        }
      }
      const bool ok = Convert(frame_);
      av_frame_unref(frame_);
      if (!ok) continue;
      if (seekTarget_ >= 0) {
        const int64_t drop =
            std::clamp<int64_t>(seekTarget_ - position_, 0, static_cast<int64_t>(pendingFrames_));
        pendingAt_ = static_cast<size_t>(drop);
        position_ += drop;
        if (pendingAt_ < pendingFrames_) seekTarget_ = -1;
        if (pendingAt_ >= pendingFrames_) continue;
      }
      if (pendingFrames_ > 0) return true;
      continue;
    }
    if (rc == AVERROR_EOF) {
      // What the resampler still holds, up to the input's own length at the output's rate:
      // its flush rounds up, and a frame more than the track has, of a track cut on a crest,
      // is a click where the next one follows (an Opus track of 44100 Hz comes back from its
      // 48000 Hz with a frame to spare).
      if (swr_) {
        const int64_t owed =
            av_rescale_rnd(swrIn_, kOutputRate, swrRate_, AV_ROUND_DOWN) - swrOut_;
        const int room = static_cast<int>(
            std::clamp<int64_t>(owed, 0, swr_get_out_samples(swr_, 0)));
        if (room > 0) {
          if (pending_.size() < static_cast<size_t>(room) * 2)
            pending_.resize(static_cast<size_t>(room) * 2);
          uint8_t* out = reinterpret_cast<uint8_t*>(pending_.data());
          const int n = swr_convert(swr_, &out, room, nullptr, 0);
          ended_ = true;
          if (n > 0) {
            pendingFrames_ = static_cast<size_t>(n);
            pendingAt_ = 0;
            return true;
          }
        }
      }
      ended_ = true;
      return false;
    }
    if (rc != AVERROR(EAGAIN)) {
      ended_ = true;
      return false;
    }
    if (draining_) {
      ended_ = true;
      return false;
    }
    rc = av_read_frame(fmt_, packet_);
    if (rc < 0) {
      draining_ = true;
      avcodec_send_packet(codec_, nullptr);
      continue;
    }
    if (packet_->stream_index == streamIndex_) {
      // A damaged packet is skipped; the next one decodes again.
      avcodec_send_packet(codec_, packet_);
    }
    av_packet_unref(packet_);
  }
}

int FfmpegDecoder::Read(float* out, int maxFrames) {
  if (endFrame_ >= 0) maxFrames = static_cast<int>(std::clamp<int64_t>(endFrame_ - position_, 0, maxFrames));
  int produced = 0;
  while (produced < maxFrames) {
    if (pendingAt_ >= pendingFrames_ && !DecodeMore()) break;
    const size_t n =
        std::min(pendingFrames_ - pendingAt_, static_cast<size_t>(maxFrames - produced));
    std::memcpy(out + static_cast<ptrdiff_t>(produced) * 2, pending_.data() + pendingAt_ * 2,
                n * 2 * sizeof(float));
    pendingAt_ += n;
    produced += static_cast<int>(n);
    position_ += static_cast<int64_t>(n);
  }
  return produced;
}

bool FfmpegDecoder::Seek(int64_t frame) {
  if (frame < 0) frame = 0;
  if (lengthFrames_ >= 0 && frame > lengthFrames_) frame = lengthFrames_;
  const AVStream* st = fmt_->streams[streamIndex_];
  const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
  const int64_t ts = start + av_rescale_q(frame, AVRational{1, kOutputRate}, st->time_base);
  if (av_seek_frame(fmt_, streamIndex_, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
      avformat_seek_file(fmt_, streamIndex_, INT64_MIN, ts, INT64_MAX, 0) < 0)
    return false;
  avcodec_flush_buffers(codec_);
  if (swr_) swr_init(swr_);  // drops the delay of the old position
  swrIn_ = swrOut_ = 0;
  pendingFrames_ = pendingAt_ = 0;
  draining_ = ended_ = false;
  seekTarget_ = frame;
  position_ = frame;
  return true;
}

}  // namespace vireo
