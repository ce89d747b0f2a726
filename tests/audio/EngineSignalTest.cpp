#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QObject>
#include <algorithm>
#include <memory>
#include <stdexcept>

#include "EngineRecorder.h"
#include "LoopbackHttpServer.h"
#include "MediaFactory.h"
#include "TestEnv.h"
#include "audio/NullOutput.h"
#include "audio/TAudioEngine.h"
#include "base/WorkerRegistry.h"

using namespace vireo;
using vireo::test::EngineRecorder;
using vireo::test::MediaFactory;
using vireo::test::Pump;
using vireo::test::WaitUntil;

namespace {

constexpr int kWait = 8000;

QString ShortTone() {
  return MediaFactory::Tone(QStringLiteral("signal-tone"), QStringLiteral("mp3"), 1000, 0.6, 0.5);
}

std::unique_ptr<TAudioEngine> NullEngine() {
  auto engine = std::make_unique<TAudioEngine>(MediaFactory::Dir(), std::make_shared<NullOutput>());
  engine->SetVolume(100);
  return engine;
}

}  // namespace

// Several windows listen to one engine: each sees every event, in the same order.
TEST(EngineSignals, EveryListenerSeesTheSameEventsInOrder) {
  auto engine = NullEngine();
  EngineRecorder a, b;
  a.Attach(*engine);
  b.Attach(*engine);
  engine->Play(ShortTone());
  ASSERT_TRUE(WaitUntil([&] { return b.Has(QStringLiteral("end 1004")); }, kWait));
  engine->Play(MediaFactory::Dir() + QStringLiteral("/no-such-file.mp3"));
  ASSERT_TRUE(WaitUntil(
      [&] {
        return b.Has(QStringLiteral("state 1005")) &&
               b.events.last().startsWith(QLatin1StringView("error"));
      },
      kWait));
  EXPECT_EQ(a.events, b.events);
  EXPECT_EQ(a.States(),
            (QStringList{QStringLiteral("state 1002"), QStringLiteral("end 1004"),
                         QStringLiteral("state 1005"), QStringLiteral("error 1006 2")}));
  EXPECT_GT(a.progressCount, 0);
  EXPECT_EQ(a.progressCount, b.progressCount);
}

// A window closed while the track plays is disconnected, not called; the others go on.
TEST(EngineSignals, AListenerThatIsGoneIsNeverCalled) {
  auto engine = NullEngine();
  EngineRecorder stays;
  stays.Attach(*engine);
  int callsAfterDeath = 0;
  bool dead = false;
  {
    auto window = std::make_unique<QObject>();
    QObject::connect(engine.get(), &TAudioEngine::OnProgress, window.get(),
                     [&](AudioState, int, int, const float*, const uint32_t*) {
                       if (dead) ++callsAfterDeath;
                     });
    QObject::connect(engine.get(), &TAudioEngine::OnEnd, window.get(), [&](AudioState) {
      if (dead) ++callsAfterDeath;
    });
    engine->Play(ShortTone());
    ASSERT_TRUE(WaitUntil([&] { return stays.progressCount > 2; }, kWait));
    dead = true;
  }
  ASSERT_TRUE(WaitUntil([&] { return stays.Has(QStringLiteral("end 1004")); }, kWait));
  const int before = stays.progressCount;
  ASSERT_TRUE(WaitUntil([&] { return stays.progressCount > before + 2; }, kWait));
  EXPECT_EQ(callsAfterDeath, 0);
}

// A receiver that throws loses its own event; the engine and the next events go on.
TEST(EngineSignals, AThrowingReceiverDoesNotStopThePlayer) {
  auto engine = NullEngine();
  QObject::connect(engine.get(), &TAudioEngine::OnStateChange,
                   [](AudioState) { throw std::runtime_error("window fault"); });
  QObject::connect(engine.get(), &TAudioEngine::OnProgress,
                   [](AudioState, int, int, const float*, const uint32_t*) { throw 42; });
  EngineRecorder rec;
  rec.Attach(*engine);
  engine->Play(ShortTone());
  ASSERT_TRUE(WaitUntil([&] { return rec.Has(QStringLiteral("end 1004")); }, kWait));
  EXPECT_EQ(engine->State(), AudioState::Ended);
}

