#pragma once

#include <QString>
#include <memory>

#include "audio/AudioDecoder.h"

struct OggVorbis_File;

namespace vireo {

// Ogg Vorbis from a local file at the output rate, decoded by libvorbisfile, which ends each
// file where its last page's granule position says: the encoder's padding is left out to the
// sample, so one track follows another without a gap (FFmpeg's demuxer cut 128 frames too
// many there). Mono plays from both speakers. Anything else (another rate, more channels, Opus
// or FLAC in Ogg) is left to the decoder module.
class VorbisDecoder final : public AudioDecoder {
 public:
  // Whether the file's name says Ogg.
  static bool Claims(const QString& path);
  // error FileForm: not Vorbis at 44100 Hz in one or two channels; FileOpen: not readable.
  static Opened Open(const QString& path, int64_t fileSize);

  ~VorbisDecoder() override;

  int Read(float* out, int maxFrames) override;
  bool Seek(int64_t frame) override;
  int SourceRate() const override { return rate_; }
  QString FormatName() const override { return QStringLiteral("Ogg Vorbis"); }
  QString Tag(const char* key) const override;

 private:
  VorbisDecoder();

  std::unique_ptr<OggVorbis_File> file_;
  bool open_ = false;
  int channels_ = 0;
  int rate_ = 0;
};

}  // namespace vireo
