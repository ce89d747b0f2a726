#pragma once

#include <QString>
#include <QThread>
#include <functional>
#include <memory>

namespace vireo {

class IMusicSearch;

// One library search, off the UI thread: Search (keyword, page index × 30), then each result
// handed to the UI thread one at a time (AddResult(i) runs there while the worker waits), so
// that a stop request ends the listing after the result being added. The constructor clears
// the component's results (UI thread), before the worker runs. Every failure inside is dropped.
// Made by the library window, started at once; deletes itself after finished().
class TMusicListThread : public QThread {
  Q_OBJECT
 public:
  TMusicListThread(std::shared_ptr<IMusicSearch> search, int pageIndex, QString keyword,
                   std::function<void(int index)> addResult);

  int PageIndex() const { return pageIndex_; }
  QString Keyword() const { return keyword_; }

 protected:
  void run() override;

 private:
  const std::shared_ptr<IMusicSearch> search_;
  const int pageIndex_;
  const QString keyword_;
  const std::function<void(int)> addResult_;
};

}  // namespace vireo
