#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "lyrics/ILrcDown.h"
#include "lyrics/LrcLookupContext.h"

namespace vireo {

// The automatic lyric lookup of a track that starts playing: the file beside the track, else the
// best-named file of the lyric folder, else (online) the lyric component. The result reaches the
// UI thread by a queued call; a lyric fetched online is then saved in the lyric folder under the
// name of the entry current at that moment, so the next lookup of the track finds it on disk;
// when the service had nothing, an empty file is saved for the same reason. Afterwards, online,
// the lyric is reported to the service.
//
// Threading: Start on the UI thread; the body runs on a worker thread of its own, done and the
// currentEntry callback on the UI thread, never after the receiver is gone.
class TLrcTextThread {
 public:
  struct Track {
    QString filePath;  // path (or URL) of the track
    QString title;     // from its playlist entry
    QString singer;
    QString album;  // empty in this player
  };
  struct Result {
    QString text;             // the lyric, every line followed by CR LF; empty when none
    bool downloaded = false;  // the lyric service answered (whether or not it had a lyric)
    // The lyric file the text is kept in: the one read, or for a downloaded lyric the file of
    // the lyric folder it is saved as (set on the UI thread before done runs); empty: none.
    QString path;
    // The offset the user set for a file the player may not write (LyricOffsetTable); it wins
    // over the file's own [offset:].
    std::optional<qint32> storedOffset;
  };

  // The service path lyrics are reported to.
  static constexpr const char* kReportPath = "/mpost/lrcpost.asp";
  // The text reported in place of a lyric of this many bytes or fewer.
  static constexpr int kShortLyricBytes = 20;
  static constexpr const char* kNoLyricPlaceholder = "petrel_12345";

  // receiver is the owner of the lookup (the main window): without it, or once it is gone,
  // nothing is delivered and nothing is saved.
  static void Start(const Track& track, const LrcLookupContext& context, QObject* receiver,
                    std::function<void(const Result&)> done);

  // The body up to the result (no report, no saving), run on the calling thread.
  static Result Lookup(const Track& track, const LrcLookupContext& context);

  // The online search: mode 0, then mode 1 when that found nothing; the results that beat every
  // earlier score against "title singer" are tried from the best down, and the first non-blank
  // lyric wins. "" when the service has no lyric, nullopt when it could not be asked or a
  // download failed before any lyric was found.
  static std::optional<QString> SearchOnline(ILrcDown& lrcDown, const QString& title,
                                             const QString& singer, const QString& album);

  // "ltitle=...&lsinger=...&llrc=..." with the texts URL-encoded from their GB18030 bytes.
  static QByteArray ReportBody(const QString& title, const QString& singer, const QString& text);

  // Lyric workers of every kind still running, and a bounded wait for them at exit (true when
  // none is left). While someone waits, no worker waits for the UI thread.
  static int Running();
  static bool WaitForAll(int timeoutMs);
};

}  // namespace vireo
