#pragma once

#include <QByteArray>
#include <QString>

#include "library/IMusicProvider.h"
#include "net/HttpClient.h"

namespace vireo {

// Songs from the service host's own catalogue (the reference service, vireo-service):
//   Find:    GET http://<host>/mpost/search.asp?key=<UTF-8, percent-encoded>&offset=<n>&count=<n>
//            answering <petrel total="..."><song key= title= singer= album= size= speed= extra=/>
//   Resolve: GET http://<host>/mpost/musicurl.asp?key=<key>&extra=<extra>, answering the
//            address as plain text.
// Thread-safe: see IMusicProvider.
class TServiceMusicProvider final : public IMusicProvider {
 public:
  TServiceMusicProvider(const QString& host, const HttpLimits& limits);

  std::optional<QList<TMusicSearchItem>> Find(const QString& keyword, int offset,
                                              int count) const override;
  QString Resolve(const QString& key, qint32 extra) const override;

  // The service's answer to a search, read; nullopt when it is not such an answer.
  static std::optional<QList<TMusicSearchItem>> ParseSongs(const QByteArray& xml);

 private:
  std::optional<QByteArray> Get(const QByteArray& pathAndQuery) const;

  const QByteArray base_;  // "http://" + host
  const HttpLimits limits_;
};

}  // namespace vireo
