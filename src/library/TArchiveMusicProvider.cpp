#include "library/TArchiveMusicProvider.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QUrl>

#include "base/TextUtil.h"
#include "net/BaseUrl.h"

namespace vireo {
namespace {

QByteArray UserAgent() {
  return QByteArrayLiteral("Vireo/" VIREO_VERSION " (desktop music player for Linux)");
}

// A field that the archive gives as a text or as a list of texts.
QString TextOf(const QJsonValue& v) {
  if (v.isString()) return TrimText(v.toString());
  if (v.isArray()) {
    QStringList parts;
    for (const QJsonValue& e : v.toArray())
      if (e.isString() && !IsBlank(e.toString())) parts << TrimText(e.toString());
    return parts.join(QStringLiteral(", "));
  }
  if (v.isDouble()) return QString::number(v.toDouble());
  return {};
}

// A size the answer gives as a number or a text; 0 when unusable. A number beyond 64 bits
// (JSON allows 1e300) would not convert.
qint64 NumberOf(const QJsonValue& v) {
  if (v.isDouble()) {
    const double d = v.toDouble();
    return d > 0 && d < 9.0e18 ? static_cast<qint64>(d) : 0;
  }
  if (v.isString()) return v.toString().toLongLong();
  return 0;
}

// Identifiers are letters, digits, '.', '-' and '_'; anything else is not a key of ours and must
// not reach the request path.
bool IsIdentifier(const QString& key) {
  if (key.isEmpty() || key.size() > 200 || key.startsWith(u'.')) return false;
  for (QChar c : key) {
    const char16_t u = c.unicode();
    const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                    (u >= u'0' && u <= u'9') || u == u'.' || u == u'-' || u == u'_';
    if (!ok) return false;
  }
  return true;
}

// The search words with the query language's own characters taken out, so a typed text can
// never make the query invalid or reach other fields.
QString SearchWords(const QString& keyword) {
  QString words;
  for (QChar c : keyword) {
    static const QString kSpecial = QStringLiteral("+-&|!(){}[]^\"~*?:\\/");
    words += (kSpecial.contains(c) || c.unicode() < 0x20) ? QChar(u' ') : c;
  }
  return words.simplified();
}

bool IsMp3(const QJsonObject& file) {
  return file.value(QLatin1StringView("name"))
             .toString()
             .endsWith(QLatin1StringView(".mp3"), Qt::CaseInsensitive) ||
         file.value(QLatin1StringView("format")).toString().contains(QLatin1StringView("MP3"));
}

bool IsOgg(const QJsonObject& file) {
  return file.value(QLatin1StringView("name"))
             .toString()
             .endsWith(QLatin1StringView(".ogg"), Qt::CaseInsensitive) ||
         file.value(QLatin1StringView("format")).toString() == u"Ogg Vorbis";
}

// A file path within the item, each segment percent-encoded; empty for a path that climbs.
QByteArray EncodedPath(const QString& name) {
  QByteArray out;
  for (const QString& segment : name.split(u'/')) {
    if (segment.isEmpty() || segment == u"." || segment == u"..") return {};
    if (!out.isEmpty()) out += '/';
    out += QUrl::toPercentEncoding(segment);
  }
  return out;
}

}  // namespace

TArchiveMusicProvider::TArchiveMusicProvider(QByteArray baseUrl, const HttpLimits& limits)
    : base_(std::move(baseUrl)), limits_(limits) {}

QByteArray TArchiveMusicProvider::NormalizeBaseUrl(const QString& baseUrl) {
  return BaseUrl::Normalize(baseUrl);
}

QString TArchiveMusicProvider::SizeText(qint64 bytes) {
  if (bytes <= 0) return {};
  if (bytes < 1024) return QStringLiteral("%1 B").arg(bytes);
  if (bytes < 1024 * 1024) return QStringLiteral("%1 KB").arg(double(bytes) / 1024.0, 0, 'f', 1);
  if (bytes < qint64(1024) * 1024 * 1024)
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
  return QStringLiteral("%1 GB").arg(double(bytes) / (1024.0 * 1024.0 * 1024.0), 0, 'f', 1);
}

QByteArray TArchiveMusicProvider::SearchUrl(const QString& keyword, int offset, int count) const {
  const QString words = SearchWords(keyword);
  if (words.isEmpty() || count <= 0 || offset < 0) return {};
  const QString query = u'(' + words + QStringLiteral(") AND mediatype:(audio)");
  QByteArray url = base_ + "/advancedsearch.php?q=" + QUrl::toPercentEncoding(query);
  for (const char* field : {"identifier", "title", "creator", "album", "item_size"})
    url += QByteArrayLiteral("&fl%5B%5D=") + field;
  url += "&rows=" + QByteArray::number(count) + "&page=" + QByteArray::number(offset / count + 1) +
         "&output=json";
  return url;
}

std::optional<QByteArray> TArchiveMusicProvider::Get(const QByteArray& url) const {
  HttpExchange ex;
  ex.url = url;
  ex.userAgent = UserAgent();
  ex.headers = {QByteArrayLiteral("Accept: application/json")};
  ex.limits = limits_;
  const HttpResult r = HttpFetch(ex);
  if (!r.completed || r.truncated || r.status != 200) return std::nullopt;
  return r.body;
}

std::optional<QList<TMusicSearchItem>> TArchiveMusicProvider::Find(const QString& keyword,
                                                                   int offset, int count) const {
  const QByteArray url = SearchUrl(keyword, offset, count);
  if (url.isEmpty()) return QList<TMusicSearchItem>{};
  const auto body = Get(url);
  if (!body) return std::nullopt;
  return ParseSearchAnswer(*body, count);
}

std::optional<QList<TMusicSearchItem>> TArchiveMusicProvider::ParseSearchAnswer(
    const QByteArray& body, int count) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
  const QJsonValue docs =
      doc.object().value(QLatin1StringView("response")).toObject().value(QLatin1StringView("docs"));
  if (!docs.isArray()) return std::nullopt;

