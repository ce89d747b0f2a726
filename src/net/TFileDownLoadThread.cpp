#include "net/TFileDownLoadThread.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <condition_variable>
#include <cstdio>
#include <limits>
#include <mutex>

#include "base/AtomicFileStream.h"
#include "base/TextUtil.h"

namespace vireo {
namespace {

// Reports are spaced at least this far apart, so a fast transfer does not stall on the UI
// thread for every network chunk; the first and the last one are always sent.
constexpr qint64 kReportSpacingMs = 100;

qint32 Clamp32(qint64 v) {
  if (v < 0) return 0;
  return v > std::numeric_limits<qint32>::max() ? std::numeric_limits<qint32>::max()
                                                : static_cast<qint32>(v);
}

}  // namespace

struct TFileDownLoadThread::Handoff {
  std::mutex mutex;  // guards pending and abandoned
  std::condition_variable answered;
  bool pending = false;    // a report waits for the UI thread
  bool abandoned = false;  // the owner is being destroyed: nobody will answer
};

TFileDownLoadThread::TFileDownLoadThread(const QString& url, bool createSuspended,
                                         ErrorHandler onError, CompleteHandler onComplete,
                                         ProgressHandler onProgress, const QString& fileName)
    : url_(url),
      fileName_(fileName),
      onError_(std::move(onError)),
      onComplete_(std::move(onComplete)),
      onProgress_(std::move(onProgress)),
      handoff_(std::make_shared<Handoff>()) {
  if (!createSuspended && onError_ && onComplete_ && onProgress_) start();
}

TFileDownLoadThread::~TFileDownLoadThread() {
  abandoned_ = true;
  requestInterruption();
  {
    std::lock_guard lock(handoff_->mutex);
    handoff_->abandoned = true;
  }
  handoff_->answered.notify_all();
  wait();
}

bool TFileDownLoadThread::ReportProgress(qint64 current, qint64 max) {
  progressCurrent_ = Clamp32(current);
  progressMax_ = Clamp32(max);
  if (onProgress_) {
    std::shared_ptr<Handoff> h = handoff_;
    {
      std::lock_guard lock(h->mutex);
      if (h->abandoned) return false;
      h->pending = true;
    }
    const qint32 c = progressCurrent_, m = progressMax_;
    // Queued to this object, which lives on the creator's thread; when the object is destroyed
    // first, the call is dropped and the destructor has already released the wait below.
    QMetaObject::invokeMethod(
        this,
        [this, h, c, m] {
          {
            std::lock_guard lock(h->mutex);
            if (h->abandoned) return;
          }
          try {
            onProgress_(this, c, m);
          } catch (...) {
            // A failing progress handler must not leave the worker waiting.
          }
          {
            std::lock_guard lock(h->mutex);
            h->pending = false;
          }
          h->answered.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(h->mutex);
    h->answered.wait(lock, [&] { return !h->pending || h->abandoned; });
    if (h->abandoned) return false;
  }
  return !isInterruptionRequested();
}

void TFileDownLoadThread::run() {
  int error = 0;
  try {
    AtomicFileStream part(fileName_);
    if (!QDir().mkpath(QFileInfo(fileName_).absolutePath()) || !part.Open()) {
      error = kWriteFailed;
    } else {
      HttpExchange ex;
      ex.url = TrimBytes(url_.toUtf8());
      ex.userAgent = QByteArrayLiteral("Vireo/" VIREO_VERSION);
      ex.limits = limits_;
      ex.cancel = &abandoned_;
      qint64 written = 0, length = 0, reported = -1;
      bool aborted = false, writeFailed = false;
      QElapsedTimer sinceReport;
      const auto report = [&]() {
        reported = written;
        sinceReport.start();
        if (!ReportProgress(written, length)) aborted = true;
        return !aborted;
      };
      const HttpResult r = HttpFetch(ex, [&](const char* data, qsizetype size, qint64 announced) {
        length = announced > 0 ? announced : 0;
        if (!part.Append(data, size)) {
          writeFailed = true;
          return false;
        }
        written += size;
        const bool last = length > 0 && written >= length;
        if (reported < 0 || last || sinceReport.elapsed() >= kReportSpacingMs) return report();
        return true;
      });
      if (!aborted && !writeFailed && r.completed && written != reported) report();
      if (aborted || abandoned_)
        error = kAborted;
      else if (writeFailed)
        error = kWriteFailed;
      else if (!r.completed || r.truncated)
        error = kTransferFailed;
      else if (r.status < 200 || r.status > 299)
        error = static_cast<int>(r.status);
      else if (!part.Commit())
        error = kWriteFailed;
    }
  } catch (...) {
    error = kTransferFailed;
  }
  if (abandoned_) return;
  try {
    if (error == 0) {
      if (onComplete_) onComplete_(this);
    } else if (onError_) {
      onError_(this, error);
    }
  } catch (...) {
    // The worker swallows what its handlers throw.
  }
}

}  // namespace vireo
