#include "net/TGetThr.h"

#include "net/HttpClient.h"
#include "net/RequestThreads.h"

namespace vireo {
namespace {
RequestThreads& Threads() {
  // Never destroyed: a detached request may still finish during exit.
  static auto* threads = new RequestThreads;
  return *threads;
}
}  // namespace

void TGetThr::Create(const QByteArray& url) {
  Threads().Start([url] { HttpGet(url); });
}

int TGetThr::Running() {
  return Threads().Running();
}
bool TGetThr::WaitForAll(int timeoutMs) {
  return Threads().WaitForAll(timeoutMs);
}

}  // namespace vireo
