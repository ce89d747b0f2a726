#include "audio/NetworkSource.h"

#include <curl/curl.h>
#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "audio/AudioCodes.h"
#include "audio/IcyMetadataFilter.h"
#include "net/HttpClient.h"

namespace vireo {
namespace {

bool StartsWithNoCase(QByteArrayView bytes, QByteArrayView prefix) {
  return bytes.size() >= prefix.size() &&
         bytes.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

bool LooksLikePlaylist(QByteArrayView url, QByteArrayView first, const char* type) {
  QByteArray t = type ? QByteArray(type).toLower() : QByteArray();
  if (t.contains("scpls") || t.contains("mpegurl")) return true;
  QByteArrayView lead = first;
  while (!lead.isEmpty() && static_cast<unsigned char>(lead.front()) <= 0x20) lead = lead.sliced(1);
  if (StartsWithNoCase(lead, "[playlist]") || StartsWithNoCase(lead, "#EXTM3U")) return true;
  QByteArray path = url.toByteArray().toLower();
  const qsizetype q = path.indexOf('?');
  if (q >= 0) path.truncate(q);
  if (!path.endsWith(".pls") && !path.endsWith(".m3u")) return false;
  // Named as a playlist: believe it when the start is text.
  return std::none_of(first.begin(), first.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u == 0 || (u < 0x20 && u != '\r' && u != '\n' && u != '\t');
  });
}

}  // namespace

NetworkSource::NetworkSource(QByteArray url, ChunkHandler onChunk)
    : url_(std::move(url)), onChunk_(std::move(onChunk)) {}

NetworkSource::~NetworkSource() {
  Cancel();
  if (thread_.joinable()) thread_.join();
}

bool NetworkSource::IsNetworkName(QByteArrayView name) {
  return StartsWithNoCase(name, "http://") || StartsWithNoCase(name, "https://");
}

void NetworkSource::Start() {
  thread_ = std::thread([this] { Run(); });
}

void NetworkSource::Cancel() {
  cancel_.store(true);
  std::lock_guard lock(mutex_);
  cv_.notify_all();
}

int NetworkSource::WaitForAnswer() {
  std::unique_lock lock(mutex_);
  const bool in = cv_.wait_for(lock, std::chrono::milliseconds(kAnswerTimeoutMs),
                               [&] { return answered_ || finished_ || cancel_.load(); });
  if (cancel_.load()) return AudioError::Unknown;
  if (!in) {
    lock.unlock();
    Cancel();
    return AudioError::Timeout;
  }
  if (arrived_ == 0 && error_ != 0) return error_;
  if (arrived_ == 0) return AudioError::FileForm;  // an empty answer
  return AudioError::None;
}

int64_t NetworkSource::ContentLength() const {
  std::lock_guard lock(mutex_);
  return length_;
}

bool NetworkSource::IsPlaylist() const {
  std::lock_guard lock(mutex_);
  return playlist_;
}

bool NetworkSource::Seekable() const {
  std::lock_guard lock(mutex_);
  return whole_;
}

QByteArray NetworkSource::PlaylistText() {
  std::unique_lock lock(mutex_);
  cv_.wait_for(lock, std::chrono::milliseconds(kAnswerTimeoutMs),
               [&] { return finished_ || cancel_.load(); });
  return data_.left(static_cast<qsizetype>(arrived_));
}

int64_t NetworkSource::Arrived() const {
  std::lock_guard lock(mutex_);
  return arrived_;
}

bool NetworkSource::Finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

int NetworkSource::Read(uint8_t* buffer, int size) {
  std::unique_lock lock(mutex_);
  cv_.wait(lock, [&] { return readPos_ < arrived_ || finished_ || cancel_.load(); });
  if (cancel_.load()) return -1;
  if (readPos_ >= arrived_) return 0;
  int64_t n = std::min<int64_t>(size, arrived_ - readPos_);
  if (whole_) {
    std::memcpy(buffer, data_.constData() + readPos_, static_cast<size_t>(n));
  } else {
    const int64_t at = readPos_ % kRingBytes;
    n = std::min(n, kRingBytes - at);  // up to the ring's end; the next read takes the rest
    std::memcpy(buffer, data_.constData() + at, static_cast<size_t>(n));
  }
  readPos_ += n;
  cv_.notify_all();  // room for the download in ring mode
  return static_cast<int>(n);
}

int64_t NetworkSource::Seek(int64_t offset, int whence) {
  std::lock_guard lock(mutex_);
  if (whence & kSeekSize) return length_ >= 0 ? length_ : -1;
  if (!whole_) return -1;
  int64_t target = offset;
  switch (whence & ~kSeekForce) {
    case SEEK_SET:
      break;
    case SEEK_CUR:
      target = readPos_ + offset;
      break;
    case SEEK_END:
      if (length_ < 0) return -1;
      target = length_ + offset;
      break;
    default:
      return -1;
  }
  if (target < 0 || (length_ >= 0 && target > length_)) return -1;
  readPos_ = target;
  return target;
}

size_t NetworkSource::OnData(const char* data, size_t size, long status, int64_t length,
                             const char* type) {
  if (cancel_.load()) return 0;
  std::unique_lock lock(mutex_);
  if (!answered_) {
    if (status >= 400) {
      error_ = AudioError::FileOpen;
      return 0;  // an error page is not the file
    }
    length_ = length;
    playlist_ = LooksLikePlaylist(url_, QByteArrayView(data, static_cast<qsizetype>(size)), type);
    whole_ = playlist_ || (length_ >= 0 && length_ <= kMaxWholeBytes);
    if (playlist_) {
      data_.reserve(kMaxPlaylistBytes);
    } else if (whole_) {
      data_.reserve(static_cast<qsizetype>(length_));
    } else {
      data_.resize(kRingBytes);
    }
    answered_ = true;
    cv_.notify_all();
  }
  if (playlist_) {
    const int64_t take =
        std::min<int64_t>(static_cast<int64_t>(size), kMaxPlaylistBytes - arrived_);
    data_.append(data, static_cast<qsizetype>(take));
    arrived_ += take;
    cv_.notify_all();
    return take == static_cast<int64_t>(size) ? size : 0;
  }
  if (whole_) {
    data_.append(data, static_cast<qsizetype>(size));
    arrived_ += static_cast<int64_t>(size);
  } else {
    size_t done = 0;
    while (done < size) {
      cv_.wait(lock, [&] { return arrived_ - readPos_ < kRingBytes || cancel_.load(); });
      if (cancel_.load()) return 0;
      const int64_t at = arrived_ % kRingBytes;
      const int64_t room = std::min(kRingBytes - (arrived_ - readPos_), kRingBytes - at);
      const int64_t n = std::min<int64_t>(room, static_cast<int64_t>(size - done));
      std::memcpy(data_.data() + at, data + done, static_cast<size_t>(n));
      arrived_ += n;
      done += static_cast<size_t>(n);
      cv_.notify_all();
    }
  }
  cv_.notify_all();
  lock.unlock();
  if (onChunk_ && !cancel_.load()) onChunk_(data, static_cast<int>(size));
  return size;
}

// Each answer's headers come in, redirects' too; only the last answer's body is delivered.
void NetworkSource::OnHeader(QByteArrayView line) {
  if (line.startsWith("HTTP/") || line.startsWith("ICY ")) {
    metaInterval_ = 0;
    icy_.reset();
    return;
  }
  if (const int interval = IcyMetadataFilter::MetaIntervalOf(line)) metaInterval_ = interval;
  // The blank line ends the headers: the body that follows carries metadata or not.
  if (line.isEmpty() && metaInterval_ > 0 && onTitle_)
    icy_ = std::make_unique<IcyMetadataFilter>(metaInterval_);
}

size_t NetworkSource::OnBody(const char* data, size_t size, long status, int64_t length,
                             const char* type) {
  if (!icy_) return OnData(data, size, status, length, type);
  icyAudio_.clear();
  QStringList titles;
  icy_->Feed(QByteArrayView(data, static_cast<qsizetype>(size)), icyAudio_, titles);
  // The server's length, if it gave one, counts the metadata too: the audio's is unknown.
  if (!icyAudio_.isEmpty()) {
    const size_t audio = static_cast<size_t>(icyAudio_.size());
    if (OnData(icyAudio_.constData(), audio, status, -1, type) != audio) return 0;
  } else if (cancel_.load()) {
    return 0;
  }
  for (const QString& title : std::as_const(titles))
    if (!cancel_.load()) onTitle_(title);
  return size;
}

// The download thread's entry, on the player's one HTTP fetch; nothing escapes it.
void NetworkSource::Run() {
  pthread_setname_np(pthread_self(), "vireo-download");
  HttpResult result;
  try {
    HttpExchange ex;
    ex.url = url_;
    ex.userAgent = "Vireo/" VIREO_VERSION;
    ex.limits.connectTimeoutMs = kConnectTimeoutMs;
    ex.limits.totalTimeoutMs = 0;  // a station plays for hours
    ex.limits.maxAnswerBytes = 0;  // the ring bounds what is kept
    ex.limits.stallTimeoutS = kStallTimeoutS;
    ex.cancel = &cancel_;
    long status = 0;
    int64_t length = -1;
    QByteArray type;
    ex.onAnswer = [&](long s, qint64 l, const QByteArray& t) {
      status = s;
      length = l;
      type = t;
    };
    if (onTitle_) {
      // Stations send their song titles inside the stream when asked; older ones answer with a
      // status line of their own.
      ex.headers.append("Icy-MetaData: 1");
      ex.http200Aliases.append("ICY 200 OK");
      ex.onHeader = [this](QByteArrayView line) { OnHeader(line.trimmed()); };
    }
    result = HttpFetch(ex, [&](const char* data, qsizetype size, qint64) {
      const auto n = static_cast<size_t>(size);
      return OnBody(data, n, status, length, type.isEmpty() ? nullptr : type.constData()) == n;
    });
  } catch (...) {
    result.curlCode = -1;
  }
  const long status = result.status;
  const int code = result.curlCode;

  bool started = false;
  {
    std::lock_guard lock(mutex_);
    if (error_ == 0 && arrived_ == 0) {
      if (status >= 400) {
        error_ = AudioError::FileOpen;
      } else if (code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST) {
        error_ = AudioError::NoNet;
      } else if (code == CURLE_OPERATION_TIMEDOUT) {
        error_ = AudioError::Timeout;
      } else if (code != CURLE_OK) {
        error_ = AudioError::FileOpen;
      }
    }
    started = answered_ && !playlist_;
    finished_ = true;
    cv_.notify_all();
  }
  if (started && onChunk_ && !cancel_.load()) onChunk_(nullptr, 0);
}

}  // namespace vireo
