#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "EngineRecorder.h"
#include "MediaFactory.h"
#include "TestEnv.h"
#include "audio/GainCache.h"
#include "audio/NullOutput.h"
#include "audio/PlayerSharedValues.h"
#include "audio/TAudioEngine.h"

using namespace vireo;
using vireo::test::EngineRecorder;
using vireo::test::MediaFactory;
using vireo::test::Pump;
using vireo::test::WaitUntil;

namespace {

constexpr int kWait = 8000;

QString Tone1k(double seconds = 1.5) {
  return MediaFactory::Tone(QStringLiteral("tone1k-%1").arg(seconds), QStringLiteral("mp3"), 1000,
                            seconds, 0.5);
}

// Engines on the test's PulseAudio server, with the events recorded.
class EngineTest : public testing::Test {
 protected:
  void SetUp() override {
    engine_ = std::make_unique<TAudioEngine>(MediaFactory::Dir());
    ASSERT_TRUE(engine_->OutputReady())
        << "no PulseAudio server (run under scripts/with-services.sh)";
    rec_.Attach(*engine_);
    engine_->SetVolume(100);
  }
  void PlayAndWait(const QString& file) {
    engine_->Play(file);
    ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, kWait))
        << rec_.events.join(u',').toStdString();
  }
  EngineRecorder rec_;
  std::unique_ptr<TAudioEngine> engine_;
};

// A gain tool stand-in that prints the given gain and leaves a mark that it ran.
QString FakeGainTool(const QString& gain) {
  const QString path = MediaFactory::Dir() + QStringLiteral("/fake-m3g");
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write("#!/bin/sh\ntouch \"$0.ran\"\nprintf 'Track\\tLoudness\\tGain\\r\\n1\\t-20\\t" +
          gain.toUtf8() + "\\t1\\r\\n'\n");
  f.close();
  f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
  QFile::remove(path + QStringLiteral(".ran"));
  return path;
}

}  // namespace

TEST_F(EngineTest, ALocalFilePlaysFromStartToEnd) {
  const QString file = Tone1k(1.0);
  EXPECT_EQ(engine_->State(), AudioState::Stopped);
  EXPECT_EQ(engine_->GetPosition(), 0);
  EXPECT_EQ(engine_->GetLength(), 0);
  engine_->Play(file);
  EXPECT_EQ(engine_->FileName(), file);
  ASSERT_TRUE(WaitUntil([&] { return rec_.Has(QStringLiteral("end 1004")); }, kWait));
  EXPECT_EQ(rec_.States(), (QStringList{QStringLiteral("state 1002"), QStringLiteral("end 1004")}));
  EXPECT_EQ(engine_->State(), AudioState::Ended);
  EXPECT_NEAR(engine_->GetLength(), 1000, 60);
  EXPECT_NEAR(engine_->GetPosition(), engine_->GetLength(), 80);
  // File size over length, as kbit/s: the encoder's 128 kbit/s plus the tag and header overhead.
  EXPECT_GE(engine_->Bitrate(), 120);
  EXPECT_LE(engine_->Bitrate(), 160);
  // Progress goes on in 1004, with silent buffers.
  const int before = rec_.progressCount;
  Pump(200);
  EXPECT_GT(rec_.progressCount, before);
  EXPECT_EQ(rec_.lastState, AudioState::Ended);
  EXPECT_TRUE(std::all_of(rec_.fft.begin(), rec_.fft.end(), [](float v) { return v == 0; }));
  EXPECT_TRUE(std::all_of(rec_.wave.begin(), rec_.wave.end(), [](uint32_t v) { return v == 0; }));
}

TEST_F(EngineTest, ProgressCarriesTheSpectrumOfTheToneBeingHeard) {
  PlayAndWait(Tone1k());
  // An idle null sink may take up to its 2 s block before it plays a new stream.
  ASSERT_TRUE(WaitUntil([&] { return rec_.lastPosition > 200; }, 4000));
  ASSERT_EQ(rec_.lastState, AudioState::Playing);
  EXPECT_EQ(rec_.PeakBin(), 23);          // 1000 Hz * 1024 / 44100
  EXPECT_NEAR(rec_.fft[23], 0.25, 0.05);  // half scale reads half of 0.5
  EXPECT_NEAR(rec_.lastLength, 1500, 60);
  EXPECT_TRUE(std::any_of(rec_.wave.begin(), rec_.wave.begin() + kWaveFrames,
                          [](uint32_t v) { return v != 0; }));

  engine_->Pause();
  Pump(150);
  EXPECT_EQ(rec_.lastState, AudioState::Paused);
  EXPECT_TRUE(std::all_of(rec_.fft.begin(), rec_.fft.end(), [](float v) { return v == 0; }));
  engine_->Stop();
  const int count = rec_.progressCount;
  Pump(200);
  EXPECT_EQ(rec_.progressCount, count);  // nothing in 1001
}

