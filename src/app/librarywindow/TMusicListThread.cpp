#include "app/librarywindow/TMusicListThread.h"

#include <condition_variable>
#include <mutex>

#include "base/WorkerRegistry.h"
#include "library/IMusicSearch.h"

namespace vireo {

TMusicListThread::TMusicListThread(std::shared_ptr<IMusicSearch> search, int pageIndex,
                                   QString keyword, std::function<void(int)> addResult)
    : search_(std::move(search)),
      pageIndex_(pageIndex),
      keyword_(std::move(keyword)),
      addResult_(std::move(addResult)) {
  if (search_) search_->ClearResults();
  connect(this, &TMusicListThread::finished, this, &QObject::deleteLater);
}

void TMusicListThread::start() {
  job_ = WorkerRegistry::Instance().Start(
      QStringLiteral("library"), [this](WorkerJob& job) { Run(job); }, "vireo-library");
  // Refused while the player shuts down: nothing was searched.
  if (!job_) QMetaObject::invokeMethod(this, &TMusicListThread::finished, Qt::QueuedConnection);
}

void TMusicListThread::requestInterruption() {
  if (job_) job_->Cancel();
}

void TMusicListThread::Run(WorkerJob& job) {
  // The object lives until finished() has been delivered, which is the job's last act.
  struct Turn {
    std::mutex mutex;
    std::condition_variable done;
    bool taken = false;
  };
  const auto turn = std::make_shared<Turn>();
  job.SetCancelHook([turn] {
    std::lock_guard lock(turn->mutex);
    turn->taken = true;
    turn->done.notify_all();
  });
  try {
    if (search_) {
      search_->Search(keyword_, pageIndex_ * IMusicSearch::kPageSize);
      const int n = search_->GetCount();
      for (int i = 0; i < n && !job.Cancelled(); ++i) {
        {
          std::lock_guard lock(turn->mutex);
          turn->taken = false;
        }
        // Added on the UI thread while this one waits; a cancel (a stop, or the exit, when the UI
        // thread may be waiting for this job) ends the wait.
        QMetaObject::invokeMethod(
            this,
            [this, i, turn] {
              addResult_(i);
              std::lock_guard lock(turn->mutex);
              turn->taken = true;
              turn->done.notify_all();
            },
            Qt::QueuedConnection);
        std::unique_lock lock(turn->mutex);
        turn->done.wait(lock, [&] { return turn->taken; });
      }
    }
  } catch (...) {
  }
  QMetaObject::invokeMethod(this, &TMusicListThread::finished, Qt::QueuedConnection);
}

}  // namespace vireo
