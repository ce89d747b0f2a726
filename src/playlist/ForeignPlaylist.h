#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "playlist/TDDPlaylistItem.h"

namespace vireo {

// Playlists written by other players: M3U and M3U8 (with #EXTINF titles and lengths), PLS
// (FileN, TitleN, LengthN) and XSPF (location, title, creator, album, duration). Relative paths
// are resolved against the playlist's own folder, file:// addresses become paths, and addresses
// of other schemes become network entries. M3U8 and XSPF are UTF-8; an M3U or PLS is UTF-8 when
// its bytes are valid UTF-8 (or it carries a byte-order mark) and GB18030 otherwise, since that
// is what Chinese Windows players write.
//
// Threading contract: pure functions of their arguments and the file; any thread.
class ForeignPlaylist {
 public:
  enum class Format { None, M3u, M3u8, Pls, Xspf };

  // One entry as the playlist gives it.
  struct Entry {
    QString location;  // absolute local path, or the address of a network entry
    bool network = false;
    QString title;  // empty when the playlist has none
    QString artist;
    QString album;
    int lengthMs = -1;  // -1 when the playlist does not say
  };

  // The format by the file's extension (compared without case); None for any other name.
  static Format FormatOf(const QString& path);
  static bool IsPlaylistFile(const QString& path) { return FormatOf(path) != Format::None; }
  // "*.m3u;*.m3u8;*.pls;*.xspf", to add to a filter entry or to test a dropped name against.
  static QString Patterns();
  // One more entry for the open dialog's filter, in the engine's filter form (caption, a bar,
  // the patterns): "播放列表|*.m3u;*.m3u8;*.pls;*.xspf".
  static QString FilterText();

  // Reads the file; nullopt when it cannot be read, is larger than any real playlist, or is not
  // one of the formats above. A readable playlist without entries gives an empty list.
  static std::optional<QList<Entry>> Read(const QString& path);
  // The entries of a playlist text; folder is where relative entries are looked for.
  static QList<Entry> Parse(const QByteArray& bytes, Format format, const QString& folder);

  // The file as playlist entries, ready to append. Network entries get the playlist's title
  // (an "Artist - Title" text split at its first " - "), artist, album and length. A local entry
  // starts from localEntry(path) when given (the main window passes its AddLocalEntry, which reads
  // the tags), else from the file name; the playlist's title, artist and album win where it has
  // them, its length where the tags have none. Caption is Title + " - " + Artist, as every adder
  // sets it. nullopt as for Read().
  using LocalEntryFn = std::function<TDDPlaylistItem(const QString& path)>;
  static std::optional<QList<TDDPlaylistItem>> ReadItems(const QString& path,
                                                         const LocalEntryFn& localEntry = {});
  static TDDPlaylistItem ToItem(const Entry& entry, const LocalEntryFn& localEntry = {});

  static constexpr qint64 kMaxFileBytes = 16 << 20;
};

}  // namespace vireo
