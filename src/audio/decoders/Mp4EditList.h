#pragma once

#include <cstdint>
#include <optional>

namespace vireo {

// Where an MP4 file's sound track really starts and ends, from its edit list: what an encoder
// (FFmpeg's among them) writes instead of iTunes gapless data. The edit starts after the
// encoder's priming; its duration is in the movie's clock, which FFmpeg keeps in milliseconds,
// so the end is taken from the track's own sample durations where the edit's duration is that
// end rounded down to the movie's clock.
class Mp4EditList {
 public:
  struct Timing {
    int64_t priming = 0;   // track samples before the first one heard
    int64_t samples = 0;   // track samples heard
    int64_t timescale = 0; // track samples per second
  };
  // Nothing when the file has no moov, no sound track, no edit list or one with more than one
  // part that is played.
  static std::optional<Timing> Read(const char* utf8Path);
};

}  // namespace vireo
