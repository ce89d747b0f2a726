#pragma once

#include <QString>
#include <cstdint>
#include <memory>

namespace vireo {

class NetworkSource;

// Demuxes and decodes one file and converts it to interleaved float stereo at 44100 Hz, a block
// at a time. MPEG audio files at 44100 Hz, the bulk of any collection, are decoded by libmpg123
// in the player itself, Ogg Vorbis at 44100 Hz by libvorbisfile (sample-exact ends); everything
// else (other formats and rates, and every download) by FFmpeg
// in a module loaded the first time one needs it, so a player that plays MP3s never loads FFmpeg
// and its hundred libraries.
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

  virtual ~AudioDecoder() = default;
  AudioDecoder(const AudioDecoder&) = delete;
  AudioDecoder& operator=(const AudioDecoder&) = delete;

  // Up to maxFrames frames (2 floats each) into out; 0 at the end of the stream.
  virtual int Read(float* out, int maxFrames) = 0;
  // Moves to an output frame; false when the input cannot seek there.
  virtual bool Seek(int64_t frame) = 0;
  virtual int SourceRate() const = 0;
  virtual QString FormatName() const = 0;
  // Metadata the container carries ("title", "artist", "album"), empty when absent.
  virtual QString Tag(const char* key) const = 0;

  int64_t LengthFrames() const { return lengthFrames_; }  // -1 when unknown
  int64_t FileSize() const { return fileSize_; }          // -1 when unknown
  int64_t PositionFrames() const { return position_; }    // of the next frame Read() returns
  NetworkSource* Network() const { return network_.get(); }

 protected:
  AudioDecoder() = default;

  int64_t position_ = 0;
  int64_t lengthFrames_ = -1;
  int64_t fileSize_ = -1;

 private:
  // The download a network decoder reads; released after the decoder let go of it.
  std::shared_ptr<NetworkSource> network_;
};

}  // namespace vireo
