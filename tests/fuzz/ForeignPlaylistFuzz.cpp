// Other players' playlists (M3U, M3U8, PLS, XSPF): any file gives entries that each lead
// somewhere (an address, or an absolute path), with a length that is unknown or positive, and
// that become playlist items without any harm.
#include <QRegularExpression>

#include "FuzzTarget.h"
#include "base/Gb18030.h"
#include "playlist/ForeignPlaylist.h"

namespace {

using vireo::ForeignPlaylist;

bool SameEntries(const QList<ForeignPlaylist::Entry>& a, const QList<ForeignPlaylist::Entry>& b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i)
    if (a[i].location != b[i].location || a[i].network != b[i].network ||
        a[i].title != b[i].title || a[i].artist != b[i].artist || a[i].album != b[i].album ||
        a[i].lengthMs != b[i].lengthMs)
      return false;
  return true;
}

void CheckEntries(const QList<ForeignPlaylist::Entry>& entries) {
  static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:/"));
  for (const ForeignPlaylist::Entry& e : entries) {
    FUZZ_CHECK(!e.location.isEmpty());
    FUZZ_CHECK(e.lengthMs == -1 || e.lengthMs > 0);
    if (e.network) {
      FUZZ_CHECK(e.location.contains(QStringLiteral("://")));
      FUZZ_CHECK(e.location.trimmed() == e.location);
    } else {
      // A local entry is a path of this machine, another machine's drive, or a file:// address
      // naming another host, kept as written.
      FUZZ_CHECK(e.location.startsWith(u'/') || drive.match(e.location).hasMatch() ||
                 e.location.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive));
    }
    const vireo::TDDPlaylistItem item = ForeignPlaylist::ToItem(e);
    FUZZ_CHECK(item.FileName == e.location && item.ISURL == e.network);
    FUZZ_CHECK(!item.Title.isEmpty());
    FUZZ_CHECK(item.LongTime >= 0 && item.LongTime < 25.0);  // days: an int of milliseconds
  }
}

}  // namespace

VIREO_FUZZ_TARGET(foreign_playlist) {
  using F = ForeignPlaylist::Format;
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString folder = QStringLiteral("/home/user/Music/lists");
  const QList<ForeignPlaylist::Entry> m3u = ForeignPlaylist::Parse(bytes, F::M3u, folder);
  CheckEntries(m3u);
  const QList<ForeignPlaylist::Entry> m3u8 = ForeignPlaylist::Parse(bytes, F::M3u8, folder);
  CheckEntries(m3u8);
  // The two differ only in the guess of the code page: for UTF-8 there is nothing to guess.
  if (vireo::IsValidUtf8(bytes)) FUZZ_CHECK(SameEntries(m3u, m3u8));
  CheckEntries(ForeignPlaylist::Parse(bytes, F::Pls, folder));
  CheckEntries(ForeignPlaylist::Parse(bytes, F::Xspf, folder));
  FUZZ_CHECK(ForeignPlaylist::Parse(bytes, F::None, folder).isEmpty());
  return 0;
}
