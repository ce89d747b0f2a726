#include "app/librarywindow/TGetMusicUrlThread.h"

#include "base/WorkerRegistry.h"
#include "library/IMusicSearch.h"

namespace vireo {

TGetMusicUrlThread::TGetMusicUrlThread(std::shared_ptr<IMusicSearch> search, QString key,
                                       qint32 extra)
    : search_(std::move(search)), key_(std::move(key)), extra_(extra) {
  connect(this, &TGetMusicUrlThread::finished, this, &QObject::deleteLater);
}

void TGetMusicUrlThread::start() {
  const auto job = WorkerRegistry::Instance().Start(
      QStringLiteral("library"),
      [this, search = search_, key = key_, extra = extra_](WorkerJob&) {
        QString address;
        try {
          if (search) address = search->GetUrl(key, extra);
        } catch (...) {
          address.clear();
        }
        // The object lives until this call has run: it is the job's last act.
        QMetaObject::invokeMethod(
            this,
            [this, address] {
              address_ = address;
              Q_EMIT finished();
            },
            Qt::QueuedConnection);
      },
      "vireo-library");
  if (!job) QMetaObject::invokeMethod(this, &TGetMusicUrlThread::finished, Qt::QueuedConnection);
}

}  // namespace vireo
