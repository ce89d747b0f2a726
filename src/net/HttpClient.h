#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>

namespace vireo {

// Bounds on one exchange, so a dead or silent host never holds a thread for long and a runaway
// answer never fills memory.
struct HttpLimits {
  int connectTimeoutMs = 4000;
  int totalTimeoutMs = 20000;       // 0: no overall limit (streamed downloads)
  qint64 maxAnswerBytes = 4 << 20;  // the answer is cut here; 0: no limit
  int stallTimeoutS = 0;            // end a transfer that moved nothing for this long; 0: never
};

struct HttpExchange {
  QByteArray method = "GET";  // "GET" or "POST"
  QByteArray url;             // http:// or https://, host may carry ":port"
  QList<QByteArray> headers;  // extra "Name: value" lines
  QByteArray body;            // POST only
  QByteArray userAgent;       // empty: no User-Agent header at all
  bool http10 = false;        // send HTTP/1.0 instead of 1.1
  bool noCache = false;       // ask every cache on the way for a fresh answer
  HttpLimits limits;
  const std::atomic<bool>* cancel = nullptr;  // set to end the exchange early
  // Called once, before the first byte of the answer's body is handed on, with the final
  // answer's status, announced length (-1 when none) and Content-Type (empty when none).
  std::function<void(long status, qint64 contentLength, const QByteArray& contentType)> onAnswer;
  // Called with every header line as it arrives (the status lines of redirects too, and the
  // blank line that ends each answer's headers). Unset: headers are not looked at.
  std::function<void(QByteArrayView line)> onHeader;
  // Status lines other than "HTTP/x" that count as "200 OK" (e.g. "ICY 200 OK").
  QList<QByteArray> http200Aliases;
};

struct HttpResult {
  bool completed = false;  // the whole answer arrived (any status)
  long status = 0;         // 0 when no answer came
  qint64 contentLength = -1;
  bool truncated = false;  // cut at maxAnswerBytes
  QByteArray body;         // empty when a chunk handler took the bytes
  QString error;           // libcurl's words when not completed
  int curlCode = 0;        // libcurl's result code (CURLcode), 0 when completed
};

// Receives the answer's bytes as they arrive, with the announced length (-1 when none).
// Returning false ends the exchange.
using HttpChunkHandler =
    std::function<bool(const char* data, qsizetype size, qint64 contentLength)>;

// One blocking exchange over libcurl: its own handle, no connection reuse, no cookies, no cache.
// The one libcurl set-up of the player: every request, download and network stream goes through
// it. Safe to call from any number of threads at once. Run as a worker registry job, it also ends
// when the job is cancelled (within about a second).
HttpResult HttpFetch(const HttpExchange& exchange, const HttpChunkHandler& onChunk = {});

// The limits HttpGet and HttpPost use; tests shorten them. Thread-safe.
HttpLimits DefaultHttpLimits();
void SetDefaultHttpLimits(const HttpLimits& limits);

// GET with the agent "Internet Explorer", always from the server, never stored, no cookies.
// Returns the answer (whatever the status), or empty on any failure. Of every 1025-byte piece of
// the answer only the bytes before a zero byte are kept, as the service's readers expect.
QByteArray HttpGet(QByteArrayView url);

// POST as HTTP/1.0 with "Accept: */*" and "Content-Type: application/x-www-form-urlencoded"
// and the body's bytes; "http://" is optional and the host may carry ":port". Returns the
// answer, or empty on any failure.
QByteArray HttpPost(QByteArrayView url, const QByteArray& body);

}  // namespace vireo
