#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace vireo {

// The folder of saved lyrics and the lyric file beside a track: how a lyric file is found for a
// track and the name a fetched lyric is saved under. Thread-safe (no shared state); every call
// touches the disk, so call it from a worker thread.
class LyricFolder {
 public:
  // A saved file belongs to a track when its name scores at least this much against
  // "title singer"; a file at the full score ends the search.
  static constexpr int kMatchScore = 96;
  // The automatic save keeps this many bytes of the name (GB18030, the lyric folders' measure).
  static constexpr int kAutoNameBytes = 100;

  // The "*.lrc" file of the folder whose name (without ".lrc", ASCII letters in lower case)
  // matches lower case "title singer" best: the last one scoring 96 to 99 in name order, unless
  // one scoring 100 comes first. nullopt when the folder is missing or nothing matches.
  static std::optional<QString> FindCandidate(const QString& folder, const QString& title,
                                              const QString& singer);

  // The track's path with its last four characters replaced by ".lrc" (song.mp3 gives song.lrc,
  // song.flac gives song..lrc); empty for a network track or an empty path.
  static QString SideFile(const QString& trackPath);

  // The side file as the lookup finds it: the name SideFile builds, else the one file beside the
  // track whose name differs from it in letter case only ("Song.LRC" for "Song.mp3", as lyric
  // files copied from case-blind file systems often are). nullopt when there is none.
  static std::optional<QString> FindSideFile(const QString& trackPath);

  // title + " " + singer without the nine characters file names cannot hold, cut to maxBytes
  // (at a character boundary; -1 for no cut), plus ".lrc".
  static QString SaveName(const QString& title, const QString& singer, int maxBytes);

  // Replaces folder/fileName atomically with the text (UTF-8). False, and nothing written, when
  // the folder does not exist or the file cannot be written.
  static bool Save(const QString& folder, const QString& fileName, const QString& text);

  // Save on a worker thread of its own; done(ok), when given, runs afterwards on the receiver's
  // thread and is skipped when the receiver is gone.
  static void SaveInBackground(const QString& folder, const QString& fileName, const QString& text,
                               QObject* receiver = nullptr, std::function<void(bool ok)> done = {});

  // The GB18030 bytes with their ASCII letters in lower case (FoldAsciiCase).
  static QByteArray LowerAscii(const QString& text);
};

}  // namespace vireo
