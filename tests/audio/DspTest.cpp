#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "audio/AudioCodes.h"
#include "audio/Equalizer.h"
#include "audio/FrequencyAnalyzer.h"
#include "audio/SampleHistory.h"

using namespace vireo;

namespace {

std::vector<float> Sine(double hz, int frames, double amplitude) {
  std::vector<float> v(static_cast<size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i)
    v[2 * i] = v[2 * i + 1] =
        static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * i / kOutputRate));
  return v;
}

double RmsDb(const std::vector<float>& v, int fromFrame) {
  double sum = 0;
  int n = 0;
  for (size_t i = static_cast<size_t>(fromFrame) * 2; i < v.size(); i += 2, ++n)
    sum += double(v[i]) * v[i];
  return 10 * std::log10(sum / n);
}

}  // namespace

TEST(Equalizer, EachBandReachesItsGainAtItsCentreAndLeavesFarBandsAlone) {
  for (int band = 0; band < kBandCount; ++band) {
    for (int gain : {-15, -6, 12, 15}) {
      std::array<int, kBandCount> g{};
      g[band] = gain;
      EXPECT_NEAR(Equalizer::ResponseDb(g, kBandCentresHz[band]), gain, 0.05) << "band " << band;
    }
  }
  std::array<int, kBandCount> low{};
  low[0] = 12;  // 80 Hz
  EXPECT_NEAR(Equalizer::ResponseDb(low, 1000), 0, 0.2);
  // Gains beyond the effect's range are held at its limits.
  std::array<int, kBandCount> wild{};
  wild[4] = 40;
  EXPECT_NEAR(Equalizer::ResponseDb(wild, 1000), 15, 0.05);
}

TEST(Equalizer, RaisesAToneByTheGainSetAndIsExactWhenFlat) {
  Equalizer eq;
  std::vector<float> flat = Sine(1000, 8820, 0.25);
  const std::vector<float> original = flat;
  eq.Process(flat.data(), 8820);
  EXPECT_EQ(flat, original);  // a flat equalizer touches nothing

  std::array<int, kBandCount> g{};
  g[4] = 12;
  eq.SetGains(g);
  std::vector<float> boosted = Sine(1000, 44100, 0.25);
  for (int at = 0; at < 44100; at += 512)
    eq.Process(boosted.data() + 2 * at, std::min(512, 44100 - at));
  EXPECT_NEAR(RmsDb(boosted, 22050) - RmsDb(original, 0), 12.0, 0.5);
}

TEST(Equalizer, AllTenBandsTogetherGiveTheirCombinedResponseOnBothChannels) {
  const std::array<int, kBandCount> g{6, 4, 2, -1, -3, 2, 4, 6, -5, 8};
  for (double hz : {80.0, 450.0, 1000.0, 6000.0, 12000.0}) {
    Equalizer eq;
    eq.SetGains(g);
    std::vector<float> v = Sine(hz, 44100, 0.1);
    for (int at = 0; at < 44100; at += 2048)
      eq.Process(v.data() + 2 * at, std::min(2048, 44100 - at));
    const double expected = Equalizer::ResponseDb(g, hz);
    EXPECT_NEAR(RmsDb(v, 22050) - RmsDb(Sine(hz, 44100, 0.1), 0), expected, 0.2) << hz << " Hz";
    // The right channel went through the same filters.
    double worst = 0;
    for (size_t i = 22050 * 2; i < v.size(); i += 2)
      worst = std::max(worst, double(std::abs(v[i] - v[i + 1])));
    EXPECT_LT(worst, 1e-6) << hz << " Hz";
  }
}