// The engine goes quietly: no state change from its destructor, even in the middle of a track,
// and nothing still on its way from its threads arrives later.
TEST(EngineSignals, TheDestructorRaisesNothing) {
  EngineRecorder rec;
  {
    auto engine = NullEngine();
    rec.Attach(*engine);
    engine->Play(ShortTone());
    ASSERT_TRUE(WaitUntil([&] { return engine->State() == AudioState::Playing; }, kWait));
    rec.events.clear();
  }
  Pump(900);
  EXPECT_TRUE(rec.events.isEmpty()) << rec.events.join(u',').toStdString();
}

// Progress starts as soon as someone listens and stops when nobody does.
TEST(EngineSignals, ProgressFollowsItsListeners) {
  auto engine = NullEngine();
  engine->Play(
      MediaFactory::Tone(QStringLiteral("signal-long"), QStringLiteral("mp3"), 440, 3.0, 0.5));
  ASSERT_TRUE(WaitUntil([&] { return engine->State() == AudioState::Playing; }, kWait));
  int ticks = 0;
  auto connection =
      QObject::connect(engine.get(), &TAudioEngine::OnProgress,
                       [&](AudioState, int, int, const float*, const uint32_t*) { ++ticks; });
  // On the 50 ms beat at once, not on the idle half second's.
  ASSERT_TRUE(WaitUntil([&] { return engine->ProgressIntervalMs() == 50; }, kWait));
  ASSERT_TRUE(WaitUntil([&] { return ticks >= 3; }, kWait));
  QObject::disconnect(connection);
  const int held = ticks;
  Pump(300);
  EXPECT_EQ(ticks, held);
}

// A player that shows no spectrum says so; the progress event then carries silent buffers in
// 1002 too, and the spectrum is back the moment it is wanted again.
TEST(EngineSignals, TheSpectrumIsComputedOnlyWhileWanted) {
  auto engine = NullEngine();
  EXPECT_TRUE(engine->SpectrumWanted());
  EngineRecorder rec;
  rec.Attach(*engine);
  engine->SetSpectrumWanted(false);
  engine->Play(
      MediaFactory::Tone(QStringLiteral("signal-1k"), QStringLiteral("mp3"), 1000, 3.0, 0.5));
  ASSERT_TRUE(WaitUntil(
      [&] { return rec.lastState == AudioState::Playing && rec.lastPosition > 300; }, kWait));
  const int at = rec.progressCount;
  ASSERT_TRUE(WaitUntil([&] { return rec.progressCount > at + 3; }, kWait));
  EXPECT_TRUE(std::all_of(rec.fft.begin(), rec.fft.end(), [](float v) { return v == 0.0f; }));
  EXPECT_TRUE(std::all_of(rec.wave.begin(), rec.wave.end(), [](uint32_t v) { return v == 0u; }));
  const int positionWithout = rec.lastPosition;
  EXPECT_GT(positionWithout, 300);  // the position still moves on

  engine->SetSpectrumWanted(true);
  const int now = rec.progressCount;
  ASSERT_TRUE(WaitUntil([&] { return rec.progressCount > now + 2; }, kWait));
  // 1000 Hz over 1024 points at 44100 Hz: bin 23.2.
  EXPECT_NEAR(rec.PeakBin(), 23, 1);
  EXPECT_GT(rec.lastPosition, positionWithout);
}

// An engine destroyed while its opener waits for a silent host ends that open (the transfer is
// aborted) and joins the thread before it is gone; nothing of it arrives afterwards.
TEST(EngineLifetime, TheDestructorJoinsAPendingOpener) {
  vireo::test::LoopbackHttpServer server(
      [](const vireo::test::LoopbackHttpServer::Request&,
         vireo::test::LoopbackHttpServer::Connection& c) { c.Sleep(20000); });
  EngineRecorder rec;
  {
    auto engine = NullEngine();
    rec.Attach(*engine);
    engine->Play(QString::fromStdString(server.Url("/silent.mp3")));
    ASSERT_TRUE(WaitUntil([&] { return server.RequestCount() == 1; }, kWait));
    ASSERT_EQ(WorkerRegistry::Instance().Running(QStringLiteral("engine")), 1);
    QElapsedTimer t;
    t.start();
    engine.reset();
    // Well before the server's 20 s would have let the opener go.
    EXPECT_LT(t.elapsed(), 15000);
  }
  EXPECT_EQ(WorkerRegistry::Instance().Running(QStringLiteral("engine")), 0);
  Pump(200);
  EXPECT_EQ(rec.States(), QStringList{QStringLiteral("state 1005")});
}
