#include "library/LibraryLink.h"

#include "base/TextUtil.h"
#include "library/LinkCodec.h"

namespace vireo {
namespace {

// The n-th "|" field (from 1); empty when there are fewer fields.
QString Field(const QString& text, int n) {
  return text.section(u'|', n - 1, n - 1);
}

}  // namespace

LibraryLink LibraryLink::Parse(const QString& link) {
  LibraryLink out;
  const QString p = link.mid(8);
  const QString f1 = Field(p, 1);
  QString f2 = Field(p, 2);
  out.command = f2.right(2).toUpper();
  if (out.command == QLatin1String("PL") || out.command == QLatin1String("AL") ||
      out.command == QLatin1String("SH"))
    f2.chop(2);
  out.payload = LinkCodec::DecodePayload(f1.toLatin1());
  out.id = TrimText(f2);
  return out;
}

bool LibraryLink::IsLibraryLink(const QString& text, Qt::CaseSensitivity cs) {
  return text.startsWith(QLatin1String("vireo"), cs);
}

QString LibraryLink::WithoutTrailingSlash(const QString& link) {
  return link.endsWith(u'/') ? link.chopped(1) : link;
}

QString LibraryLink::SearchText(const QString& link) {
  return LinkCodec::DecodePayload(Field(link.mid(8), 1).toLatin1());
}

QStringList LibraryLink::SplitList(const QString& text) {
  QStringList pieces = text.split(u';');
  if (pieces.last().isEmpty()) pieces.removeLast();
  return pieces;
}

TDDPlaylistItem LibraryLink::Entry() const {
  TDDPlaylistItem e;
  e.ISURL = true;
  e.FileName = Field(payload, 1);
  e.Title = Field(payload, 2);
  e.Artist = Field(payload, 3);
  e.Caption = e.Title + QStringLiteral(" - ") + e.Artist;
  e.LongTime = 0;
  return e;
}

}  // namespace vireo
