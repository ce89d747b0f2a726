#include "lyrics/TLrclibDown.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include "base/TextUtil.h"
#include "lyrics/TLyricHandle.h"
#include "net/BaseUrl.h"

namespace vireo {
namespace {

// The remembered lyric texts are dropped past this many, so a long session stays small.
constexpr qsizetype kMaxRememberedLyrics = 500;

QByteArray Encode(const QString& text) {
  return QUrl::toPercentEncoding(text);
}

std::optional<LrcSearchItem> ItemOf(const QJsonObject& record) {
  const QJsonValue id = record.value(QLatin1StringView("id"));
  if (!id.isDouble()) return std::nullopt;
  LrcSearchItem item;
  item.Id = id.toInteger();
  item.Title = record.value(QLatin1StringView("trackName")).toString();
  item.Singer = record.value(QLatin1StringView("artistName")).toString();
  item.Album = record.value(QLatin1StringView("albumName")).toString();
  return item;
}

// Synced lyrics when the record has them, else its plain lyrics, else "".
QString LyricsOf(const QJsonObject& record) {
  const QJsonValue synced = record.value(QLatin1StringView("syncedLyrics"));
  if (synced.isString() && !IsBlank(synced.toString())) return synced.toString();
  const QJsonValue plain = record.value(QLatin1StringView("plainLyrics"));
  if (plain.isString()) return plain.toString();
  return {};
}

}  // namespace

TLrclibDown::TLrclibDown(LrclibSettings settings)
    : base_(NormalizeBaseUrl(settings.baseUrl)), limits_(settings.limits) {}

QByteArray TLrclibDown::UserAgent() {
  return QByteArrayLiteral("Vireo/" VIREO_VERSION " (desktop music player for Linux)");
}

QByteArray TLrclibDown::NormalizeBaseUrl(const QString& baseUrl) {
  return BaseUrl::Normalize(baseUrl);
}

QByteArray TLrclibDown::SearchUrl(const QString& title, const QString& singer, const QString& album,
                                  int mode) const {
  const QString t = TrimText(title), s = TrimText(singer), a = TrimText(album);
  if (mode == 0) {
    // The service needs a track name for a search by fields.
    if (t.isEmpty()) return {};
    QByteArray url = base_ + "/api/search?track_name=" + Encode(t);
    if (!s.isEmpty()) url += "&artist_name=" + Encode(s);
    if (!a.isEmpty()) url += "&album_name=" + Encode(a);
    return url;
  }
  const QString q = TrimText(t + u' ' + s);
  if (q.isEmpty()) return {};
  return base_ + "/api/search?q=" + Encode(q);
}

std::optional<TLrclibDown::Answer> TLrclibDown::Get(const QByteArray& url) const {
  HttpExchange ex;
  ex.url = url;
  ex.userAgent = UserAgent();
  ex.headers = {QByteArrayLiteral("Accept: application/json")};
  ex.limits = limits_;
  const HttpResult r = HttpFetch(ex);
  if (!r.completed || r.truncated) return std::nullopt;
  return Answer{r.status, r.body};
}

void TLrclibDown::Remember(const QHash<qint64, QString>& lyrics) {
  if (lyrics_.size() + lyrics.size() > kMaxRememberedLyrics) lyrics_.clear();
  lyrics_.insert(lyrics);
}

std::optional<QList<LrcSearchItem>> TLrclibDown::Find(const QString& title, const QString& singer,
                                                      const QString& album, int mode) {
  const QByteArray url = SearchUrl(title, singer, album, mode);
  if (url.isEmpty()) return QList<LrcSearchItem>{};
  const auto answer = Get(url);
  if (!answer || answer->status != 200) return std::nullopt;
  std::optional<SearchAnswer> parsed = ParseSearchAnswer(answer->body);
  if (!parsed) return std::nullopt;
  std::lock_guard lock(mutex_);
  Remember(parsed->lyrics);
  return std::move(parsed->items);
}

std::optional<TLrclibDown::SearchAnswer> TLrclibDown::ParseSearchAnswer(const QByteArray& body) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
  if (error.error != QJsonParseError::NoError || !doc.isArray()) return std::nullopt;
  SearchAnswer out;
  for (const QJsonValue& v : doc.array()) {
    if (!v.isObject()) continue;
    const QJsonObject record = v.toObject();
    const auto item = ItemOf(record);
    if (!item) continue;
    LrcSearchItem marked = *item;
    const QString lyrics = LyricsOf(record);
    if (lyrics.contains(u'[')) {
      TLyricHandle timeline;
      timeline.Parse(lyrics);
      marked.WordTiming = timeline.HasWordTimes();
      timeline.Sort();
      timeline.GroupTranslations();
      marked.Translation = timeline.HasTranslations();
    }
    out.items.append(marked);
    out.lyrics.insert(item->Id, lyrics);
  }
  return out;
}

std::optional<QString> TLrclibDown::ParseRecordAnswer(const QByteArray& body) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
  return LyricsOf(doc.object());
}

void TLrclibDown::Reset() {
  std::lock_guard lock(mutex_);
  ++sequence_;
  items_.clear();
}

void TLrclibDown::Search(const QString& title, const QString& singer, const QString& album,
                         int mode) {
  quint64 mine;
  {
    std::lock_guard lock(mutex_);
    mine = ++sequence_;
  }
  const auto found = Find(title, singer, album, mode);
  std::lock_guard lock(mutex_);
  if (sequence_ != mine) return;
  // The second attempt, a free-text search, replaces the first one's results only with results
  // of its own: the search dialog always makes both, and a lyric the search by fields found must
  // stay listed when the free text finds nothing or its request fails.
  const bool keepFirst = mode == 1 && (!found || found->isEmpty());
  if (!keepFirst) items_ = found.value_or(QList<LrcSearchItem>{});
}

int TLrclibDown::Count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(items_.size());
}

std::optional<LrcSearchItem> TLrclibDown::GetItem(int index) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= items_.size()) return std::nullopt;
  return items_[index];
}

std::optional<QString> TLrclibDown::Download(qint64 id) {
  {
    std::lock_guard lock(mutex_);
    const auto it = lyrics_.constFind(id);
    if (it != lyrics_.constEnd()) return *it;
  }
  const auto answer = Get(base_ + "/api/get/" + QByteArray::number(id));
  if (!answer) return std::nullopt;
  if (answer->status == 404) return QString();  // the service knows no such record
  if (answer->status != 200) return std::nullopt;
  const std::optional<QString> text = ParseRecordAnswer(answer->body);
  if (!text) return std::nullopt;
  std::lock_guard lock(mutex_);
  Remember({{id, *text}});
  return text;
}

}  // namespace vireo
