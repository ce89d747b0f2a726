#include "lyrics/TGetLrcTextThread.h"

#include <QPointer>
#include <optional>

#include "lyrics/LyricWorkers.h"

namespace vireo {
namespace {

void Run(std::optional<LrcSearchItem> item, int rowIndex, std::shared_ptr<ILrcDown> lrcDown,
         QObject* receiver, std::function<void(const QString&)> done) {
  QPointer<QObject> guard(receiver);
  LyricWorkers::Start(
      [item, rowIndex, lrcDown = std::move(lrcDown), guard, done = std::move(done)] {
        QString text;
        try {
          if (lrcDown) {
            const auto chosen = item ? item : lrcDown->GetItem(rowIndex);
            if (chosen) text = lrcDown->Download(chosen->Id).value_or(QString());
          }
        } catch (...) {
          text.clear();
        }
        if (done) LyricWorkers::Post(guard, [done, text] { done(text); });
      });
}

}  // namespace

void TGetLrcTextThread::Start(int rowIndex, std::shared_ptr<ILrcDown> lrcDown, QObject* receiver,
                              std::function<void(const QString&)> done) {
  Run(std::nullopt, rowIndex, std::move(lrcDown), receiver, std::move(done));
}

void TGetLrcTextThread::Start(const LrcSearchItem& item, std::shared_ptr<ILrcDown> lrcDown,
                              QObject* receiver, std::function<void(const QString&)> done) {
  Run(item, 0, std::move(lrcDown), receiver, std::move(done));
}

}  // namespace vireo
