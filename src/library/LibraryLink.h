#pragma once

#include <QString>
#include <QStringList>

#include "playlist/TDDPlaylistItem.h"

namespace vireo {

// A library link: the word "vireo" (any case), three characters that are skipped (normally
// "://"), then fields separated by "|": the Base64 payload, and for "AL" and "PL" links the link
// id followed directly by the two command letters. "SH" links carry the search keyword as their
// payload, with the letters right after it.
//   vireo://<payload>SH           search for the keyword
//   vireo://<payload>|<id>AL      add the track
//   vireo://<payload>|<id>PL      add the track and play it
// The payload of a track link holds "address|title|artist".
class LibraryLink {
 public:
  // Decodes a link exactly as the library's add command reads it; never fails (a link that does
  // not decode gives empty or partial fields).
  static LibraryLink Parse(const QString& link);

  // "vireo" at the start: the command line and forwarded texts compare with case, the browser
  // without it.
  static bool IsLibraryLink(const QString& text, Qt::CaseSensitivity cs = Qt::CaseSensitive);
  // Browsers and launchers may end a link with "/"; one is removed before a link is used.
  static QString WithoutTrailingSlash(const QString& link);
  // The keyword of a search link: field 1 after the first 8 characters, decoded.
  static QString SearchText(const QString& link);
  // A ";"-separated list of links, in order. Empty pieces between two separators stay (as empty
  // texts); a trailing separator adds no piece; an empty text has none.
  static QStringList SplitList(const QString& text);

  // "PL", "AL" or "SH" when the link carries one of them, else the last two characters of the
  // id field, upper-cased (a command nothing acts on).
  QString command;
  // The id field without the command letters, trimmed; it goes to the service's hit counter.
  QString id;
  // The decoded payload, "address|title|artist" for a track.
  QString payload;

  bool IsPlay() const { return command == QLatin1String("PL"); }
  bool IsAdd() const { return command == QLatin1String("AL"); }
  bool IsSearch() const { return command == QLatin1String("SH"); }

  // The playlist entry the link stands for: a network track with the payload's address, title
  // and artist, the caption "title - artist", length 0.
  TDDPlaylistItem Entry() const;
};

}  // namespace vireo
