#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "MusicCatalog.h"

namespace vireo::service {

// The texts the service answers with: library links, the start page, the random list and the
// search answer. baseUrl is "http://" + the host the player asked for.
class ServicePages {
 public:
  // "vireo://" + Base64(URL-encoded UTF-8 of "address|title|artist") + "|" + id: a library link
  // without its command. Appending "AL" adds the track, "PL" adds and plays it.
  static QByteArray TrackLink(const QByteArray& baseUrl, const Track& t);
  // "vireo://" + Base64(URL-encoded UTF-8 of the keyword) + "SH": a search in the player (the
  // padded Base64 keeps the letters out of the payload's last group).
  static QByteArray SearchLink(const QString& keyword);
  // "/music/" + the relative path, each segment percent-encoded.
  static QByteArray MusicPath(const QString& relPath);

  static constexpr int kPageSize = 100;
  // The start page: the tracks (all, or those matching the query) a page at a time, each with a
  // play and an add link, and a search form.
  static QByteArray IndexPage(const QByteArray& baseUrl, const QList<Track>& tracks,
                              const QString& query, int page, int total);
  // <petrel><rlist url="link"/>...</petrel>
  static QByteArray RandomList(const QByteArray& baseUrl, const QList<Track>& tracks);
  // <petrel total="n"><song key= title= singer= album= size= speed= extra="0"/>...</petrel>
  static QByteArray SearchAnswer(const QList<Track>& page, int total);

  static QString SizeText(qint64 bytes);
};

}  // namespace vireo::service
