// The preset file "effect.dat": any file gives presets with gains inside the equalizer's range,
// and looking an id up gives the gains of the last preset carrying it.
#include "FuzzScratch.h"
#include "FuzzTarget.h"
#include "store/EqPresets.h"

VIREO_FUZZ_TARGET(eq_presets) {
  using vireo::EqPresets;
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString path = vireo::fuzz::ScratchFile(QStringLiteral("effect.dat"));
  vireo::fuzz::WriteScratch(path, bytes);
  const std::vector<vireo::EqPreset> presets = EqPresets::Read(path);
  for (const vireo::EqPreset& p : presets)
    for (int g : p.Gains) FUZZ_CHECK(g >= EqPresets::kMinGain && g <= EqPresets::kMaxGain);
  if (!presets.empty()) {
    const int id = presets.front().Id;
    std::array<int, 10> last{};
    for (const vireo::EqPreset& p : presets)
      if (p.Id == id) last = p.Gains;
    const auto found = EqPresets::Lookup(path, id);
    FUZZ_CHECK(found.has_value() && *found == last);
  }
  return 0;
}