TEST_F(EngineTest, PauseHoldsThePositionAndResumeGoesOn) {
  PlayAndWait(Tone1k(2.0));
  ASSERT_TRUE(WaitUntil([&] { return engine_->GetPosition() > 200; }, 4000));
  engine_->Pause();
  Pump(100);
  const int held = engine_->GetPosition();
  Pump(400);
  EXPECT_NEAR(engine_->GetPosition(), held, 20);
  engine_->Resume();
  EXPECT_TRUE(WaitUntil([&] { return engine_->GetPosition() > held + 250; }, 4000));
  EXPECT_EQ(rec_.States(), (QStringList{QStringLiteral("state 1002"), QStringLiteral("state 1003"),
                                        QStringLiteral("state 1002")}));
  // Stop keeps the stream: the position stays where it was.
  engine_->Stop();
  const int stopped = engine_->GetPosition();
  Pump(200);
  EXPECT_NEAR(engine_->GetPosition(), stopped, 20);
  EXPECT_EQ(engine_->State(), AudioState::Stopped);
}

TEST_F(EngineTest, SeekingMovesThePlaybackAndShortensTheRest) {
  const QString file =
      MediaFactory::Tone(QStringLiteral("tone3s"), QStringLiteral("ogg"), 500, 3.0, 0.5);
  PlayAndWait(file);
  engine_->SetPosition(2200);
  EXPECT_GE(engine_->GetPosition(), 2150);  // at once, before the render thread moved
  Pump(150);
  EXPECT_GE(engine_->GetPosition(), 2150);
  EXPECT_LT(engine_->GetPosition(), 2600);
  ASSERT_TRUE(WaitUntil([&] { return rec_.Has(QStringLiteral("end 1004")); }, 4000));
  // Back to the start after the end, then on again.
  engine_->SetPosition(0);
  engine_->Resume();
  EXPECT_TRUE(WaitUntil([&] { return engine_->GetPosition() > 100; }, 4000));
  EXPECT_LT(engine_->GetPosition(), 2000);
}

// The end reached just before a pause is still reported (the track is over, the player moves
// on), while a seek or a stop that comes after the end cancels it.
TEST(EngineEnd, AnEndWaitingToBeDeliveredSurvivesAPauseButNotASeekOrStop) {
  const QString file = Tone1k(0.5);
  EngineRecorder rec_;
  // A device-less output in real time: it starts at once, where an idle server's sink may not.
  auto engine_ =
      std::make_unique<TAudioEngine>(MediaFactory::Dir(), std::make_shared<NullOutput>());
  rec_.Attach(*engine_);
  engine_->SetVolume(100);
  auto PlayAndWait = [&](const QString& f) {
    engine_->Play(f);
    ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, kWait));
  };
  auto endQueued = [&] {
    // Without running the event loop: the end is raised and waits in the queue. The position
    // stands still once everything was heard.
    int last = -1;
    for (int i = 0; i < 40; ++i) {
      QThread::msleep(120);
      const int now = engine_->GetPosition();
      if (now > 300 && now == last) break;
      last = now;
    }
    QThread::msleep(200);
  };
  PlayAndWait(file);
  endQueued();
  engine_->Pause();
  Pump(200);
  EXPECT_EQ(rec_.States(), (QStringList{QStringLiteral("state 1002"), QStringLiteral("state 1003"),
                                        QStringLiteral("end 1004")}));
  EXPECT_EQ(engine_->State(), AudioState::Ended);

  for (int stop = 0; stop < 2; ++stop) {
    rec_.events.clear();
    engine_->Play(file);
    ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, kWait));
    endQueued();
    if (stop) {
      engine_->Stop();
    } else {
      engine_->SetPosition(0);
    }
    Pump(150);
    EXPECT_FALSE(rec_.Has(QStringLiteral("end 1004"))) << rec_.events.join(u',').toStdString();
    if (!stop) {
      // Sought back to the start: it plays again and reaches its end once more.
      engine_->Resume();
      EXPECT_TRUE(WaitUntil([&] { return rec_.Has(QStringLiteral("end 1004")); }, kWait));
    }
  }
}

