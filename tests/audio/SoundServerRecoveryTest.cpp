#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <memory>

#include "EngineRecorder.h"
#include "MediaFactory.h"
#include "PrivatePulse.h"
#include "TestEnv.h"
#include "audio/PulseOutput.h"
#include "audio/TAudioEngine.h"

using namespace vireo;
using vireo::test::EngineRecorder;
using vireo::test::MediaFactory;
using vireo::test::PrivatePulse;
using vireo::test::WaitUntil;

namespace {

constexpr int kWait = 10000;

QString Tone(double seconds) {
  return MediaFactory::Tone(QStringLiteral("recovery-%1").arg(seconds), QStringLiteral("mp3"), 440,
                            seconds, 0.5);
}

// An engine on the test's own daemon, with its events recorded.
struct Player {
  explicit Player(const PrivatePulse& pulse)
      : engine(MediaFactory::Dir(), std::make_shared<PulseOutput>(pulse.Address())) {
    rec.Attach(engine);
    engine.SetVolume(80);
  }
  // Plays the file until the server has played some of it: the sound really flows.
  bool PlaysAudibly(const QString& file) {
    const qsizetype playing = rec.events.count(QStringLiteral("state 1002"));
    engine.Play(file);
    return WaitUntil(
        [&] {
          return rec.events.count(QStringLiteral("state 1002")) > playing &&
                 engine.State() == AudioState::Playing && engine.GetPosition() > 300;
        },
        kWait);
  }
  EngineRecorder rec;
  TAudioEngine engine;
};

}  // namespace

// The server restarts between two tracks: the next track connects afresh instead of failing
// with 1006 for ever.
TEST(SoundServerRecovery, TheNextTrackAfterARestartPlays) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.Start());
  Player p(pulse);
  ASSERT_TRUE(p.engine.OutputReady());
  ASSERT_TRUE(p.PlaysAudibly(Tone(4.0)));
  p.engine.Stop();
  pulse.Kill();
  ASSERT_TRUE(pulse.Start());
  EXPECT_TRUE(p.PlaysAudibly(Tone(4.0))) << p.rec.events.join(u',').toStdString();
  EXPECT_FALSE(p.rec.events.join(u',').contains(QStringLiteral("error")));
}

// The server dies during a track: the track ends, a track opened while it is away fails, and
// once it is back the next track plays.
TEST(SoundServerRecovery, ATrackPlayingWhenTheServerDiesEndsAndTheNextPlaysOnceItIsBack) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.Start());
  Player p(pulse);
  ASSERT_TRUE(p.PlaysAudibly(Tone(6.0)));
  pulse.Kill();
  ASSERT_TRUE(WaitUntil([&] { return p.rec.Has(QStringLiteral("end 1004")); }, kWait))
      << p.rec.events.join(u',').toStdString();

  p.rec.events.clear();
  p.engine.Play(Tone(4.0));
  ASSERT_TRUE(WaitUntil([&] { return p.engine.State() == AudioState::OpenFailed; }, kWait));
  EXPECT_EQ(p.rec.States(),
            (QStringList{QStringLiteral("state 1005"), QStringLiteral("error 1006 8")}));
  ASSERT_TRUE(pulse.Start());
  EXPECT_TRUE(p.PlaysAudibly(Tone(4.0))) << p.rec.events.join(u',').toStdString();
}

// Started before the sound server: every open fails while there is none, and the first one
// after it came up plays. The file filter is there from the start, so files can be added.
TEST(SoundServerRecovery, APlayerStartedBeforeTheServerPlaysOnceItIsThere) {
  PrivatePulse pulse;
  Player p(pulse);
  EXPECT_FALSE(p.engine.OutputReady());
  EXPECT_TRUE(p.rec.events.isEmpty());  // the start-up error went out before anyone listened
  EXPECT_TRUE(p.engine.Filter().contains(QStringLiteral("*.mp3")));
  p.engine.Play(Tone(4.0));
  ASSERT_TRUE(WaitUntil([&] { return p.engine.State() == AudioState::OpenFailed; }, kWait));
  ASSERT_TRUE(pulse.Start());
  EXPECT_TRUE(p.PlaysAudibly(Tone(4.0))) << p.rec.events.join(u',').toStdString();
}

