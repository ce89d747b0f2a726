#include "net/TGetThr.h"

#include "net/HttpClient.h"
#include "net/RequestThreads.h"

namespace vireo {

void TGetThr::Create(const QByteArray& url) {
  RequestThreads::Gets().Start([url] { HttpGet(url); });
}

int TGetThr::Running() {
  return RequestThreads::Gets().Running();
}
bool TGetThr::WaitForAll(int timeoutMs) {
  return RequestThreads::Gets().WaitForAll(timeoutMs);
}

}  // namespace vireo
