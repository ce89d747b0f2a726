#include "lyrics/TLrcTextThread.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <array>
#include <vector>

#include "base/Gb18030.h"
#include "base/SimilarityPercent.h"
#include "base/TextUtil.h"
#include "base/UrlCodec.h"
#include "lyrics/LyricFile.h"
#include "lyrics/LyricFolder.h"
#include "lyrics/LyricOffsetTable.h"
#include "lyrics/LyricWorkers.h"
#include "net/HttpClient.h"
#include "net/ServiceHost.h"

namespace vireo {

std::optional<QString> TLrcTextThread::SearchOnline(ILrcDown& lrcDown, const QString& title,
                                                    const QString& singer, const QString& album) {
  auto results = lrcDown.Find(title, singer, album, 0);
  if (!results) return std::nullopt;
  if (results->isEmpty()) {
    results = lrcDown.Find(title, singer, album, 1);
    if (!results) return std::nullopt;
  }
  if (results->isEmpty()) return QString();

  // Only a result that beats every earlier one is kept, at its score; a score of 0 never is.
  const QByteArray key = LyricFolder::LowerAscii(title + singer);
  std::array<qsizetype, 101> byScore;
  byScore.fill(-1);
  int best = 0;
  for (qsizetype i = 0; i < results->size(); ++i) {
    const LrcSearchItem& item = results->at(i);
    const int score = SimilarityPercent(LyricFolder::LowerAscii(item.Title + item.Singer), key);
    if (score > best) {
      best = score;
      byScore[score] = i;
    }
  }
  // Karaoke timing is worth having: a result as close to the track as the best one that comes
  // with word times is tried before it.
  std::vector<qsizetype> order;
  if (best > 0) {
    for (qsizetype i = 0; i < results->size(); ++i) {
      const LrcSearchItem& item = results->at(i);
      if (item.WordTiming &&
          SimilarityPercent(LyricFolder::LowerAscii(item.Title + item.Singer), key) == best) {
        order.push_back(i);
        break;
      }
    }
  }
  for (int k = best; k >= 0; --k)
    if (byScore[k] >= 0 && (order.empty() || byScore[k] != order.front()))
      order.push_back(byScore[k]);
  bool anyFailed = false;
  for (const qsizetype index : order) {
    const auto text = lrcDown.Download(results->at(index).Id);
    if (!text) {
      anyFailed = true;
      continue;
    }
    const QString lines = LyricFile::NormalizeLines(*text);
    if (!IsBlank(lines)) return lines;
  }
  // No lyric found. Only when every result tried has answered is that the service's last word:
  // a download that failed may have been the lyric, so the track must be asked for again.
  if (anyFailed) return std::nullopt;
  return QString();
}

TLrcTextThread::Result TLrcTextThread::Lookup(const Track& track, const LrcLookupContext& context) {
  Result result;
  const auto candidate = LyricFolder::FindCandidate(context.lyricFolder, track.title, track.singer);
  std::optional<QString> path = LyricFolder::FindSideFile(track.filePath);
  if (!path && candidate && QFileInfo(*candidate).isFile()) path = candidate;

  if (path) {
    // An unreadable file ends the lookup with nothing, as it would have with no file at all.
    result.text = LyricFile::Read(*path).value_or(QString());
    result.path = *path;
    if (!context.offsetTable.isEmpty())
      result.storedOffset = LyricOffsetTable::Lookup(context.offsetTable, *path);
  } else if (context.lrcDown) {
    const auto found = SearchOnline(*context.lrcDown, track.title, track.singer, track.album);
    if (found) {
      result.text = *found;
      result.downloaded = true;
    }
  }
  return result;
}

QByteArray TLrcTextThread::ReportBody(const QString& title, const QString& singer,
                                      const QString& text) {
  const QByteArray lrc = ToGb18030(text);
  const QByteArray encodedLrc = lrc.size() <= kShortLyricBytes
                                    ? URLEncode(QByteArrayView(kNoLyricPlaceholder))
                                    : URLEncode(lrc);
  return "ltitle=" + URLEncodeText(title) + "&lsinger=" + URLEncodeText(singer) +
         "&llrc=" + encodedLrc;
}

void TLrcTextThread::Start(const Track& track, const LrcLookupContext& context, QObject* receiver,
                           std::function<void(const Result&)> done) {
  QPointer<QObject> guard(receiver);
  LyricWorkers::Start([track, context, guard, done = std::move(done)] {
    Result result;
    bool failed = false;
    try {
      result = Lookup(track, context);
    } catch (...) {
      // Whatever went wrong, the player still gets an answer (nothing found).
      failed = true;
    }

    // The result goes to the player first, so a slow service never delays the lyric.
    LyricWorkers::Post(guard, [result, context, done]() mutable {
      QString name;
      const bool save = result.downloaded && context.currentEntry;
      if (save) {
        const LrcLookupContext::EntryNames entry = context.currentEntry();
        name = LyricFolder::SaveName(entry.title, entry.singer, LyricFolder::kAutoNameBytes);
        if (!context.lyricFolder.isEmpty()) result.path = QDir(context.lyricFolder).filePath(name);
      }
      if (done) done(result);
      if (save) LyricFolder::SaveInBackground(context.lyricFolder, name, result.text);
    });

    if (failed || !context.reportToService) return;
    const QByteArray url = ServiceHost::Url(kReportPath);
    if (!url.isEmpty()) HttpPost(url, ReportBody(track.title, track.singer, result.text));
  });
}

int TLrcTextThread::Running() {
  return LyricWorkers::Running();
}
bool TLrcTextThread::WaitForAll(int timeoutMs) {
  return LyricWorkers::WaitForAll(timeoutMs);
}

}  // namespace vireo