TEST(Equalizer, ALiveGainChangeGlidesInsteadOfJumping) {
  // A 15 dB step applied at once to a 6 kHz tone would change the waveform abruptly; the glide
  // keeps every sample-to-sample step within what the boosted tone itself produces.
  Equalizer eq;
  const int frames = 22050;
  std::vector<float> v = Sine(6000, frames, 0.05);
  eq.Process(v.data(), 4410);
  std::array<int, kBandCount> g{};
  g[6] = 15;
  eq.SetGains(g);
  for (int at = 4410; at < frames; at += 512)
    eq.Process(v.data() + 2 * at, std::min(512, frames - at));
  const double steady =
      0.05 * std::pow(10, 15 / 20.0) * 2 * std::sin(std::numbers::pi * 6000 / kOutputRate);
  double worst = 0;
  for (int i = 4411; i < frames; ++i)
    worst = std::max(worst, std::abs(double(v[2 * i]) - v[2 * i - 2]));
  EXPECT_LT(worst, steady * 1.15);
  EXPECT_GT(worst, steady * 0.85);  // it did reach the boost
}

TEST(FrequencyAnalyzer, AFullScaleSinePeaksAtItsBinWithAboutHalf) {
  FrequencyAnalyzer analyzer;
  std::vector<float> fft(kFftSingles);
  std::vector<uint32_t> wave(kWaveWords);
  for (int bin : {23, 100, 300}) {
    const double hz = bin * double(kOutputRate) / FrequencyAnalyzer::kPoints;
    const std::vector<float> s = Sine(hz, FrequencyAnalyzer::kPoints, 1.0);
    analyzer.ComputeFrames(s.data(), fft.data(), wave.data());
    const int peak =
        static_cast<int>(std::max_element(fft.begin(), fft.begin() + kFftBins) - fft.begin());
    EXPECT_EQ(peak, bin);
    EXPECT_NEAR(fft[bin], 0.5, 0.02);
    EXPECT_LT(fft[bin + 5], 0.01);
  }
  for (int k = kFftBins; k < kFftSingles; ++k) EXPECT_EQ(fft[k], 0.0f);
  // The wave words hold the newest 512 frames as 16-bit left/right pairs.
  const std::vector<float> s = Sine(1000, FrequencyAnalyzer::kPoints, 0.5);
  analyzer.ComputeFrames(s.data(), fft.data(), wave.data());
  const auto* samples = reinterpret_cast<const int16_t*>(wave.data());
  EXPECT_EQ(samples[0], static_cast<int16_t>(std::lrint(s[2 * 512] * 32767)));
  EXPECT_EQ(samples[2 * 511 + 1], static_cast<int16_t>(std::lrint(s[2 * 1023 + 1] * 32767)));
  EXPECT_EQ(wave[kWaveFrames], 0u);
}

TEST(SampleHistory, CopiesTheFramesBeforeTheHeardOneAndZeroesWhatItDoesNotHold) {
  SampleHistory h;
  std::vector<float> frames(200);
  for (int i = 0; i < 100; ++i) frames[2 * i] = frames[2 * i + 1] = float(i + 1);
  h.Push(frames.data(), 100);
  std::vector<float> out(20);
  h.Copy(50, 10, out.data());  // frames 40..49
  EXPECT_EQ(out[0], 41.0f);
  EXPECT_EQ(out[18], 50.0f);
  h.Copy(5, 10, out.data());  // frames -5..4: the first five do not exist
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_EQ(out[10], 1.0f);
  h.Copy(105, 10, out.data());  // 95..104: the last five are not written yet
  EXPECT_EQ(out[8], 100.0f);
  EXPECT_EQ(out[10], 0.0f);
  // After wrapping, only the newest capacity's worth is held.
  std::vector<float> big(static_cast<size_t>(SampleHistory::kCapacityFrames) * 2, 7.0f);
  h.Push(big.data(), SampleHistory::kCapacityFrames);
  h.Copy(101, 2, out.data());
  EXPECT_EQ(out[0], 0.0f);  // frame 99 is overwritten
  h.Reset();
  h.Copy(10, 2, out.data());
  EXPECT_EQ(out[2], 0.0f);
}

