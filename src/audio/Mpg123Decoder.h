#pragma once

#include "audio/AudioDecoder.h"

struct mpg123_handle_struct;

namespace vireo {

// MPEG audio (layers 1 to 3) from a local file at the output rate, decoded by libmpg123 straight
// to float stereo: no resampling, and seeks to the exact sample (the encoder's delay and padding
// are left out as the LAME header says). Anything else is left to the decoder module.
class Mpg123Decoder final : public AudioDecoder {
 public:
  // Whether the file's name says MPEG audio.
  static bool Claims(const QString& path);
  // error FileForm: not MPEG audio at 44100 Hz (another decoder may take it); FileOpen: the file
  // could not be opened.
  static Opened Open(const QString& path, int64_t fileSize);

  ~Mpg123Decoder() override;

  int Read(float* out, int maxFrames) override;
  bool Seek(int64_t frame) override;
  int SourceRate() const override;
  QString FormatName() const override;
  QString Tag(const char* key) const override;

 private:
  Mpg123Decoder() = default;
  // The decoder's current output is float stereo at the output rate.
  bool OutputFormatHolds() const;

  mpg123_handle_struct* handle_ = nullptr;
  bool ended_ = false;
};

}  // namespace vireo
