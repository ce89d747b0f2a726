#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <cmath>
#include <functional>
#include <numbers>

#include "MediaFactory.h"
#include "TestEnv.h"
#include "audio/TAudioEngine.h"
#include "base/TextUtil.h"

using namespace vireo;
using vireo::test::MediaFactory;
using vireo::test::Pump;
using vireo::test::WaitUntil;

namespace {

// Amplitude of one frequency in 16-bit stereo samples (left channel), by correlation.
double ToneAmplitude(const QByteArray& raw, double hz) {
  const auto* s = reinterpret_cast<const int16_t*>(raw.constData());
  const qsizetype frames = raw.size() / 4;
  double re = 0, im = 0;
  for (qsizetype i = 0; i < frames; ++i) {
    const double w = 2 * std::numbers::pi * hz * static_cast<double>(i) / 44100.0;
    re += s[2 * i] / 32768.0 * std::cos(w);
    im += s[2 * i] / 32768.0 * std::sin(w);
  }
  return 2 * std::hypot(re, im) / static_cast<double>(frames);
}

// Plays the file to its end at the given volume and band gains while the null sink's monitor is
// recorded, running `during` once the stream plays; returns the recording (16-bit stereo).
QByteArray RecordWhilePlaying(const QString& file, float volume,
                              const std::array<int, kBandCount>& gains,
                              const std::function<void(TAudioEngine&)>& during = nullptr) {
  const QString raw = MediaFactory::Dir() + QStringLiteral("/monitor-%1.raw").arg(FileTitle(file));
  QProcess parec;
  parec.setStandardOutputFile(raw);
  parec.start(QStringLiteral("parec"),
              {QStringLiteral("--device=null.monitor"), QStringLiteral("--format=s16le"),
               QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"),
               QStringLiteral("--latency-msec=20")});
  EXPECT_TRUE(parec.waitForStarted(5000));
  Pump(300);
  {
    TAudioEngine engine(MediaFactory::Dir());
    EXPECT_TRUE(engine.OutputReady());
    bool ended = false;
    QObject::connect(&engine, &TAudioEngine::OnEnd, [&](AudioState) { ended = true; });
    engine.SetVolume(volume);
    engine.SetEQ(gains);
    engine.Play(file);
    if (during) during(engine);
    EXPECT_TRUE(WaitUntil([&] { return ended; }, 8000));
  }
  Pump(200);
  parec.terminate();
  parec.waitForFinished(3000);
  QFile f(raw);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = f.readAll();
  EXPECT_GT(bytes.size(), 44100 * 4);
  return bytes;
}

// The strongest half second's amplitude of `hz` while the file plays.
double PlayAndMeasure(const QString& file, float volume, const std::array<int, kBandCount>& gains,
                      double hz) {
  const QByteArray bytes = RecordWhilePlaying(file, volume, gains);
  const qsizetype window = 44100 * 4 / 2;
  double best = 0;
  for (qsizetype at = 0; at + window <= bytes.size(); at += 4410 * 4)
    best = std::max(best, ToneAmplitude(bytes.mid(at, window), hz));
  return best;
}

}  // namespace

TEST(SoundReachesTheServer, TheNullSinkMonitorHearsTheTone) {
  // 1234 Hz: other tests playing into the same sink at the same time use other tones, and none
  // of theirs has a harmonic here (the sink clips their sum now and then). The strongest half
  // second of it is ours: half scale at half volume is a quarter, within the sink's resolution.
  const QString file =
      MediaFactory::Tone(QStringLiteral("rec1234"), QStringLiteral("flac"), 1234, 1.5, 0.5);
  EXPECT_NEAR(PlayAndMeasure(file, 50, {}, 1234), 0.25, 0.03);
}

TEST(SoundReachesTheServer, ABoostAboveFullScaleIsClippedNotWrapped) {
  // 0.6 raised by 12 dB is about 2.4. Played at 20 %, it is heard as 0.48 where the server
  // applies the volume before it clips (PipeWire), or as the clipped square wave at 20 %, whose
  // fundamental is 4 / pi of that, where it clips first (PulseAudio converts each stream to the
  // device's format before mixing). Wrapped samples would leave little of the tone. Quiet, so
  // that tests playing into the same sink at the same time are not clipped with it.
  const QString file =
      MediaFactory::Tone(QStringLiteral("rec3000loud"), QStringLiteral("flac"), 3000, 1.5, 0.6);
  std::array<int, kBandCount> gains{};
  gains[5] = 12;  // 3000 Hz, a tone no other test plays
  const double heard = PlayAndMeasure(file, 20, gains, 3000);
  EXPECT_GT(heard, 0.2 * 4 / std::numbers::pi - 0.03);
  EXPECT_LT(heard, 0.5);
}

