#include "net/ServiceHost.h"

#include <mutex>

#include "base/TextUtil.h"

namespace vireo {
namespace {
std::mutex hostMutex;  // guards host
QString host;
}  // namespace

QString ServiceHost::Host() {
  std::lock_guard lock(hostMutex);
  return host;
}

void ServiceHost::SetHost(const QString& value) {
  std::lock_guard lock(hostMutex);
  host = TrimText(value);
}

QByteArray ServiceHost::Url(QByteArrayView path) {
  const QString h = Host();
  if (h.isEmpty()) return {};
  return QByteArrayLiteral("http://") + h.toUtf8() + path.toByteArray();
}

}  // namespace vireo
