#include "audio/TagBatchReader.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QMetaObject>
#include <QThread>

#include "audio/TagReader.h"
#include "base/Logging.h"
#include "base/WorkerRegistry.h"

namespace vireo {

TagBatchReader::TagBatchReader(QObject* parent) : QObject(parent) {}

TagBatchReader::~TagBatchReader() {
  Cancel();
  std::vector<std::shared_ptr<WorkerJob>> jobs;
  {
    std::lock_guard lock(mutex_);
    jobs.swap(jobs_);
  }
  // A job posts to this object until it ends; once it has, what it queued dies with the object.
  for (const auto& job : jobs) job->Wait(-1);
}

// Keeps the parts of one read in order: the part whose turn it is posts its batches at once,
// a later part holds them until the parts before it are done. Posting happens under the lock,
// so the UI thread receives the batches in the order of the paths.
struct TagBatchReader::Order {
  struct Held {
    int first;
    QList<TTags> tags;
  };
  std::mutex mutex;
  int turn = 0;  // the part that posts directly; the read is complete when it reaches parts
  std::vector<std::vector<Held>> held;
  std::vector<bool> done;
};

quint64 TagBatchReader::Read(const QStringList& paths) {
  const quint64 ticket = ++nextTicket_;
  const auto count = static_cast<int>(paths.size());
  const int parts = count >= kSplitAt && QThread::idealThreadCount() >= 2 ? 2 : 1;
  auto order = std::make_shared<Order>();
  order->held.resize(parts);
  order->done.resize(parts, false);
  std::vector<std::shared_ptr<WorkerJob>> started;
  for (int part = 0; part < parts; ++part) {
    const int begin = count * part / parts, end = count * (part + 1) / parts;
    auto job = WorkerRegistry::Instance().Start(
        QStringLiteral("tags"),
        [this, ticket, paths, part, begin, end, order](WorkerJob& self) {
          ReadPart(self, ticket, paths, part, begin, end, order);
        },
        "vireo-tags");
    if (!job) {
      qCInfo(lcAudio) << "tag reading refused: the player is closing";
      break;
    }
    started.push_back(std::move(job));
  }
  std::lock_guard lock(mutex_);
  std::erase_if(jobs_, [](const std::shared_ptr<WorkerJob>& j) { return j->Finished(); });
  for (auto& job : started) jobs_.push_back(std::move(job));
  return ticket;
}

void TagBatchReader::ReadPart(WorkerJob& self, quint64 ticket, const QStringList& paths, int part,
                              int begin, int end, const std::shared_ptr<Order>& order) {
  // Reading tags must never keep the window waiting for a core: the reader yields to the UI
  // thread (a thread of its own, which ends with the job, so nothing else inherits this).
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNice);
  // Called with the order's lock held.
  const auto post = [this, ticket](int first, QList<TTags> tags) {
    QMetaObject::invokeMethod(
        this,
        [this, ticket, first, tags = std::move(tags)] { Q_EMIT TagsRead(ticket, first, tags); },
        Qt::QueuedConnection);
  };
  QList<TTags> batch;
  batch.reserve(kBatch);
  int first = begin;
  QElapsedTimer sinceFlush;
  sinceFlush.start();
  auto flush = [&] {
    if (batch.isEmpty()) return;
    const int size = static_cast<int>(batch.size());
    {
      std::lock_guard lock(order->mutex);
      if (order->turn == part)
        post(first, std::move(batch));
      else
        order->held[part].push_back({first, std::move(batch)});
    }
    first += size;
    batch = {};
    batch.reserve(kBatch);
    sinceFlush.restart();
  };
  for (int i = begin; i < end; ++i) {
    if (self.Cancelled()) return;
    batch.append(TagReader::Read(paths[i]));
    if (batch.size() >= kBatch || sinceFlush.elapsed() >= kFlushMs) flush();
  }
  flush();
  std::lock_guard lock(order->mutex);
  order->done[part] = true;
  // Hand the turn on past every part that is already done, with what they held.
  const auto parts = static_cast<int>(order->done.size());
  while (order->turn < parts && order->done[order->turn]) {
    if (++order->turn == parts) break;
    for (Order::Held& h : order->held[order->turn]) post(h.first, std::move(h.tags));
    order->held[order->turn].clear();
  }
  if (order->turn == parts)
    QMetaObject::invokeMethod(
        this, [this, ticket] { Q_EMIT Finished(ticket); }, Qt::QueuedConnection);
}

void TagBatchReader::Cancel() {
  std::lock_guard lock(mutex_);
  for (const auto& job : jobs_) job->Cancel();
}

int TagBatchReader::Pending() const {
  std::lock_guard lock(mutex_);
  int n = 0;
  for (const auto& job : jobs_)
    if (!job->Finished()) ++n;
  return n;
}

}  // namespace vireo
