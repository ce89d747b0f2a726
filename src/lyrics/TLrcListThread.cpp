#include "lyrics/TLrcListThread.h"

#include <QPointer>

#include "lyrics/LyricWorkers.h"

namespace vireo {

std::shared_ptr<TLrcListThread> TLrcListThread::Start(const QString& title, const QString& singer,
                                                      const QString& album,
                                                      std::shared_ptr<ILrcDown> lrcDown,
                                                      QObject* receiver, RowFn addRow,
                                                      std::function<void()> done) {
  auto self = std::make_shared<TLrcListThread>();
  QPointer<QObject> guard(receiver);
  LyricWorkers::Start([self, title, singer, album, lrcDown = std::move(lrcDown), guard,
                       addRow = std::move(addRow), done = std::move(done)] {
    try {
      if (lrcDown) {
        lrcDown->Reset();
        lrcDown->Search(title, singer, album, 0);
        lrcDown->Search(title, singer, album, 1);
        const int count = lrcDown->Count();
        for (int i = 0; i < count && !self->Terminated(); ++i) {
          // Another search may have replaced the results meanwhile; then the list ends here.
          const auto item = lrcDown->GetItem(i);
          if (!item) break;
          if (!addRow) continue;
          LyricWorkers::PostAndWait(
              guard, [addRow, i, row = *item] { addRow(i, row); },
              [&self] { return self->Terminated(); });
        }
      }
    } catch (...) {
      // The dialog still hears that the search has ended.
    }
    if (done) LyricWorkers::Post(guard, done);
  });
  return self;
}

QStringList TLrcListThread::RowTexts(int index, const LrcSearchItem& item) {
  return {QString::number(index + 1), item.Title + u' ', item.Singer + u' ', item.Album + u' '};
}

}  // namespace vireo