// A sound server that goes away mid-track ends the track (so the player moves on and its next
// stream connects afresh) instead of leaving a frozen "playing" with no sound.
TEST(EngineEnd, ALostSoundServerEndsTheTrack) {
  const QString file = Tone1k(3.0);
  EngineRecorder rec_;
  auto output = std::make_shared<NullOutput>();
  auto engine_ = std::make_unique<TAudioEngine>(MediaFactory::Dir(), output);
  rec_.Attach(*engine_);
  engine_->SetVolume(100);
  engine_->Play(file);
  ASSERT_TRUE(WaitUntil([&] { return engine_->GetPosition() > 200; }, kWait));
  output->Lose();
  ASSERT_TRUE(WaitUntil([&] { return rec_.Has(QStringLiteral("end 1004")); }, kWait));
  EXPECT_EQ(engine_->State(), AudioState::Ended);
  EXPECT_LT(engine_->GetPosition(), 2500);  // it did not play on to the real end
  EXPECT_EQ(rec_.events.count(QStringLiteral("end 1004")), 1);
}

TEST_F(EngineTest, PlayWhileAnOpenIsPendingIsRefused) {
  const QString a = Tone1k(), b = Tone1k(1.0);
  engine_->Play(a);
  engine_->Play(b);
  EXPECT_EQ(rec_.events, QStringList{QStringLiteral("error 1004 -3")});
  EXPECT_EQ(engine_->FileName(), a);
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, kWait));
  // Once it has opened, the next Play replaces the stream.
  engine_->Play(b);
  ASSERT_TRUE(
      WaitUntil([&] { return rec_.events.count(QStringLiteral("state 1002")) == 2; }, kWait));
  EXPECT_EQ(engine_->FileName(), b);
}

TEST_F(EngineTest, ANameThatDoesNotDecodeIsTriedAsAnAddressAndFails) {
  for (const QString& name :
       QStringList{MediaFactory::Write(QStringLiteral("noise.mp3"), QByteArray(5000, '\x11')),
                   MediaFactory::Dir() + QStringLiteral("/does-not-exist.mp3")}) {
    rec_.events.clear();
    engine_->Play(name);
    ASSERT_TRUE(WaitUntil([&] { return rec_.events.size() >= 2; }, kWait));
    EXPECT_EQ(engine_->State(), AudioState::OpenFailed);
    ASSERT_EQ(rec_.events.size(), 2) << rec_.events.join(u',').toStdString();
    EXPECT_EQ(rec_.events[0], QStringLiteral("state 1005"));
    EXPECT_TRUE(rec_.events[1].startsWith(QStringLiteral("error 1006 ")));
    EXPECT_NE(rec_.events[1], QStringLiteral("error 1006 0"));
    EXPECT_EQ(engine_->Shared().MeasuredGain.load(), 0.0f);
    EXPECT_EQ(engine_->GetPosition(), 0);
  }
}

TEST_F(EngineTest, StopDuringALocalOpenStillStartsTheStream) {
  engine_->Play(Tone1k());
  engine_->Stop();
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, kWait));
  EXPECT_EQ(rec_.States(),
            (QStringList{QStringLiteral("state 1001"), QStringLiteral("state 1002")}));
}