  QList<TMusicSearchItem> items;
  for (const QJsonValue& v : docs.toArray()) {
    const QJsonObject d = v.toObject();
    TMusicSearchItem item;
    item.Key = TextOf(d.value(QLatin1StringView("identifier")));
    if (!IsIdentifier(item.Key)) continue;
    item.Title = TextOf(d.value(QLatin1StringView("title")));
    if (item.Title.isEmpty()) item.Title = item.Key;
    item.Singer = TextOf(d.value(QLatin1StringView("creator")));
    item.Album = TextOf(d.value(QLatin1StringView("album")));
    item.SizeText = SizeText(NumberOf(d.value(QLatin1StringView("item_size"))));
    items.append(item);
    if (items.size() >= count) break;
  }
  return items;
}

QString TArchiveMusicProvider::Resolve(const QString& key, qint32) const {
  if (!IsIdentifier(key)) return {};
  const auto body = Get(base_ + "/metadata/" + key.toLatin1());
  if (!body) return {};
  const QByteArray path = PlayablePath(*body);
  if (path.isEmpty()) return {};
  return QString::fromLatin1(base_ + "/download/" + key.toLatin1() + '/' + path);
}

QByteArray TArchiveMusicProvider::PlayablePath(const QByteArray& metadata) {
  const QJsonDocument doc = QJsonDocument::fromJson(metadata);
  const QJsonArray files = doc.object().value(QLatin1StringView("files")).toArray();
  QString chosen;
  for (const auto& test : {IsMp3, IsOgg}) {
    for (const QJsonValue& v : files) {
      const QJsonObject f = v.toObject();
      if (test(f)) {
        chosen = f.value(QLatin1StringView("name")).toString();
        break;
      }
    }
    if (!chosen.isEmpty()) break;
  }
  return EncodedPath(chosen);
}

}  // namespace vireo
