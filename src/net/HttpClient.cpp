#include "net/HttpClient.h"

#include <mutex>

#include "base/Logging.h"
#include "base/RuntimeModule.h"
#include "base/TextUtil.h"
#include "base/UrlCodec.h"
#include "base/WorkerRegistry.h"
#include "net/HttpModuleApi.h"

namespace vireo {
namespace {

std::mutex limitsMutex;  // guards defaultLimits
HttpLimits defaultLimits;

// libcurl, in a module loaded by the first request.
const HttpModuleApi* HttpModule() {
  static const HttpModuleApi* const api = [] {
    static RuntimeModule module(QStringLiteral("vireo-http.so"), kHttpModuleEntry);
    const auto entry = reinterpret_cast<HttpModuleEntry>(module.Entry());
    const HttpModuleApi* a = entry ? entry() : nullptr;
    return a && a->version == HttpModuleApi::kVersion ? a : nullptr;
  }();
  return api;
}

// Of every 1025-byte piece, the bytes before its first zero byte.
QByteArray KeepBeforeZeroPerPiece(const QByteArray& answer) {
  constexpr qsizetype kPiece = 1025;
  if (!answer.contains('\0')) return answer;
  QByteArray out;
  out.reserve(answer.size());
  for (qsizetype at = 0; at < answer.size(); at += kPiece) {
    QByteArrayView piece = QByteArrayView(answer).sliced(at, std::min(kPiece, answer.size() - at));
    const qsizetype zero = piece.indexOf('\0');
    out.append(zero < 0 ? piece : piece.first(zero));
  }
  return out;
}

}  // namespace

HttpLimits DefaultHttpLimits() {
  std::lock_guard lock(limitsMutex);
  return defaultLimits;
}

void SetDefaultHttpLimits(const HttpLimits& limits) {
  std::lock_guard lock(limitsMutex);
  defaultLimits = limits;
}

HttpResult HttpFetch(const HttpExchange& exchange, const HttpChunkHandler& onChunk) {
  HttpResult result;
  if (exchange.url.isEmpty()) {
    result.error = QStringLiteral("no address");
    return result;
  }
  const HttpModuleApi* api = HttpModule();
  if (!api) {
    result.error = QStringLiteral("the network module cannot be loaded");
    return result;
  }
  result = api->Fetch(exchange, onChunk, [] { return WorkerJob::CurrentCancelled(); });
  if (!result.completed)
    qCInfo(lcNet).noquote() << exchange.method << exchange.url << "failed:" << result.error;
  else if (result.status >= 400)
    qCInfo(lcNet).noquote() << exchange.method << exchange.url << "answered" << result.status;
  return result;
}

QByteArray HttpGet(QByteArrayView url) {
  HttpExchange ex;
  ex.url = TrimBytes(url);
  if (ex.url.isEmpty()) return {};
  ex.userAgent = "Internet Explorer";
  ex.noCache = true;
  ex.limits = DefaultHttpLimits();
  // Whatever arrived counts, even from a broken connection or an error page.
  return KeepBeforeZeroPerPiece(HttpFetch(ex).body);
}

QByteArray HttpPost(QByteArrayView url, const QByteArray& body) {
  const HostPath hp = SplitUrl(url);
  if (hp.host.isEmpty()) return {};  // offline, or not an address at all
  HttpExchange ex;
  ex.method = "POST";
  ex.url = QByteArrayLiteral("http://") + hp.host + '/' + hp.path;
  ex.http10 = true;
  ex.headers = {QByteArrayLiteral("Accept: */*"),
                QByteArrayLiteral("Content-Type: application/x-www-form-urlencoded")};
  ex.body = body;
  ex.limits = DefaultHttpLimits();
  return HttpFetch(ex).body;
}

}  // namespace vireo
