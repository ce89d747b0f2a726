// The Internet Archive's JSON answers: a search answer gives no more results than asked for,
// each keyed by an identifier that is safe in a request path and titled; a metadata answer names
// a file whose path, however the item names it, stays inside the item's download folder.
#include <QUrl>

#include "FuzzTarget.h"
#include "library/TArchiveMusicProvider.h"

namespace {

bool IsIdentifier(const QString& key) {
  if (key.isEmpty() || key.size() > 200 || key.startsWith(u'.')) return false;
  for (QChar c : key)
    if (!(c.isDigit() && c.unicode() < 0x80) &&
        !((c.unicode() | 0x20) >= u'a' && (c.unicode() | 0x20) <= u'z') && c != u'.' && c != u'-' &&
        c != u'_')
      return false;
  return true;
}

}  // namespace

VIREO_FUZZ_TARGET(archive) {
  using vireo::TArchiveMusicProvider;
  const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
  const int count = size > 0 ? 1 + data[0] % 40 : 30;

  if (const auto items = TArchiveMusicProvider::ParseSearchAnswer(body, count)) {
    FUZZ_CHECK(items->size() <= count);
    for (const vireo::TMusicSearchItem& item : *items) {
      FUZZ_CHECK(IsIdentifier(item.Key));
      FUZZ_CHECK(!item.Title.isEmpty());
      FUZZ_CHECK(item.SizeText.isEmpty() || item.SizeText.endsWith(u'B'));
    }
  }

  const QByteArray path = TArchiveMusicProvider::PlayablePath(body);
  if (!path.isEmpty()) {
    for (char c : path)
      FUZZ_CHECK((c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') ||
                 QByteArrayView("-._~%/").contains(c));
    for (const QByteArray& segment : path.split('/')) {
      const QByteArray name = QByteArray::fromPercentEncoding(segment);
      FUZZ_CHECK(!name.isEmpty() && name != "." && name != "..");
    }
    // What the player asks for, as any client or server normalises it.
    const QUrl folder(QStringLiteral("http://archive.example/download/item_1/"));
    const QUrl file = folder.resolved(QUrl(QString::fromLatin1(path), QUrl::StrictMode));
    FUZZ_CHECK(file.isValid() && file.host() == folder.host());
    FUZZ_CHECK(file.path(QUrl::FullyDecoded).startsWith(QStringLiteral("/download/item_1/")));
  }
  return 0;
}