TEST(SoundReachesTheServer, AVolumeChangeIsHeardAtOnceNotAfterTheBuffer) {
  const double seconds = 2.5;
  const QString file =
      MediaFactory::Tone(QStringLiteral("rec1800"), QStringLiteral("flac"), 1800, seconds, 0.5);
  int changedAt = -1;
  const QByteArray bytes = RecordWhilePlaying(file, 50, {}, [&](TAudioEngine& engine) {
    if (!WaitUntil([&] { return engine.GetPosition() >= 1000; }, 8000)) return;
    changedAt = engine.GetPosition();
    engine.SetVolume(10);
  });
  ASSERT_GE(changedAt, 1000);
  // The tone's level in 10 ms steps: it starts at 0.25 and drops to 0.05 where the change was
  // heard. An idle null sink that is just waking may cut the first tenths of a second from the
  // recording, so the moment is measured back from the end of the track.
  const qsizetype step = 441 * 4;
  qsizetype onset = -1, drop = -1, end = -1;
  for (qsizetype at = 0; at + step <= bytes.size(); at += step) {
    const double level = ToneAmplitude(bytes.mid(at, step), 1800);
    if (onset < 0 && level > 0.2) onset = at;
    if (onset >= 0 && drop < 0 && at > onset + 20 * step && level < 0.15) drop = at;
    if (onset >= 0 && level > 0.03) end = at + step;
  }
  ASSERT_GE(onset, 0);
  ASSERT_GT(drop, onset);
  ASSERT_GT(end, drop);
  const double heardAt = seconds * 1000 - static_cast<double>(end - drop) / (44.1 * 4);
  // Within the device's latency and the ramp, far less than the two seconds queued.
  EXPECT_NEAR(heardAt, changedAt, 120) << "changed at " << changedAt << " ms, heard at " << heardAt;
}

TEST(SoundReachesTheServer, AnEqualizerChangeIsHeardWithinTheDeviceLatencyNotAfterTheQueue) {
  // 6000 Hz: a band centre, and a tone no other test plays (nor a harmonic of theirs).
  const double seconds = 3.0;
  const QString file =
      MediaFactory::Tone(QStringLiteral("rec6000"), QStringLiteral("flac"), 6000, seconds, 0.1);
  std::array<int, kBandCount> boost{};
  boost[6] = 12;
  int changedAt = -1;
  const QByteArray bytes = RecordWhilePlaying(file, 100, {}, [&](TAudioEngine& engine) {
    if (!WaitUntil([&] { return engine.GetPosition() >= 1000; }, 8000)) return;
    changedAt = engine.GetPosition();
    engine.SetEQ(boost);
  });
  ASSERT_GE(changedAt, 1000);
  // The tone's level in 10 ms steps: 0.1 from the start, about 0.4 once the boost is heard; the
  // middle (in dB) is where it was heard. An idle null sink that is just waking may cut the
  // first tenths of a second from the recording, so the moment is measured back from the end.
  const qsizetype step = 441 * 4;
  qsizetype rise = -1, end = -1;
  std::vector<double> levels;
  for (qsizetype at = 0; at + step <= bytes.size(); at += step) {
    const double level = ToneAmplitude(bytes.mid(at, step), 6000);
    levels.push_back(level);
    if (level > 0.07) end = at + step;
    if (rise < 0 && end >= 0 && level > 0.2) rise = at;
  }
  ASSERT_GT(rise, 0);
  ASSERT_GT(end, rise);
  const double heardAt = seconds * 1000 - static_cast<double>(end - rise) / (44.1 * 4);
  RecordProperty("heard_after_ms", static_cast<int>(heardAt - changedAt));
  // The queue holds two seconds; the change comes through within the device's part of it.
  EXPECT_GT(heardAt, changedAt - 30) << "changed at " << changedAt << " ms, heard at " << heardAt;
  EXPECT_LT(heardAt, changedAt + 300) << "changed at " << changedAt << " ms, heard at " << heardAt;
  // And stays: from the rise to the end the tone is boosted; no stretch of the old gains comes
  // back.
  for (auto i = static_cast<size_t>(rise / step) + 5; i + 3 < static_cast<size_t>(end / step);
       ++i) {
    EXPECT_GT(levels[i], 0.3) << "at " << heardAt + (i - rise / step) * 10.0 << " ms";
    if (levels[i] <= 0.3) break;
  }
}
