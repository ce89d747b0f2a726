#pragma once

#include <QByteArray>
#include <QHash>
#include <mutex>

#include "lyrics/ILrcDown.h"
#include "lyrics/LrclibSettings.h"

namespace vireo {

// The lyric component over the public LRCLIB API (JSON over HTTP):
//   mode 0: GET <base>/api/search?track_name=<title>&artist_name=<singer>[&album_name=<album>]
//   mode 1: GET <base>/api/search?q=<title singer>
//   Download: the synced lyrics of the record, else its plain lyrics; taken from the records of
//   recent searches when they came with them, else from GET <base>/api/get/<id>.
// Every request names the player and its version in its User-Agent.
//
// Threading: see ILrcDown; any thread, concurrently. One mutex guards the result list, the
// remembered lyric texts and the search sequence number; it is never held across a request.
class TLrclibDown final : public ILrcDown {
 public:
  explicit TLrclibDown(LrclibSettings settings);

  void Reset() override;
  void Search(const QString& title, const QString& singer, const QString& album, int mode) override;
  int Count() const override;
  std::optional<LrcSearchItem> GetItem(int index) const override;
  std::optional<QString> Download(qint64 id) override;
  std::optional<QList<LrcSearchItem>> Find(const QString& title, const QString& singer,
                                           const QString& album, int mode) override;

  // "Vireo/<version> (...)".
  static QByteArray UserAgent();
  // The base URL as used: trimmed, without trailing slashes; empty when it is not an http or
  // https URL with a host (the component then cannot work).
  static QByteArray NormalizeBaseUrl(const QString& baseUrl);
  // The search request of a mode; empty when there is nothing to search for.
  QByteArray SearchUrl(const QString& title, const QString& singer, const QString& album,
                       int mode) const;

  // A search answer read: the records with an id, in order, and the lyrics each came with;
  // nullopt when the answer is not a JSON array.
  struct SearchAnswer {
    QList<LrcSearchItem> items;
    QHash<qint64, QString> lyrics;
  };
  static std::optional<SearchAnswer> ParseSearchAnswer(const QByteArray& body);
  // The lyrics of a record answer (GET /api/get/<id>); nullopt when it is not a JSON object.
  static std::optional<QString> ParseRecordAnswer(const QByteArray& body);

 private:
  struct Answer {
    long status = 0;
    QByteArray body;
  };
  std::optional<Answer> Get(const QByteArray& url) const;
  void Remember(const QHash<qint64, QString>& lyrics);

  const QByteArray base_;
  const HttpLimits limits_;

  mutable std::mutex mutex_;  // guards items_, lyrics_, sequence_
  QList<LrcSearchItem> items_;
  QHash<qint64, QString> lyrics_;
  quint64 sequence_ = 0;
};

}  // namespace vireo
