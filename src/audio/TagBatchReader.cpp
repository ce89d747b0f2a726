#include "audio/TagBatchReader.h"

#include <QElapsedTimer>
#include <QMetaObject>

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

quint64 TagBatchReader::Read(const QStringList& paths) {
  const quint64 ticket = ++nextTicket_;
  auto job = WorkerRegistry::Instance().Start(
      QStringLiteral("tags"),
      [this, ticket, paths](WorkerJob& self) {
        QList<TTags> batch;
        batch.reserve(kBatch);
        int first = 0;
        QElapsedTimer sinceFlush;
        sinceFlush.start();
        auto flush = [&] {
          if (batch.isEmpty()) return;
          const int count = static_cast<int>(batch.size());
          QMetaObject::invokeMethod(
              this,
              [this, ticket, first, tags = std::move(batch)] {
                Q_EMIT TagsRead(ticket, first, tags);
              },
              Qt::QueuedConnection);
          first += count;
          batch = {};
          batch.reserve(kBatch);
          sinceFlush.restart();
        };
        for (const QString& path : paths) {
          if (self.Cancelled()) return;
          batch.append(TagReader::Read(path));
          if (batch.size() >= kBatch || sinceFlush.elapsed() >= kFlushMs) flush();
        }
        flush();
        QMetaObject::invokeMethod(
            this, [this, ticket] { Q_EMIT Finished(ticket); }, Qt::QueuedConnection);
      },
      "vireo-tags");
  std::lock_guard lock(mutex_);
  std::erase_if(jobs_, [](const std::shared_ptr<WorkerJob>& j) { return j->Finished(); });
  if (job) {
    jobs_.push_back(std::move(job));
  } else {
    qCInfo(lcAudio) << "tag reading refused: the player is closing";
  }
  return ticket;
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
