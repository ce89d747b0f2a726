#pragma once

#include <QString>
#include <optional>

// The ReplayGain track gain a file already carries: an ID3v2 TXXX frame, an APE item, a Vorbis
// comment (or Opus's R128 track gain, brought to the same -18 LUFS reference) or an MP4 freeform
// item. Nothing when the file has none or cannot be read.
class StoredGain {
 public:
  static std::optional<double> Read(const QString& path);
  // "-6.50 dB" -> -6.5; leading number only.
  static std::optional<double> ParseGain(const QString& text);
};
