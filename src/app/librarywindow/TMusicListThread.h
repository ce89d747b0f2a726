#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace vireo {

class IMusicSearch;
class WorkerJob;

// One library search, off the UI thread: Search (keyword, page index × 30), then each result
// handed to the UI thread one at a time (AddResult(i) runs there while the worker waits), so
// that a stop request ends the listing after the result being added. The constructor clears
// the component's results (UI thread), before the worker runs. Every failure inside is dropped.
// Made by the library window on the UI thread and started at once; the search runs as a job of
// the worker registry (group "library"), so the exit cancels it and waits for it, and a wait for
// the UI thread ends when the job is cancelled. finished() comes on the UI thread, after which
// the object deletes itself.
class TMusicListThread : public QObject {
  Q_OBJECT
 public:
  TMusicListThread(std::shared_ptr<IMusicSearch> search, int pageIndex, QString keyword,
                   std::function<void(int index)> addResult);

  int PageIndex() const { return pageIndex_; }
  QString Keyword() const { return keyword_; }
  void start();
  // Ends the listing after the result being added (a second press of the search button).
  void requestInterruption();

 Q_SIGNALS:
  void finished();

 private:
  void Run(WorkerJob& job);

  const std::shared_ptr<IMusicSearch> search_;
  const int pageIndex_;
  const QString keyword_;
  const std::function<void(int)> addResult_;
  std::shared_ptr<WorkerJob> job_;
};

}  // namespace vireo
