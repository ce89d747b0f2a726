#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace vireo {

// One job on a worker thread of the registry: its stop request and its end.
//
// Threading contract: Cancel(), Wait() and Finished() from any thread; Cancelled() and
// SetCancelHook() from the job's own thread mostly (any thread is safe).
class WorkerJob {
 public:
  explicit WorkerJob(QString group) : group_(std::move(group)) {}
  WorkerJob(const WorkerJob&) = delete;
  WorkerJob& operator=(const WorkerJob&) = delete;

  const QString& Group() const { return group_; }
  bool Cancelled() const { return cancelled_.load(); }
  // For blocking calls that poll a flag (HttpExchange::cancel).
  const std::atomic<bool>* CancelFlag() const { return &cancelled_; }
  // Asks the job to stop: sets the flag and runs the hook (on the calling thread), once.
  void Cancel();
  // What a cancel must do besides setting the flag to end a blocking call (abort a transfer);
  // runs at once when the job was cancelled already. Replaces an earlier hook; dropped at the end.
  void SetCancelHook(std::function<void()> hook);
  // Waits until the job has ended; false when timeoutMs passed first (negative: no limit).
  bool Wait(int timeoutMs) const;
  bool Finished() const;

  // The job of the calling thread, or null outside a registry's worker.
  static WorkerJob* Current();
  // Whether the calling thread's job was asked to stop (false outside a worker).
  static bool CurrentCancelled();

 private:
  friend class WorkerRegistry;
  void MarkFinished();

  const QString group_;
  std::atomic<bool> cancelled_{false};
  mutable std::mutex mutex_;  // guards hook_ and finished_
  mutable std::condition_variable ended_;
  std::function<void()> hook_;
  bool finished_ = false;
};

// The one place worker threads come from: every blocking job of the player (requests, lyric
// look-ups, the engine's opener and stream releases, tag reading) runs here, each on a thread of
// its own that ends with the job. Jobs are grouped by kind ("request", "lyric", "engine", ...)
// so each kind can be counted and waited for, and all of them can be cancelled and waited for
// once, at exit: the application calls Instance().Shutdown(ms) before its application object
// goes, and no job starts after that.
//
// A job must hand its result to the UI thread itself (a queued call to a guarded receiver); an
// exception escaping it is caught and dropped.
//
// Threading contract: every method from any thread.
class WorkerRegistry {
 public:
  WorkerRegistry();
  // Cancels what still runs and waits for it without limit.
  ~WorkerRegistry();
  WorkerRegistry(const WorkerRegistry&) = delete;
  WorkerRegistry& operator=(const WorkerRegistry&) = delete;

  // The process's registry; never destroyed, as a detached job may finish during exit.
  static WorkerRegistry& Instance();

  // Starts the job on a new thread named threadName (at most 15 characters are kept). Null, and
  // the job is not run, once Shutdown() has begun.
  std::shared_ptr<WorkerJob> Start(const QString& group, std::function<void(WorkerJob&)> job,
                                   const char* threadName = "vireo-worker");

  int Running(const QString& group = {}) const;  // empty group: all
  // Waits until no job of the group runs; false when timeoutMs passed first.
  bool WaitForAll(int timeoutMs, const QString& group = {});
  // Someone is inside WaitForAll() or Shutdown(): the UI thread may be the one waiting, so a job
  // must not wait for the UI thread now.
  bool Waiting() const;
  void CancelAll(const QString& group = {});
  // Refuses new jobs, cancels every job and waits for them until timeoutMs has passed; true
  // when all of them ended in time.
  bool Shutdown(int timeoutMs);
  bool ShuttingDown() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace vireo
