#include "base/WorkerRegistry.h"

#include <pthread.h>

#include <chrono>
#include <thread>
#include <vector>

#include "base/Logging.h"

namespace vireo {

namespace {
thread_local WorkerJob* currentJob = nullptr;
}

void WorkerJob::Cancel() {
  std::function<void()> hook;
  {
    std::lock_guard lock(mutex_);
    if (cancelled_.exchange(true)) return;
    hook = std::move(hook_);
    hook_ = nullptr;
  }
  if (hook) {
    try {
      hook();
    } catch (...) {
    }
  }
}

void WorkerJob::SetCancelHook(std::function<void()> hook) {
  {
    std::lock_guard lock(mutex_);
    if (!cancelled_.load()) {
      hook_ = std::move(hook);
      return;
    }
  }
  if (hook) {
    try {
      hook();
    } catch (...) {
    }
  }
}

bool WorkerJob::Wait(int timeoutMs) const {
  std::unique_lock lock(mutex_);
  if (timeoutMs < 0) {
    ended_.wait(lock, [this] { return finished_; });
    return true;
  }
  return ended_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return finished_; });
}

bool WorkerJob::Finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

void WorkerJob::MarkFinished() {
  std::lock_guard lock(mutex_);
  finished_ = true;
  hook_ = nullptr;
  ended_.notify_all();
}

WorkerJob* WorkerJob::Current() {
  return currentJob;
}

bool WorkerJob::CurrentCancelled() {
  return currentJob && currentJob->Cancelled();
}

// Shared with the worker threads, so a registry may go while its last thread is unwinding.
struct WorkerRegistry::State {
  mutable std::mutex mutex;  // guards jobs, shuttingDown
  std::condition_variable idle;
  std::vector<std::shared_ptr<WorkerJob>> jobs;
  bool shuttingDown = false;
  std::atomic<int> waiting{0};

  int Count(const QString& group) const {
    int n = 0;
    for (const auto& j : jobs)
      if (group.isEmpty() || j->Group() == group) ++n;
    return n;
  }
};

WorkerRegistry::WorkerRegistry() : state_(std::make_shared<State>()) {}

WorkerRegistry::~WorkerRegistry() {
  CancelAll();
  WaitForAll(-1);
}

WorkerRegistry& WorkerRegistry::Instance() {
  static auto* registry = new WorkerRegistry;
  return *registry;
}

std::shared_ptr<WorkerJob> WorkerRegistry::Start(const QString& group,
                                                 std::function<void(WorkerJob&)> fn,
                                                 const char* threadName) {
  auto job = std::make_shared<WorkerJob>(group);
  {
    std::lock_guard lock(state_->mutex);
    if (state_->shuttingDown) {
      qCDebug(lcBase) << "worker job of" << group << "refused: shutting down";
      return nullptr;
    }
    state_->jobs.push_back(job);
  }
  char name[16] = {};
  std::snprintf(name, sizeof name, "%s", threadName ? threadName : "vireo-worker");
  std::thread([state = state_, job, fn = std::move(fn), thread = std::string(name)] {
    pthread_setname_np(pthread_self(), thread.c_str());
    currentJob = job.get();
    try {
      fn(*job);
    } catch (const std::exception& e) {
      qCWarning(lcBase) << "worker job of" << job->Group() << "failed:" << e.what();
    } catch (...) {
      qCWarning(lcBase) << "worker job of" << job->Group() << "failed";
    }
    currentJob = nullptr;
    // Counted out and marked ended at once, so whoever saw it end also finds it gone.
    std::lock_guard lock(state->mutex);
    std::erase(state->jobs, job);
    job->MarkFinished();
    state->idle.notify_all();
  }).detach();
  return job;
}

int WorkerRegistry::Running(const QString& group) const {
  std::lock_guard lock(state_->mutex);
  return state_->Count(group);
}

bool WorkerRegistry::WaitForAll(int timeoutMs, const QString& group) {
  ++state_->waiting;
  std::unique_lock lock(state_->mutex);
  const auto none = [&] { return state_->Count(group) == 0; };
  bool idle = true;
  if (timeoutMs < 0)
    state_->idle.wait(lock, none);
  else
    idle = state_->idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), none);
  --state_->waiting;
  return idle;
}

bool WorkerRegistry::Waiting() const {
  return state_->waiting.load() > 0;
}

void WorkerRegistry::CancelAll(const QString& group) {
  std::vector<std::shared_ptr<WorkerJob>> jobs;
  {
    std::lock_guard lock(state_->mutex);
    for (const auto& j : state_->jobs)
      if (group.isEmpty() || j->Group() == group) jobs.push_back(j);
  }
  for (const auto& j : jobs) j->Cancel();  // hooks run outside the registry's lock
}

bool WorkerRegistry::Shutdown(int timeoutMs) {
  {
    std::lock_guard lock(state_->mutex);
    state_->shuttingDown = true;
  }
  CancelAll();
  const bool all = WaitForAll(timeoutMs);
  if (!all) qCWarning(lcBase) << Running() << "worker jobs still running at shutdown";
  return all;
}

bool WorkerRegistry::ShuttingDown() const {
  std::lock_guard lock(state_->mutex);
  return state_->shuttingDown;
}

}  // namespace vireo
