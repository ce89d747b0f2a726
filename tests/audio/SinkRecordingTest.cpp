#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <cmath>
#include <numbers>

#include "MediaFactory.h"
#include "TestEnv.h"
#include "audio/TAudioEngine.h"

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

}  // namespace

TEST(SoundReachesTheServer, TheNullSinkMonitorHearsTheTone) {
  // 1234 Hz: other tests playing into the same sink at the same time use other tones, and none
  // of theirs has a harmonic here (the sink clips their sum now and then).
  const QString file =
      MediaFactory::Tone(QStringLiteral("rec1234"), QStringLiteral("flac"), 1234, 1.5, 0.5);
  const QString raw = MediaFactory::Dir() + QStringLiteral("/monitor.raw");
  QProcess parec;
  parec.setStandardOutputFile(raw);
  parec.start(QStringLiteral("parec"),
              {QStringLiteral("--device=null.monitor"), QStringLiteral("--format=s16le"),
               QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"),
               QStringLiteral("--latency-msec=20")});
  ASSERT_TRUE(parec.waitForStarted(5000));
  Pump(300);
  TAudioEngine engine(MediaFactory::Dir());
  ASSERT_TRUE(engine.OutputReady());
  bool ended = false;
  engine.OnEnd = [&](int) { ended = true; };
  engine.SetVolume(50);
  engine.Play(file);
  ASSERT_TRUE(WaitUntil([&] { return ended; }, 8000));
  Pump(200);
  parec.terminate();
  parec.waitForFinished(3000);
  QFile f(raw);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QByteArray bytes = f.readAll();
  ASSERT_GT(bytes.size(), 44100 * 4);
  // The strongest half second of 1234 Hz is ours.
  const qsizetype window = 44100 * 4 / 2;
  double best = 0;
  for (qsizetype at = 0; at + window <= bytes.size(); at += 4410 * 4) {
    const QByteArray part = bytes.mid(at, window);
    best = std::max(best, ToneAmplitude(part, 1234));
  }
  // Half scale at half volume: a quarter, within the sink's resolution.
  EXPECT_NEAR(best, 0.25, 0.03);
}