// A server that takes the connection but never answers: the open gives up within the
// connection deadline, the opener is free again, and the thawed server plays the next track.
TEST(SoundServerRecovery, AServerThatNeverAnswersDoesNotHoldTheOpener) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.Start());
  Player p(pulse);
  ASSERT_TRUE(p.PlaysAudibly(Tone(4.0)));
  p.engine.Stop();
  pulse.Freeze(true);
  QElapsedTimer t;
  t.start();
  p.rec.events.clear();
  p.engine.Play(Tone(4.0));
  ASSERT_TRUE(WaitUntil([&] { return p.engine.State() == AudioState::OpenFailed; },
                        PulseOutput::kConnectTimeoutMs * 3));
  EXPECT_LT(t.elapsed(), PulseOutput::kConnectTimeoutMs + 2500);
  EXPECT_FALSE(p.engine.OpenPending());
  pulse.Freeze(false);
  EXPECT_TRUE(p.PlaysAudibly(Tone(4.0))) << p.rec.events.join(u',').toStdString();
}

// The server is killed under a playing track and a new one starts on the same socket half a
// second later, as a desktop update restarts it: the track plays on from about where it was
// heard, without an error or an early end, and ends once, at its own end.
TEST(SoundServerRecovery, ATrackPlayingWhenTheServerRestartsPlaysOnFromWhereItWasHeard) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.Start());
  Player p(pulse);
  ASSERT_TRUE(p.PlaysAudibly(Tone(5.0)));
  ASSERT_TRUE(WaitUntil([&] { return p.engine.GetPosition() > 1500; }, kWait));
  const int before = p.engine.GetPosition();
  pulse.Kill();
  vireo::test::Pump(500);
  ASSERT_TRUE(pulse.Start());
  // Heard again from where it stopped, not from the start and not past the gap.
  int resumedAt = -1;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const int now = p.engine.GetPosition();
        if (resumedAt < 0 && now > before + 200) resumedAt = now;
        return resumedAt >= 0;
      },
      kWait))
      << p.rec.events.join(u',').toStdString();
  EXPECT_LT(resumedAt, before + 1500);
  EXPECT_FALSE(p.rec.Has(QStringLiteral("end 1004"))) << p.rec.events.join(u',').toStdString();
  ASSERT_TRUE(WaitUntil([&] { return p.rec.Has(QStringLiteral("end 1004")); }, kWait));
  EXPECT_FALSE(p.rec.events.join(u',').contains(QStringLiteral("error")));
  EXPECT_EQ(p.rec.events.count(QStringLiteral("end 1004")), 1);
  // And the next track opens at once on the server that came back.
  EXPECT_TRUE(p.PlaysAudibly(Tone(4.0))) << p.rec.events.join(u',').toStdString();
}

// A track asked for while the server is restarting waits for it instead of failing at once.
TEST(SoundServerRecovery, ATrackAskedForDuringARestartPlaysOnceTheServerIsBack) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.Start());
  Player p(pulse);
  ASSERT_TRUE(p.PlaysAudibly(Tone(4.0)));
  p.engine.Stop();
  pulse.Kill();
  p.rec.events.clear();
  p.engine.Play(Tone(5.0));
  vireo::test::Pump(500);
  ASSERT_TRUE(pulse.Start());
  EXPECT_TRUE(WaitUntil([&] { return p.engine.State() == AudioState::Playing; }, kWait))
      << p.rec.events.join(u',').toStdString();
  EXPECT_FALSE(p.rec.events.join(u',').contains(QStringLiteral("error")));
}
