#include "app/mainwindow/LocalEntry.h"

#include "base/TextUtil.h"

namespace vireo {

TDDPlaylistItem LocalEntry::FromTags(const QString& path, const TTags& tags) {
  TDDPlaylistItem e;
  e.FileName = path;
  e.LongTime = tags.Length;
  e.ISURL = false;
  e.Title = IsBlank(tags.Title) ? FileTitle(path) : tags.Title;
  e.Artist = tags.Artist;
  e.Caption = e.Title + QStringLiteral(" - ") + e.Artist;
  return e;
}

}  // namespace vireo
