#include "app/TMusicListThread.h"

#include "library/IMusicSearch.h"

namespace vireo {

TMusicListThread::TMusicListThread(std::shared_ptr<IMusicSearch> search, int pageIndex,
                                   QString keyword, std::function<void(int)> addResult)
    : search_(std::move(search)),
      pageIndex_(pageIndex),
      keyword_(std::move(keyword)),
      addResult_(std::move(addResult)) {
  if (search_) search_->ClearResults();
  connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void TMusicListThread::run() {
  try {
    if (!search_) return;
    search_->Search(keyword_, pageIndex_ * IMusicSearch::kPageSize);
    const int n = search_->GetCount();
    for (int i = 0; i < n; ++i) {
      if (isInterruptionRequested()) break;
      // This object lives on the UI thread: the call runs there, and this thread waits for it.
      // Should the application drop the call (shutting down), the wait ends as well.
      QMetaObject::invokeMethod(
          this, [this, i] { addResult_(i); }, Qt::BlockingQueuedConnection);
    }
  } catch (...) {
  }
}

}  // namespace vireo
