#pragma once

#include <QByteArray>

#include "library/IMusicProvider.h"
#include "net/HttpClient.h"

namespace vireo {

// Songs from the Internet Archive's public API (JSON over HTTP):
//   Find:    GET <base>/advancedsearch.php?q=(<words>) AND mediatype:(audio)
//            &fl[]=identifier,title,creator,album,item_size&rows=30&page=<offset/30 +
//            1>&output=json One result per archive item; its identifier is the key.
//   Resolve: GET <base>/metadata/<identifier>, then the item's first MP3 file (else its first Ogg
//            Vorbis file) as <base>/download/<identifier>/<file>.
// Every request names the player and its version in its User-Agent. Thread-safe: see
// IMusicProvider.
class TArchiveMusicProvider final : public IMusicProvider {
 public:
  TArchiveMusicProvider(QByteArray baseUrl, const HttpLimits& limits);

  std::optional<QList<TMusicSearchItem>> Find(const QString& keyword, int offset,
                                              int count) const override;
  QString Resolve(const QString& key, qint32 extra) const override;

  // The base URL as used: trimmed, without trailing slashes; empty when it is not an http or
  // https URL with a host.
  static QByteArray NormalizeBaseUrl(const QString& baseUrl);
  // The search request for a page; empty when the keyword leaves nothing to search for.
  QByteArray SearchUrl(const QString& keyword, int offset, int count) const;
  // "3.2 MB" and the like, from a size in bytes; empty for 0 or less.
  static QString SizeText(qint64 bytes);

  // A search answer read: the results with a usable identifier, count at most; nullopt when it
  // is not a search answer.
  static std::optional<QList<TMusicSearchItem>> ParseSearchAnswer(const QByteArray& body,
                                                                  int count);
  // The file of an item's metadata answer to play, as a percent-encoded path within the item;
  // empty when it names none that plays or its name would climb out of the item.
  static QByteArray PlayablePath(const QByteArray& metadata);

 private:
  std::optional<QByteArray> Get(const QByteArray& url) const;

  const QByteArray base_;
  const HttpLimits limits_;
};

}  // namespace vireo
