#include "app/mainwindow/SongCacheWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "base/AtomicFileStream.h"
#include "base/WorkerRegistry.h"

namespace vireo {

struct SongCacheWriter::Queue {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<QByteArray> chunks;
  bool ended = false;     // no more chunks will come
  bool complete = false;  // ... and the track arrived whole
};

namespace {

// The cache copy of a complete temporary file, put in place whole.
bool CopyWhole(const QString& from, const QString& to) {
  QFile in(from);
  if (!in.open(QIODevice::ReadOnly)) return false;
  AtomicFileStream out(to);
  if (!out.Open()) return false;
  QByteArray block;
  while (!(block = in.read(256 * 1024)).isEmpty())
    if (!out.Append(block)) return false;
  return in.error() == QFileDevice::NoError && out.Commit();
}

}  // namespace

SongCacheWriter::SongCacheWriter(QString tempPath, QString cachePath, QObject* context,
                                 std::function<void(const QString&)> kept)
    : queue_(std::make_shared<Queue>()) {
  const std::shared_ptr<Queue> q = queue_;
  QPointer<QObject> guard(context);
  const auto job = [q, temp = std::move(tempPath), cache = std::move(cachePath), guard,
                    kept = std::move(kept)](WorkerJob& worker) {
    worker.SetCancelHook([q] {
      std::lock_guard lock(q->mutex);
      q->ended = true;
      q->wake.notify_all();
    });
    QFile file(temp);
    bool writable = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    bool complete = false;
    for (;;) {
      std::deque<QByteArray> batch;
      {
        std::unique_lock lock(q->mutex);
        q->wake.wait(lock, [&] { return !q->chunks.empty() || q->ended; });
        batch.swap(q->chunks);
        if (batch.empty() && q->ended) {
          complete = q->complete && !worker.Cancelled();
          break;
        }
      }
      for (const QByteArray& chunk : batch)
        if (writable && file.write(chunk) != chunk.size()) writable = false;
    }
    file.close();
    if (!writable || !complete) return;  // the partial temporary file stays
    if (!CopyWhole(temp, cache)) return;
    QFile::remove(temp);
    // To the application, which outlives every job; whether the context still lives is asked on
    // its own thread.
    QObject* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(
        app,
        [guard, kept, cache] {
          if (guard && kept) kept(cache);
        },
        Qt::QueuedConnection);
  };
  if (!WorkerRegistry::Instance().Start(QStringLiteral("cache"), job, "vireo-cache")) {
    // The player is closing: nothing is written.
    std::lock_guard lock(q->mutex);
    q->ended = true;
  }
}

SongCacheWriter::~SongCacheWriter() {
  std::lock_guard lock(queue_->mutex);
  queue_->ended = true;
  queue_->wake.notify_all();
}

void SongCacheWriter::Append(const char* data, int length) {
  if (!data || length <= 0) return;
  std::lock_guard lock(queue_->mutex);
  if (queue_->ended) return;
  queue_->chunks.emplace_back(data, length);
  queue_->wake.notify_all();
}

void SongCacheWriter::Finish(bool complete) {
  std::lock_guard lock(queue_->mutex);
  if (queue_->ended) return;
  queue_->ended = true;
  queue_->complete = complete;
  queue_->wake.notify_all();
}

}  // namespace vireo
