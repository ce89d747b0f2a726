#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QUrl>
#include <QUrlQuery>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "LoopbackHttpServer.h"

namespace vireo::test {

// A record as the lyric service sends it; a lyric given as nullopt is JSON null.
inline QJsonObject LrclibRecord(qint64 id, const QString& track, const QString& artist,
                                const QString& album, std::optional<QString> synced,
                                std::optional<QString> plain) {
  auto orNull = [](const std::optional<QString>& s) { return s ? QJsonValue(*s) : QJsonValue(); };
  return QJsonObject{{u"id"_qs, id},
                     {u"trackName"_qs, track},
                     {u"artistName"_qs, artist},
                     {u"albumName"_qs, album},
                     {u"duration"_qs, 215.0},
                     {u"instrumental"_qs, !synced && !plain},
                     {u"plainLyrics"_qs, orNull(plain)},
                     {u"syncedLyrics"_qs, orNull(synced)}};
}

inline std::string Json(const QJsonArray& a) {
  return QJsonDocument(a).toJson(QJsonDocument::Compact).toStdString();
}
inline std::string Json(const QJsonObject& o) {
  return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

// The path and the decoded query of a request target.
inline std::pair<QString, QUrlQuery> Target(const LoopbackHttpServer::Request& r) {
  const QUrl url(QString::fromStdString("http://h" + r.target));
  return {url.path(), QUrlQuery(url.query(QUrl::FullyEncoded))};
}

inline QString Param(const QUrlQuery& q, const char* name) {
  return q.queryItemValue(QLatin1StringView(name), QUrl::FullyDecoded);
}

// A lyric service on 127.0.0.1 answering through a function of the request.
class FakeLrclib {
 public:
  using Respond = std::function<std::pair<int, std::string>(const QString& path, const QUrlQuery&)>;
  explicit FakeLrclib(Respond respond)
      : server_([respond = std::move(respond)](const LoopbackHttpServer::Request& r,
                                               LoopbackHttpServer::Connection& c) {
          const auto [path, query] = Target(r);
          const auto [status, body] = respond(path, query);
          c.Write(
              LoopbackHttpServer::Response(status, body, {{"Content-Type", "application/json"}}));
        }) {}
  QString BaseUrl() const { return QString::fromStdString(server_.Url("")); }
  LoopbackHttpServer& Server() { return server_; }

 private:
  LoopbackHttpServer server_;
};

}  // namespace vireo::test
