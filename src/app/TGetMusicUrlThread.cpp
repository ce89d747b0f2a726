#include "app/TGetMusicUrlThread.h"

#include "library/IMusicSearch.h"

namespace vireo {

TGetMusicUrlThread::TGetMusicUrlThread(std::shared_ptr<IMusicSearch> search, QString key,
                                       qint32 extra)
    : search_(std::move(search)), key_(std::move(key)), extra_(extra) {
  connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void TGetMusicUrlThread::run() {
  try {
    if (search_) address_ = search_->GetUrl(key_, extra_);
  } catch (...) {
    address_.clear();
  }
}

}  // namespace vireo
