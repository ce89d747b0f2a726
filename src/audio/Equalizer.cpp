#include "audio/Equalizer.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace vireo {
namespace {

// Gains move by at most this much per slice while gliding: 15 dB take about 20 ms.
constexpr float kGlideStepDb = 0.75f;
constexpr int kSliceFrames = 32;

double ClampGain(int db) {
  return std::clamp(db, kMinBandGainDb, kMaxBandGainDb);
}

}  // namespace

Equalizer::Equalizer() {
  for (auto& t : target_) t.store(0);
  for (int i = 0; i < kBandCount; ++i) Design(bands_[i], i, 0);
}

void Equalizer::SetGains(const std::array<int, kBandCount>& gainsDb) {
  for (int i = 0; i < kBandCount; ++i) target_[i].store(static_cast<int>(ClampGain(gainsDb[i])));
}

// The peaking filter of the audio EQ cookbook, its width given in octaves.
void Equalizer::Design(Band& band, int index, double gainDb) {
  const double w0 = 2 * std::numbers::pi * kBandCentresHz[index] / kOutputRate;
  const double octaves = kBandWidthSemitones / 12.0;
  const double alpha =
      std::sin(w0) * std::sinh(std::numbers::ln2 / 2 * octaves * w0 / std::sin(w0));
  const double a = std::pow(10.0, gainDb / 40.0);
  const double a0 = 1 + alpha / a;
  band.b0 = (1 + alpha * a) / a0;
  band.b1 = -2 * std::cos(w0) / a0;
  band.b2 = (1 - alpha * a) / a0;
  band.a1 = band.b1;
  band.a2 = (1 - alpha / a) / a0;
}

double Equalizer::ResponseDb(const std::array<int, kBandCount>& gainsDb, double hz) {
  const double w = 2 * std::numbers::pi * hz / kOutputRate;
  const std::complex<double> z1 = std::polar(1.0, -w), z2 = std::polar(1.0, -2 * w);
  std::complex<double> h = 1;
  for (int i = 0; i < kBandCount; ++i) {
    Band b;
    Design(b, i, ClampGain(gainsDb[i]));
    h *= (b.b0 + b.b1 * z1 + b.b2 * z2) / (1.0 + b.a1 * z1 + b.a2 * z2);
  }
  return 20 * std::log10(std::abs(h));
}

void Equalizer::ProcessBand(Band& b, float* frames, int count) {
  double z1l = b.z1[0], z2l = b.z2[0], z1r = b.z1[1], z2r = b.z2[1];
  const double b0 = b.b0, b1 = b.b1, b2 = b.b2, a1 = b.a1, a2 = b.a2;
  for (int i = 0; i < count; ++i) {
    const double l = frames[2 * i], r = frames[2 * i + 1];
    const double yl = b0 * l + z1l;
    z1l = b1 * l - a1 * yl + z2l;
    z2l = b2 * l - a2 * yl;
    const double yr = b0 * r + z1r;
    z1r = b1 * r - a1 * yr + z2r;
    z2r = b2 * r - a2 * yr;
    frames[2 * i] = static_cast<float>(yl);
    frames[2 * i + 1] = static_cast<float>(yr);
  }
  b.z1[0] = z1l, b.z2[0] = z2l, b.z1[1] = z1r, b.z2[1] = z2r;
}

// All steady bands in one pass, each sample going through them in turn. A filter's output waits
// for its previous sample, so one band at a time leaves the processor idle most of the time;
// ten independent filters side by side keep it busy, about three times as fast.
void Equalizer::ProcessCascade(float* frames, int count) {
  // Left and right side by side in one register.
  using Pair = double __attribute__((vector_size(16)));
  struct Filter {
    Pair b0, b1, b2, a1, a2;
    Pair z1, z2;
  };
  Filter f[kBandCount];
  int active = 0;
  for (const Band& b : bands_) {
    if (b.currentDb == 0) continue;
    f[active++] = {Pair{b.b0, b.b0},      Pair{b.b1, b.b1}, Pair{b.b2, b.b2},
                   Pair{b.a1, b.a1},      Pair{b.a2, b.a2}, Pair{b.z1[0], b.z1[1]},
                   Pair{b.z2[0], b.z2[1]}};
  }
  if (active == 0) return;
  for (int i = 0; i < count; ++i) {
    Pair x{frames[2 * i], frames[2 * i + 1]};
    for (int k = 0; k < active; ++k) {
      Filter& g = f[k];
      const Pair y = g.b0 * x + g.z1;
      g.z1 = g.b1 * x - g.a1 * y + g.z2;
      g.z2 = g.b2 * x - g.a2 * y;
      x = y;
    }
    frames[2 * i] = static_cast<float>(x[0]);
    frames[2 * i + 1] = static_cast<float>(x[1]);
  }
  active = 0;
  for (Band& b : bands_) {
    if (b.currentDb == 0) continue;
    const Filter& g = f[active++];
    b.z1[0] = g.z1[0], b.z1[1] = g.z1[1], b.z2[0] = g.z2[0], b.z2[1] = g.z2[1];
  }
}

void Equalizer::Process(float* frames, int count) {
  bool steady = true;
  for (int i = 0; i < kBandCount; ++i)
    steady = steady &&
             bands_[i].currentDb == static_cast<float>(target_[i].load(std::memory_order_relaxed));
  if (steady) {
    ProcessCascade(frames, count);
    return;
  }
  // While a band glides, band by band, the gliding ones in short slices.
  for (int i = 0; i < kBandCount; ++i) {
    Band& band = bands_[i];
    const auto target = static_cast<float>(target_[i].load(std::memory_order_relaxed));
    if (band.currentDb == target) {
      if (target != 0) ProcessBand(band, frames, count);
      continue;
    }
    if (band.currentDb == 0) band.z1[0] = band.z1[1] = band.z2[0] = band.z2[1] = 0;
    int done = 0;
    while (done < count) {
      if (band.currentDb != target) {
        const float step = std::clamp(target - band.currentDb, -kGlideStepDb, kGlideStepDb);
        band.currentDb =
            std::abs(target - band.currentDb) <= kGlideStepDb ? target : band.currentDb + step;
        Design(band, i, band.currentDb);
      }
      const int n = std::min(kSliceFrames, count - done);
      ProcessBand(band, frames + 2 * done, n);
      done += n;
      if (band.currentDb == target) {
        if (target != 0) ProcessBand(band, frames + 2 * done, count - done);
        break;
      }
    }
  }
}

void Equalizer::Rerender(float* warm, int warmCount, float* frames, int count) {
  Equalizer replay;
  for (int i = 0; i < kBandCount; ++i) {
    Band& b = replay.bands_[i];
    b = bands_[i];
    b.z1[0] = b.z1[1] = b.z2[0] = b.z2[1] = 0;
    // The filter is steady at the gains it had; a glide under way is taken as finished.
    replay.target_[i].store(static_cast<int>(std::lround(b.currentDb)));
  }
  replay.Process(warm, warmCount);
  for (int i = 0; i < kBandCount; ++i) replay.target_[i].store(target_[i].load());
  replay.Process(frames, count);
  bands_ = replay.bands_;
}

}  // namespace vireo
