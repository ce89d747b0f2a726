#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace vireo {

// One preset of "effect.dat": every element named "eq" (name compared without case, wherever it
// stands; only start and empty-element tags count) with the attributes "id", "name" and q1..q10
// (exact names), the gains in whole dB of the ten bands.
struct EqPreset {
  int Id = 0;
  QString Name;
  std::array<int, 10> Gains{};
};

// Reads the preset file. The file is read from the start each time, so an edited file takes
// effect at the next call. Reading is forgiving, since it runs while a track starts:
//  - a preset whose "id" is missing or not an integer is skipped (it could never be chosen);
//  - a gain that is missing or not an integer is 0 (that band stays flat), and a gain outside
//    -15..15, the range of the equalizer, is limited to it;
//  - a file that cannot be opened gives no presets; one that breaks off or stops being
//    well-formed gives the presets before the fault.
// Threading: plain blocking file reads; callable from any thread.
class EqPresets {
 public:
  static constexpr int kMinGain = -15;
  static constexpr int kMaxGain = 15;

  // Every preset in file order (the equalizer menu shows them all, duplicates included).
  static std::vector<EqPreset> Read(const QString& path);
  // The gains to apply for id: those of the last preset carrying it; none when no preset does,
  // and then nothing is to be sent to the engine.
  static std::optional<std::array<int, 10>> Lookup(const QString& path, int id);
  // The same among presets already read.
  static std::optional<std::array<int, 10>> Find(const std::vector<EqPreset>& presets, int id);
};

}  // namespace vireo
