// The lyric service's JSON answers: any bytes give results with the lyrics of each, or no
// answer; results written out again as the service writes records read back the same, and a
// record answer gives its lyrics back the same way.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "FuzzTarget.h"
#include "lyrics/TLrclibDown.h"

VIREO_FUZZ_TARGET(lrclib) {
  using vireo::TLrclibDown;
  const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));

  if (const auto answer = TLrclibDown::ParseSearchAnswer(body)) {
    FUZZ_CHECK(answer->lyrics.size() <= answer->items.size());
    QJsonArray records;
    for (const vireo::LrcSearchItem& item : answer->items) {
      FUZZ_CHECK(answer->lyrics.contains(item.Id));
      records.append(QJsonObject{{QStringLiteral("id"), item.Id},
                                 {QStringLiteral("trackName"), item.Title},
                                 {QStringLiteral("artistName"), item.Singer},
                                 {QStringLiteral("albumName"), item.Album},
                                 {QStringLiteral("duration"), 215.0},
                                 {QStringLiteral("plainLyrics"), answer->lyrics.value(item.Id)},
                                 {QStringLiteral("syncedLyrics"), QJsonValue()}});
    }
    const auto again = TLrclibDown::ParseSearchAnswer(QJsonDocument(records).toJson());
    FUZZ_CHECK(again.has_value());
    if (again) {
      FUZZ_CHECK(again->items == answer->items);
      FUZZ_CHECK(again->lyrics == answer->lyrics);
    }
  }

  if (const auto lyrics = TLrclibDown::ParseRecordAnswer(body)) {
    const QJsonObject record{{QStringLiteral("id"), 1}, {QStringLiteral("plainLyrics"), *lyrics}};
    FUZZ_CHECK(TLrclibDown::ParseRecordAnswer(QJsonDocument(record).toJson()) == *lyrics);
  }
  return 0;
}
