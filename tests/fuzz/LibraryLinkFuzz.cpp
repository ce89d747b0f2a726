// Library links (vireo://...): any text decodes without harm into a command the player knows
// how to ignore, and what the service writes (Base64 of URL-encoded UTF-8) reads back as written,
// whatever the text inside.
#include <QByteArray>
#include <QString>

#include "FuzzTarget.h"
#include "base/TextUtil.h"
#include "base/UrlCodec.h"
#include "library/LibraryLink.h"
#include "library/LinkCodec.h"

namespace {

using vireo::LibraryLink;
using vireo::LinkCodec;

// The payload as the service's pages write it.
QByteArray Payload(const QString& text) {
  return vireo::URLEncode(text.toUtf8()).toBase64();
}

}  // namespace

VIREO_FUZZ_TARGET(library_link) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString text = QString::fromUtf8(bytes);

  // Any link.
  const LibraryLink link = LibraryLink::Parse(text);
  FUZZ_CHECK(link.command.size() <= 2 && link.command == link.command.toUpper());
  FUZZ_CHECK(vireo::TrimText(link.id) == link.id);
  FUZZ_CHECK(link.Entry().ISURL);
  LibraryLink::SearchText(text);
  if (LibraryLink::IsLibraryLink(text)) FUZZ_CHECK(text.startsWith(QStringLiteral("vireo")));
  FUZZ_CHECK(LibraryLink::IsLibraryLink(text, Qt::CaseInsensitive) ==
             (text.left(5).compare(QStringLiteral("vireo"), Qt::CaseInsensitive) == 0));
  const QStringList pieces = LibraryLink::SplitList(text);
  FUZZ_CHECK(pieces.join(u';') == (text.endsWith(u';') ? text.chopped(1) : text));
  const QByteArray decoded = LinkCodec::Base64Decode(bytes);
  FUZZ_CHECK(decoded.size() <= bytes.size() / 4 * 3);

  // The text as a track's payload and as a search keyword, written the service's way.
  const QString id = QString::number(qHash(bytes) % 100000);
  for (const char* command : {"PL", "AL"}) {
    const LibraryLink track =
        LibraryLink::Parse(QStringLiteral("vireo://") + QString::fromLatin1(Payload(text)) + u'|' +
                           id + QLatin1StringView(command));
    FUZZ_CHECK(track.payload == text);
    FUZZ_CHECK(track.id == id);
    FUZZ_CHECK(track.command == QLatin1StringView(command));
    if (!text.contains(u'|')) FUZZ_CHECK(track.Entry().FileName == text);
  }
  FUZZ_CHECK(LibraryLink::SearchText(QStringLiteral("vireo://") +
                                     QString::fromLatin1(Payload(text)) + QStringLiteral("SH")) ==
             text);
  FUZZ_CHECK(LinkCodec::DecodePayload(Payload(text)) == text);
  return 0;
}
