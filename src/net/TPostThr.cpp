#include "net/TPostThr.h"

#include <QCoreApplication>
#include <QPointer>

#include "base/TextUtil.h"
#include "base/WorkerRegistry.h"
#include "net/HttpClient.h"

namespace vireo {

void TPostThr::Create(const QByteArray& url, const QByteArray& body, QObject* receiver,
                      std::function<void(int)> done) {
  QPointer<QObject> guard(receiver);
  const bool wantsResult = receiver != nullptr && static_cast<bool>(done);
  WorkerRegistry::Instance().Start(
      QStringLiteral("post"),
      [url, body, guard, wantsResult, done = std::move(done)](WorkerJob&) {
        const int code = ResultCode(HttpPost(url, body));
        if (!wantsResult) return;
        // The application object outlives every request (the registry's Shutdown at exit); the
        // receiver is checked on its own side of the queue.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, done, code] {
              if (guard) done(code);
            },
            Qt::QueuedConnection);
      },
      "vireo-post");
}

int TPostThr::ResultCode(QByteArrayView answer) {
  const QByteArray t = TrimBytes(answer);
  if (t.size() == 1 && t[0] >= '0' && t[0] <= '9') return t[0] - '0';
  return 255;
}

int TPostThr::Running() {
  return WorkerRegistry::Instance().Running(QStringLiteral("post"));
}
bool TPostThr::WaitForAll(int timeoutMs) {
  return WorkerRegistry::Instance().WaitForAll(timeoutMs, QStringLiteral("post"));
}

}  // namespace vireo
