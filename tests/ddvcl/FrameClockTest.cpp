// The karaoke fills' frame clock: a frame only when the edge moved a device pixel, never more
// than kMaxRate a second on its own timer, none while the position stands, and none of its own
// while the player's ticks come (they bring the frames).
#include <gtest/gtest.h>

#include <QWidget>

#include "TestEnv.h"
#include "ddvcl/TDDFrameClock.h"

using namespace vireo;
using vireo::test::Pump;

namespace {

struct Clock {
  QWidget view;
  int pixelsPerSecond;
  QList<std::pair<int, int>> moves;
  TDDFrameClock clock{&view, [this](qint32 ms) { return int(qint64(ms) * pixelsPerSecond / 1000); },
                      [this](int from, int to) { moves.append({from, to}); }};
  explicit Clock(int pps) : pixelsPerSecond(pps) {}
  // The player plays from position 0: two updates 150 ms apart start the clock.
  void Play() {
    clock.SetPosition(0);
    clock.Run(true);
    clock.SetPosition(1);
  }
};

}  // namespace

TEST(FrameClock, AFastEdgeMovesAtMostAtTheCappedRate) {
  Clock c(1000);  // a pixel a millisecond
  c.Play();
  const int before = c.clock.Frames();
  Pump(250);  // within the clock's reach (300 ms past the last update)
  const int frames = c.clock.Frames() - before;
  EXPECT_GE(frames, 3);
  EXPECT_LE(frames, 250 / (1000 / TDDFrameClock::kMaxRate) + 2);
  for (const auto& [from, to] : c.moves) EXPECT_GT(to, from);
}

TEST(FrameClock, ASlowEdgeCostsAFrameAPixel) {
  Clock c(10);  // a pixel every 100 ms
  c.Play();
  const int before = c.clock.Frames();
  Pump(280);
  const int frames = c.clock.Frames() - before;
  EXPECT_GE(frames, 1);
  EXPECT_LE(frames, 3);
  for (const auto& [from, to] : c.moves) EXPECT_LE(to - from, 1);
}

TEST(FrameClock, NothingMovesWhileThePositionStands) {
  Clock c(1000);
  c.clock.SetPosition(500);
  c.clock.Run(true);
  c.clock.SetPosition(500);  // paused
  EXPECT_EQ(c.clock.Shown(), 500);
  EXPECT_FALSE(c.clock.Active());
  const int before = c.clock.Frames();
  Pump(100);
  EXPECT_EQ(c.clock.Frames(), before);
}

TEST(FrameClock, ThePlayersTicksBringTheFramesAndNoTimerRuns) {
  Clock c(1000);
  c.Play();
  TDDFrameClock::Pulse();
  EXPECT_FALSE(c.clock.Active());
  Pump(30);
  const int before = c.clock.Frames();
  TDDFrameClock::Pulse();  // 30 ms on: the edge moved some 30 pixels
  EXPECT_EQ(c.clock.Frames(), before + 1);
  EXPECT_FALSE(c.clock.Active());
  // Once the ticks stop coming the clock's own timer takes over.
  Pump(TDDFrameClock::kPulseGapMs + 10);
  c.clock.SetPosition(400);
  EXPECT_TRUE(c.clock.Active());
}
