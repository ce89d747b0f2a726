#include "library/TServiceMusicProvider.h"

#include <QUrl>
#include <QXmlStreamReader>

#include "base/TextUtil.h"

namespace vireo {

TServiceMusicProvider::TServiceMusicProvider(const QString& host, const HttpLimits& limits)
    : base_(QByteArrayLiteral("http://") + TrimText(host).toUtf8()), limits_(limits) {}

std::optional<QByteArray> TServiceMusicProvider::Get(const QByteArray& pathAndQuery) const {
  HttpExchange ex;
  ex.url = base_ + pathAndQuery;
  ex.userAgent = QByteArrayLiteral("Vireo/" VIREO_VERSION);
  ex.noCache = true;
  ex.limits = limits_;
  const HttpResult r = HttpFetch(ex);
  if (!r.completed || r.truncated || r.status != 200) return std::nullopt;
  return r.body;
}

std::optional<QList<TMusicSearchItem>> TServiceMusicProvider::ParseSongs(const QByteArray& xml) {
  QXmlStreamReader reader(xml);
  QList<TMusicSearchItem> items;
  bool sawRoot = false;
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement) continue;
    if (!sawRoot) {
      if (reader.name() != u"petrel") return std::nullopt;
      sawRoot = true;
      continue;
    }
    if (reader.name() != u"song") continue;
    const QXmlStreamAttributes a = reader.attributes();
    TMusicSearchItem item;
    item.Key = a.value(QStringLiteral("key")).toString();
    if (IsBlank(item.Key)) continue;
    item.Title = a.value(QStringLiteral("title")).toString();
    item.Singer = a.value(QStringLiteral("singer")).toString();
    item.Album = a.value(QStringLiteral("album")).toString();
    item.SizeText = a.value(QStringLiteral("size")).toString();
    item.Speed = a.value(QStringLiteral("speed")).toInt();
    item.Extra = a.value(QStringLiteral("extra")).toInt();
    items.append(item);
  }
  if (reader.hasError() || !sawRoot) return std::nullopt;
  return items;
}

std::optional<QList<TMusicSearchItem>> TServiceMusicProvider::Find(const QString& keyword,
                                                                   int offset, int count) const {
  const auto body = Get("/mpost/search.asp?key=" + QUrl::toPercentEncoding(keyword) + "&offset=" +
                        QByteArray::number(offset) + "&count=" + QByteArray::number(count));
  if (!body) return std::nullopt;
  auto items = ParseSongs(*body);
  if (items && items->size() > count) items->resize(count);
  return items;
}

QString TServiceMusicProvider::Resolve(const QString& key, qint32 extra) const {
  const auto body = Get("/mpost/musicurl.asp?key=" + QUrl::toPercentEncoding(key) +
                        "&extra=" + QByteArray::number(extra));
  if (!body) return {};
  const QString url = TrimText(QString::fromUtf8(*body));
  if (!url.startsWith(QLatin1StringView("http://")) &&
      !url.startsWith(QLatin1StringView("https://")))
    return {};
  return url;
}

}  // namespace vireo
