#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

#include "net/HttpClient.h"

namespace vireo {

// Copies one web resource into one local file on a thread of its own (the installer download).
//
// Callback contract:
//   OnProgress(self, current, max) runs on the thread that created this object (the UI thread),
//     while the worker waits for it to return. max is 0 when the server announced no length.
//   OnComplete(self) and OnError(self, code) run on the worker: hand over to the UI thread from
//     there. code is kAborted, kTransferFailed, kWriteFailed, or the HTTP status of an answer
//     that was not a success (404, 500, ...).
//   requestInterruption() (the terminate request) aborts the download at its next progress
//     report, which is still delivered; a request after the last report changes nothing.
//
// The file appears under its name only when complete: the bytes go to a temporary file beside it
// (AtomicFileStream), which replaces FileName at the end (an earlier file of that name is
// overwritten). After a failure neither the partial file nor a changed FileName remains.
//
// The creator owns the object. Destroying it ends a running download at once (no callback runs
// any more) and waits for the worker; it is safe while the worker waits for a progress report.
class TFileDownLoadThread : public QThread {
 public:
  using ProgressHandler = std::function<void(TFileDownLoadThread*, qint32 current, qint32 max)>;
  using CompleteHandler = std::function<void(TFileDownLoadThread*)>;
  using ErrorHandler = std::function<void(TFileDownLoadThread*, int errorCode)>;

  static constexpr int kAborted = -1;         // the terminate request was answered
  static constexpr int kTransferFailed = -2;  // no connection, broken transfer, timeout, bad URL
  static constexpr int kWriteFailed = -3;     // the file could not be created or written

  // Starts at once unless createSuspended, or unless one of the three handlers is missing: then
  // the creator starts it with start().
  TFileDownLoadThread(const QString& url, bool createSuspended, ErrorHandler onError,
                      CompleteHandler onComplete, ProgressHandler onProgress,
                      const QString& fileName);
  ~TFileDownLoadThread() override;

  QString URL() const { return url_; }
  QString FileName() const { return fileName_; }
  // The last report (bytes so far, bytes expected or 0).
  qint32 ProgressCurrent() const { return progressCurrent_.load(); }
  qint32 ProgressMax() const { return progressMax_.load(); }

  // Bounds of the transfer; set before it starts. By default: 10 s to connect, 30 minutes in
  // all, at most 1 GiB.
  void SetLimits(const HttpLimits& limits) { limits_ = limits; }

 protected:
  void run() override;

 private:
  struct Handoff;  // one waiting progress report, shared with the queued call
  // Reports on the worker; true when the download goes on.
  bool ReportProgress(qint64 current, qint64 max);

  const QString url_;
  const QString fileName_;
  const ErrorHandler onError_;
  const CompleteHandler onComplete_;
  const ProgressHandler onProgress_;
  HttpLimits limits_{10000, 30 * 60 * 1000, qint64(1) << 30};

  std::atomic<qint32> progressCurrent_{0};
  std::atomic<qint32> progressMax_{0};
  std::atomic<bool> abandoned_{false};  // set by the destructor: stop now, call nobody
  std::shared_ptr<Handoff> handoff_;
};

}  // namespace vireo
