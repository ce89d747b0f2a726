#pragma once

#include <QString>
#include <optional>

// Integrated loudness (EBU R128) and sample peak of a whole file, decoded a block at a time.
class LoudnessMeter {
 public:
  struct Result {
    double loudnessLufs;  // -inf for digital silence
    double peak;          // 0..1 (and above for hot masters)
  };
  static std::optional<Result> Measure(const QString& path);
};