TEST_F(EngineTest, LevellingAddsTheMeasuredGainAtStreamStartOnly) {
  engine_->SetGainToolPath(FakeGainTool(QStringLiteral("-3.5")));
  // Off: the tool is not even run, and the volume is the plain factor.
  engine_->SetVolume(65);
  PlayAndWait(Tone1k());
  EXPECT_FLOAT_EQ(engine_->StreamVolume(), 0.65f);
  EXPECT_FALSE(QFileInfo::exists(engine_->GainToolPath() + QStringLiteral(".ran")));

  engine_->SetDBGain(true);
  engine_->Play(Tone1k(1.0));
  ASSERT_TRUE(
      WaitUntil([&] { return rec_.events.count(QStringLiteral("state 1002")) == 2; }, kWait));
  EXPECT_TRUE(QFileInfo::exists(engine_->GainToolPath() + QStringLiteral(".ran")));
  EXPECT_FLOAT_EQ(engine_->Shared().MeasuredGain.load(), -3.5f);
  EXPECT_NEAR(engine_->StreamVolume(), 0.615f, 1e-6);
  engine_->SetVolume(65);
  EXPECT_FLOAT_EQ(engine_->StreamVolume(), 0.65f);

  // Each file below is new to the engine's gain cache, so the tool measures it.
  // Muted stays muted whatever the gain; a gain that takes a low volume below zero gives silence.
  engine_->SetGainToolPath(FakeGainTool(QStringLiteral("2.5")));
  engine_->SetVolume(0);
  engine_->Play(Tone1k(1.1));
  ASSERT_TRUE(
      WaitUntil([&] { return rec_.events.count(QStringLiteral("state 1002")) == 3; }, kWait));
  EXPECT_FLOAT_EQ(engine_->Shared().MeasuredGain.load(), 2.5f);
  EXPECT_EQ(engine_->StreamVolume(), 0.0f);
  engine_->SetGainToolPath(FakeGainTool(QStringLiteral("-3.5")));
  engine_->SetVolume(2);
  engine_->Play(Tone1k(1.2));
  ASSERT_TRUE(
      WaitUntil([&] { return rec_.events.count(QStringLiteral("state 1002")) == 4; }, kWait));
  EXPECT_EQ(engine_->StreamVolume(), 0.0f);
  // Above 100 the sum is kept as it is.
  engine_->SetGainToolPath(FakeGainTool(QStringLiteral("4")));
  engine_->SetVolume(100);
  engine_->Play(Tone1k(1.3));
  ASSERT_TRUE(
      WaitUntil([&] { return rec_.events.count(QStringLiteral("state 1002")) == 5; }, kWait));
  EXPECT_FLOAT_EQ(engine_->StreamVolume(), 1.04f);
  engine_->SetVolume(65);

  // A tool that prints something else gives no gain; the open goes on.
  engine_->SetGainToolPath(FakeGainTool(QStringLiteral("loud")));
  engine_->Play(Tone1k(1.4));
  ASSERT_TRUE(
      WaitUntil([&] { return rec_.events.count(QStringLiteral("state 1002")) == 6; }, kWait));
  EXPECT_EQ(engine_->Shared().MeasuredGain.load(), 0.0f);
  EXPECT_FLOAT_EQ(engine_->StreamVolume(), 0.65f);
}

// A file played again is not analysed again while it is unchanged; once it changed on disk (its
// size or time), it is measured anew.
TEST_F(EngineTest, LevellingMeasuresAFileOnceWhileItIsUnchanged) {
  GainCache::Instance().Clear();
  const QString file = MediaFactory::Write(QStringLiteral("cached-gain.mp3"), [] {
    QFile f(Tone1k(0.8));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }());
  engine_->SetDBGain(true);
  engine_->SetVolume(50);
  const QString tool = FakeGainTool(QStringLiteral("-6"));
  engine_->SetGainToolPath(tool);
  const QString ran = tool + QStringLiteral(".ran");
  int plays = 0;
  auto play = [&] {
    engine_->Play(file);
    ++plays;
    ASSERT_TRUE(
        WaitUntil([&] { return rec_.events.count(QStringLiteral("state 1002")) == plays; }, kWait));
  };
  play();
  EXPECT_TRUE(QFile::remove(ran));
  EXPECT_FLOAT_EQ(engine_->StreamVolume(), 0.44f);
  play();
  EXPECT_FALSE(QFileInfo::exists(ran)) << "measured again";
  EXPECT_FLOAT_EQ(engine_->StreamVolume(), 0.44f);
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(417, '\0'));
  }
  play();
  EXPECT_TRUE(QFileInfo::exists(ran));
}

