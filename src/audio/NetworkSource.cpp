#include "audio/NetworkSource.h"

#include <curl/curl.h>
#include <pthread.h>

#include "audio/AudioCodes.h"
#include "audio/IcyMetadataFilter.h"
extern "C" {
#include <libavformat/avio.h>
}

#include <algorithm>
#include <chrono>
#include <cstring>

namespace vireo {
namespace {

struct CurlContext {
  NetworkSource* self;
  CURL* curl;
};

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
  if (whence & AVSEEK_SIZE) return length_ >= 0 ? length_ : -1;
  if (!whole_) return -1;
  int64_t target = offset;
  switch (whence & ~AVSEEK_FORCE) {
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

void NetworkSource::Run() {
  pthread_setname_np(pthread_self(), "vireo-download");
  static const bool curlReady = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
  CURL* curl = curlReady ? curl_easy_init() : nullptr;
  if (!curl) {
    std::lock_guard lock(mutex_);
    error_ = AudioError::NoNet;
    finished_ = true;
    cv_.notify_all();
    return;
  }
  CurlContext ctx{this, curl};
  curl_easy_setopt(curl, CURLOPT_URL, url_.constData());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Vireo/" VIREO_VERSION);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(kConnectTimeoutMs));
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(kStallTimeoutS));
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &ctx);
  curl_easy_setopt(
      curl, CURLOPT_WRITEFUNCTION,
      +[](char* data, size_t size, size_t count, void* user) -> size_t {
        auto* c = static_cast<CurlContext*>(user);
        long status = 0;
        curl_easy_getinfo(c->curl, CURLINFO_RESPONSE_CODE, &status);
        curl_off_t length = -1;
        curl_easy_getinfo(c->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        const char* type = nullptr;
        curl_easy_getinfo(c->curl, CURLINFO_CONTENT_TYPE, &type);
        return c->self->OnBody(data, size * count, status, length, type);
      });
  curl_slist* headers = nullptr;
  curl_slist* aliases = nullptr;
  if (onTitle_) {
    headers = curl_slist_append(headers, "Icy-MetaData: 1");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    // Older stations answer with a status line of their own.
    aliases = curl_slist_append(aliases, "ICY 200 OK");
    curl_easy_setopt(curl, CURLOPT_HTTP200ALIASES, aliases);
  }
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(
      curl, CURLOPT_HEADERFUNCTION, +[](char* data, size_t size, size_t count, void* user) {
        static_cast<NetworkSource*>(user)->OnHeader(
            QByteArrayView(data, static_cast<qsizetype>(size * count)).trimmed());
        return size * count;
      });
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(
      curl, CURLOPT_XFERINFOFUNCTION,
      +[](void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) -> int {
        return static_cast<NetworkSource*>(user)->cancel_.load() ? 1 : 0;
      });
  const CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  curl_slist_free_all(headers);
  curl_slist_free_all(aliases);

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
