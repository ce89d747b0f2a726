// Network playlist texts (.pls, .m3u): any text gives one address or nothing, on one line.
#include "FuzzTarget.h"
#include "audio/PlaylistLink.h"

VIREO_FUZZ_TARGET(playlist_link) {
  const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
  const QByteArray entry =
      vireo::PlaylistLink::FirstEntry(text, QByteArrayLiteral("http://radio.example/lists/a.pls"));
  FUZZ_CHECK(!entry.contains('\n'));
  const QByteArray relative = vireo::PlaylistLink::FirstEntry(text, QByteArray());
  FUZZ_CHECK(!relative.contains('\n'));
  return 0;
}