TEST_F(EngineTest, TheEqualizerChangesABandLiveByAboutItsGain) {
  PlayAndWait(
      MediaFactory::Tone(QStringLiteral("tone1k-eq"), QStringLiteral("wav"), 1000, 3.0, 0.1));
  ASSERT_TRUE(WaitUntil([&] { return rec_.lastPosition > 200; }, 4000));
  const float flat = rec_.fft[23];
  ASSERT_GT(flat, 0.03f);
  std::array<int, kBandCount> gains{};
  gains[4] = 12;  // 1000 Hz
  QElapsedTimer heardAfter;
  heardAfter.start();
  engine_->SetEQ(gains);
  EXPECT_EQ(engine_->BandGains(), gains);
  // The change is heard without waiting for the output's buffer (a second) to play.
  const auto gainNow = [&] { return 20 * std::log10(rec_.fft[23] / flat); };
  EXPECT_TRUE(WaitUntil([&] { return std::abs(gainNow() - 12.0) < 1.0; }, 4000));
  RecordProperty("heard_after_ms", static_cast<int>(heardAfter.elapsed()));
  Pump(200);
  EXPECT_NEAR(gainNow(), 12.0, 1.0);
  // The gains survive into the next stream.
  engine_->Play(
      MediaFactory::Tone(QStringLiteral("tone1k-eq"), QStringLiteral("wav"), 1000, 3.0, 0.1));
  ASSERT_TRUE(
      WaitUntil([&] { return rec_.events.count(QStringLiteral("state 1002")) == 2; }, kWait));
  ASSERT_TRUE(WaitUntil([&] { return engine_->GetPosition() > 200; }, 4000));
  Pump(100);
  EXPECT_NEAR(20 * std::log10(rec_.fft[23] / flat), 12.0, 1.0);
}

TEST_F(EngineTest, AnEqualizerChangeWhilePausedKeepsThePositionAndIsHeardOnResume) {
  PlayAndWait(
      MediaFactory::Tone(QStringLiteral("tone1k-eq"), QStringLiteral("wav"), 1000, 3.0, 0.1));
  ASSERT_TRUE(WaitUntil([&] { return rec_.lastPosition > 300; }, 4000));
  const float flat = rec_.fft[23];
  ASSERT_GT(flat, 0.03f);
  engine_->Pause();
  Pump(100);
  const int held = engine_->GetPosition();
  std::array<int, kBandCount> gains{};
  gains[4] = 12;  // 1000 Hz
  engine_->SetEQ(gains);
  Pump(300);
  EXPECT_NEAR(engine_->GetPosition(), held, 20);
  EXPECT_EQ(engine_->State(), AudioState::Paused);
  engine_->Resume();
  // What was queued while paused plays with the new gains, from where it stopped.
  ASSERT_TRUE(WaitUntil([&] { return rec_.lastPosition > held + 100; }, 4000));
  EXPECT_LT(rec_.lastPosition, held + 400);
  EXPECT_NEAR(20 * std::log10(rec_.fft[23] / flat), 12.0, 1.5);
}

TEST(EngineStartup, WithoutASoundServerEveryOpenFails) {
  EngineRecorder rec;
  const QByteArray server = qgetenv("PULSE_SERVER");
  qputenv("PULSE_SERVER", "unix:/nonexistent/vireo-test/native");
  TAudioEngine engine(MediaFactory::Dir());
  qputenv("PULSE_SERVER", server);
  EXPECT_FALSE(engine.OutputReady());
  EXPECT_FALSE(engine.Filter().isEmpty());  // files can be added before the server is there
  rec.Attach(engine);
  engine.Play(Tone1k());
  ASSERT_TRUE(WaitUntil([&] { return engine.State() == AudioState::OpenFailed; }, kWait));
  EXPECT_EQ(rec.States(),
            (QStringList{QStringLiteral("state 1005"), QStringLiteral("error 1006 8")}));
  Pump(120);
  EXPECT_GT(rec.progressCount, 0);  // the timer still runs
}

TEST(EngineStartup, TheFilterListsTheClassicFormatsFirst) {
  TAudioEngine engine(MediaFactory::Dir());
  ASSERT_TRUE(engine.OutputReady());
  EXPECT_TRUE(engine.Filter().startsWith(QStringLiteral("所有音乐|*.mp1;*.mp2;*.mp3;")));
  EXPECT_TRUE(engine.Filter().contains(QStringLiteral(";*.flac")));
  EXPECT_EQ(engine.Volume(), 0.0f);
  EXPECT_EQ(engine.BandGains(), (std::array<int, kBandCount>{}));
}
