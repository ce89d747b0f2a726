#include <gtest/gtest.h>

#include <QString>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "base/WorkerRegistry.h"

using namespace vireo;

namespace {
// A job that holds until it is cancelled (or the test lets it go).
auto Blocking(std::atomic<bool>& release) {
  return [&release](WorkerJob& job) {
    while (!job.Cancelled() && !release.load()) std::this_thread::yield();
  };
}
}  // namespace

TEST(WorkerRegistry, JobsAreCountedByGroupAndWaitedFor) {
  WorkerRegistry registry;
  std::atomic<bool> release{false};
  auto a = registry.Start(QStringLiteral("lyric"), Blocking(release));
  auto b = registry.Start(QStringLiteral("lyric"), Blocking(release));
  auto c = registry.Start(QStringLiteral("post"), [](WorkerJob&) {});
  ASSERT_TRUE(a && b && c);
  EXPECT_TRUE(c->Wait(5000));
  EXPECT_TRUE(registry.WaitForAll(5000, QStringLiteral("post")));
  EXPECT_EQ(registry.Running(QStringLiteral("lyric")), 2);
  EXPECT_FALSE(registry.WaitForAll(50, QStringLiteral("lyric")));
  EXPECT_FALSE(a->Finished());
  release = true;
  EXPECT_TRUE(registry.WaitForAll(5000));
  EXPECT_TRUE(a->Finished());
  EXPECT_EQ(registry.Running(), 0);
}

// What a job throws is dropped: the thread ends, the job is counted out, the process lives.
TEST(WorkerRegistry, AJobThatThrowsEndsQuietly) {
  WorkerRegistry registry;
  auto a = registry.Start(QStringLiteral("x"), [](WorkerJob&) { throw std::runtime_error("x"); });
  auto b = registry.Start(QStringLiteral("x"), [](WorkerJob&) { throw 7; });
  EXPECT_TRUE(registry.WaitForAll(5000));
  EXPECT_TRUE(a->Finished() && b->Finished());
}

// At exit everything still running is asked to stop, its hook ends what blocks it, and the
// wait is bounded; nothing starts afterwards.
TEST(WorkerRegistry, ShutdownCancelsWaitsAndRefusesLaterJobs) {
  WorkerRegistry registry;
  std::atomic<bool> never{false};
  std::atomic<int> hooks{0};
  std::atomic<bool> sawCurrent{false};
  auto blocked = registry.Start(QStringLiteral("lyric"), [&](WorkerJob& job) {
    sawCurrent = WorkerJob::Current() == &job;
    job.SetCancelHook([&] { ++hooks; });
    while (!WorkerJob::CurrentCancelled() && !never.load()) std::this_thread::yield();
  });
  ASSERT_TRUE(blocked);
  // A job that ignores its cancel makes the bounded wait fail, not hang.
  std::atomic<bool> stubbornRelease{false};
  auto stubborn = registry.Start(QStringLiteral("engine"), [&](WorkerJob&) {
    while (!stubbornRelease.load()) std::this_thread::yield();
  });
  EXPECT_FALSE(registry.Shutdown(200));
  EXPECT_TRUE(blocked->Finished());
  EXPECT_EQ(hooks.load(), 1);
  EXPECT_TRUE(sawCurrent.load());
  EXPECT_TRUE(registry.ShuttingDown());
  EXPECT_EQ(registry.Start(QStringLiteral("lyric"), [](WorkerJob&) {}), nullptr);
  stubbornRelease = true;
  EXPECT_TRUE(registry.WaitForAll(5000));
}

TEST(WorkerRegistry, AHookSetAfterTheCancelRunsAtOnce) {
  WorkerJob job(QStringLiteral("x"));
  int ran = 0;
  job.SetCancelHook([&] { ++ran; });
  EXPECT_EQ(ran, 0);
  job.Cancel();
  job.Cancel();  // once only
  EXPECT_EQ(ran, 1);
  job.SetCancelHook([&] { ran += 10; });
  EXPECT_EQ(ran, 11);
  EXPECT_FALSE(WorkerJob::CurrentCancelled());  // not a worker thread
}
