// The HTTP module's one exported symbol and what it does: libcurl. Kept out of the player's
// start, since libcurl brings TLS, Kerberos, LDAP, SSH and RTMP libraries with it, and loaded by
// the first request (always on a worker).
#include <curl/curl.h>

#include "net/HttpModuleApi.h"

namespace vireo {
namespace {

void EnsureCurlInitialised() {
  static const bool initialised = [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    return true;
  }();
  (void)initialised;
}

struct Transfer {
  const HttpExchange* exchange;
  const HttpChunkHandler* onChunk;
  CURL* curl;
  HttpResult* result;
  bool (*jobCancelled)();
  qint64 received = 0;
  bool stoppedByHandler = false;
  bool answered = false;
};

// libcurl's callbacks: nothing may unwind through libcurl, so what a handler throws ends the
// transfer instead.
size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) noexcept try {
  const auto* exchange = static_cast<const HttpExchange*>(user);
  exchange->onHeader(QByteArrayView(data, static_cast<qsizetype>(size * count)));
  return size * count;
} catch (...) {
  return 0;
}

size_t OnWrite(char* data, size_t size, size_t count, void* user) noexcept try {
  auto* t = static_cast<Transfer*>(user);
  const qint64 n = static_cast<qint64>(size * count);
  if (t->result->contentLength < 0) {
    curl_off_t len = -1;
    if (curl_easy_getinfo(t->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &len) == CURLE_OK &&
        len >= 0)
      t->result->contentLength = len;
  }
  if (!t->answered) {
    t->answered = true;
    if (t->exchange->onAnswer) {
      long status = 0;
      curl_easy_getinfo(t->curl, CURLINFO_RESPONSE_CODE, &status);
      const char* type = nullptr;
      curl_easy_getinfo(t->curl, CURLINFO_CONTENT_TYPE, &type);
      t->exchange->onAnswer(status, t->result->contentLength,
                            type ? QByteArray(type) : QByteArray());
    }
  }
  qint64 take = n;
  const qint64 max = t->exchange->limits.maxAnswerBytes;
  if (max > 0 && t->received + take > max) take = max - t->received;
  t->received += take;
  if (*t->onChunk) {
    if (take > 0 && !(*t->onChunk)(data, take, t->result->contentLength)) {
      t->stoppedByHandler = true;
      return 0;
    }
  } else {
    t->result->body.append(data, take);
  }
  if (take < n) {
    t->result->truncated = true;
    return 0;  // ends the transfer: the rest is not wanted
  }
  return size * count;
} catch (...) {
  static_cast<Transfer*>(user)->stoppedByHandler = true;
  return 0;
}

// Also ends the transfer of a worker job that was cancelled (the player is closing).
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept {
  auto* t = static_cast<Transfer*>(user);
  return (t->exchange->cancel && t->exchange->cancel->load()) || t->jobCancelled() ? 1 : 0;
}

}  // namespace

HttpResult CurlFetch(const HttpExchange& exchange, const HttpChunkHandler& onChunk,
                     bool (*jobCancelled)()) {
  HttpResult result;
  EnsureCurlInitialised();
  CURL* curl = curl_easy_init();
  if (!curl) {
    result.error = QStringLiteral("libcurl could not start");
    return result;
  }
  Transfer transfer{&exchange, &onChunk, curl, &result, jobCancelled};
  const QByteArray url = exchange.url;  // libcurl copies strings, but keep it alive regardless
  curl_easy_setopt(curl, CURLOPT_URL, url.constData());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(exchange.limits.connectTimeoutMs));
  if (exchange.limits.totalTimeoutMs > 0)
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(exchange.limits.totalTimeoutMs));
  if (exchange.limits.stallTimeoutS > 0) {
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>(exchange.limits.stallTimeoutS));
  }
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnWrite);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  if (!exchange.userAgent.isEmpty())
    curl_easy_setopt(curl, CURLOPT_USERAGENT, exchange.userAgent.constData());
  if (exchange.http10) curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);

  const bool post = exchange.method == "POST";
  if (post) {
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, exchange.body.constData());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(exchange.body.size()));
  } else {
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  }

  curl_slist* headers = nullptr;
  for (const QByteArray& h : exchange.headers) headers = curl_slist_append(headers, h.constData());
  if (exchange.noCache) {
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
  }
  if (post) headers = curl_slist_append(headers, "Expect:");
  if (headers) curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_slist* aliases = nullptr;
  for (const QByteArray& a : exchange.http200Aliases)
    aliases = curl_slist_append(aliases, a.constData());
  if (aliases) curl_easy_setopt(curl, CURLOPT_HTTP200ALIASES, aliases);
  if (exchange.onHeader) {
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeaderLine);
  }

  const CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  result.status = status;
  result.curlCode = static_cast<int>(code);
  if (code == CURLE_OK) {
    result.completed = true;
  } else if (result.truncated && !transfer.stoppedByHandler) {
    result.completed = false;
    result.error = QStringLiteral("answer cut at %1 bytes").arg(exchange.limits.maxAnswerBytes);
  } else {
    result.error = QString::fromUtf8(curl_easy_strerror(code));
  }
  curl_slist_free_all(headers);
  curl_slist_free_all(aliases);
  curl_easy_cleanup(curl);
  return result;
}

namespace {

HttpResult Fetch(const HttpExchange& exchange, const HttpChunkHandler& onChunk,
                 bool (*jobCancelled)()) {
  try {
    return CurlFetch(exchange, onChunk, jobCancelled);
  } catch (...) {
    HttpResult failed;
    failed.error = QStringLiteral("the transfer failed");
    return failed;
  }
}

}  // namespace
}  // namespace vireo

extern "C" __attribute__((visibility("default"))) const vireo::HttpModuleApi* vireo_http_module() {
  static const vireo::HttpModuleApi api{vireo::HttpModuleApi::kVersion, vireo::Fetch};
  return &api;
}
