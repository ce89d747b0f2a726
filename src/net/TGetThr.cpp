#include "net/TGetThr.h"

#include "base/WorkerRegistry.h"
#include "net/HttpClient.h"

namespace vireo {

void TGetThr::Create(const QByteArray& url) {
  WorkerRegistry::Instance().Start(
      QStringLiteral("get"), [url](WorkerJob&) { HttpGet(url); }, "vireo-get");
}

int TGetThr::Running() {
  return WorkerRegistry::Instance().Running(QStringLiteral("get"));
}
bool TGetThr::WaitForAll(int timeoutMs) {
  return WorkerRegistry::Instance().WaitForAll(timeoutMs, QStringLiteral("get"));
}

}  // namespace vireo