TEST(Equalizer, RenderingQueuedFramesAgainMatchesHavingHadTheNewGainsThereAllAlong) {
  // The reference runs the old gains up to the change and glides to the new ones from there;
  // the live one ran the old gains over everything, then is asked to render the frames since
  // the change again, from a quarter second of input before them.
  const int before = 30000, queued = 20000, after = 4000;
  std::vector<float> input = Sine(1000, before + queued + after, 0.2);
  const std::vector<float> tone80 = Sine(80, before + queued + after, 0.2);
  for (size_t i = 0; i < input.size(); ++i) input[i] += tone80[i];
  std::array<int, kBandCount> oldGains{}, newGains{};
  oldGains[0] = 6;
  oldGains[4] = -3;
  newGains[0] = -9;
  newGains[4] = 12;
  newGains[7] = 5;

  Equalizer reference;
  reference.SetGains(oldGains);
  std::vector<float> expected = input;
  reference.Process(expected.data(), 100);  // past the glide from flat
  reference.Process(expected.data() + 200, before - 100);
  reference.SetGains(newGains);
  reference.Process(expected.data() + 2 * before, queued);
  reference.Process(expected.data() + 2 * (before + queued), after);

  Equalizer live;
  live.SetGains(oldGains);
  std::vector<float> output = input;
  live.Process(output.data(), 100);
  live.Process(output.data() + 200, before + queued - 100);
  live.SetGains(newGains);
  const int warm = kOutputRate / 4;
  std::vector<float> warmInput(input.begin() + 2 * (before - warm), input.begin() + 2 * before);
  std::copy(input.begin() + 2 * before, input.begin() + 2 * (before + queued),
            output.begin() + 2 * before);
  live.Rerender(warmInput.data(), warm, output.data() + 2 * before, queued);
  live.Process(output.data() + 2 * (before + queued), after);

  double worst = 0;
  for (size_t i = 2 * before; i < output.size(); ++i)
    worst = std::max(worst, std::abs(double(output[i]) - expected[i]));
  EXPECT_LT(worst, 1e-4);  // -80 dB: the same sound
}

TEST(SampleHistory, ReplacesHeldFramesOnlyAndCopiesAcrossTheRingsEnd) {
  SampleHistory h;
  std::vector<float> frames(200);
  for (int i = 0; i < 100; ++i) frames[2 * i] = frames[2 * i + 1] = float(i + 1);
  h.Push(frames.data(), 100);
  std::vector<float> fresh(40, -1.0f);
  h.Replace(90, fresh.data(), 20);  // 90..99 held, 100..109 not pushed yet
  EXPECT_EQ(h.End(), 100);
  std::vector<float> out(40);
  h.Copy(100, 20, out.data());  // 80..99
  EXPECT_EQ(out[0], 81.0f);
  EXPECT_EQ(out[19], 90.0f);
  EXPECT_EQ(out[20], -1.0f);
  EXPECT_EQ(out[39], -1.0f);

  // Wrapped: the newest capacity's worth is held, in order across the ring's end.
  SampleHistory w;
  const int n = SampleHistory::kCapacityFrames + 1000;
  std::vector<float> many(static_cast<size_t>(n) * 2);
  for (int i = 0; i < n; ++i) many[2 * i] = many[2 * i + 1] = float(i);
  w.Push(many.data(), n);
  EXPECT_EQ(w.Oldest(), 1000);
  std::vector<float> across(4000);
  w.Copy(SampleHistory::kCapacityFrames + 1000, 2000, across.data());
  for (int i = 0; i < 2000; ++i)
    ASSERT_EQ(across[2 * i], float(SampleHistory::kCapacityFrames - 1000 + i)) << i;
  w.Replace(0, many.data(), 1500);  // only 1000..1499 are still held
  w.Copy(1500, 600, across.data());
  EXPECT_EQ(across[0], 0.0f);       // frame 900: gone
  EXPECT_EQ(across[200], 1000.0f);  // frame 1000: replaced by itself
}
