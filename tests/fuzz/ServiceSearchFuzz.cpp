// The service's search answer (<petrel><song key= title= .../></petrel>): any bytes give songs
// with a key each, or no answer; an answer written out again the way the service writes it reads
// back as the same songs.
#include <QByteArray>

#include "FuzzTarget.h"
#include "FuzzXml.h"
#include "base/TextUtil.h"
#include "library/TServiceMusicProvider.h"

namespace {

bool Same(const vireo::TMusicSearchItem& a, const vireo::TMusicSearchItem& b) {
  return a.Key == b.Key && a.Title == b.Title && a.Singer == b.Singer && a.Album == b.Album &&
         a.SizeText == b.SizeText && a.Speed == b.Speed && a.Extra == b.Extra;
}

}  // namespace

VIREO_FUZZ_TARGET(service_search) {
  using vireo::fuzz::XmlAttribute;
  const QByteArray xml(reinterpret_cast<const char*>(data), qsizetype(size));
  const auto songs = vireo::TServiceMusicProvider::ParseSongs(xml);
  if (!songs) return 0;
  QString again = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<petrel total=\"") +
                  QString::number(songs->size()) + QStringLiteral("\">\n");
  for (const vireo::TMusicSearchItem& s : *songs) {
    FUZZ_CHECK(!vireo::IsBlank(s.Key));
    again += QStringLiteral("  <song key=\"") + XmlAttribute(s.Key) +
             QStringLiteral("\" title=\"") + XmlAttribute(s.Title) +
             QStringLiteral("\" singer=\"") + XmlAttribute(s.Singer) +
             QStringLiteral("\" album=\"") + XmlAttribute(s.Album) + QStringLiteral("\" size=\"") +
             XmlAttribute(s.SizeText) + QStringLiteral("\" speed=\"") + QString::number(s.Speed) +
             QStringLiteral("\" extra=\"") + QString::number(s.Extra) + QStringLiteral("\"/>\n");
  }
  again += QStringLiteral("</petrel>\n");
  const auto reread = vireo::TServiceMusicProvider::ParseSongs(again.toUtf8());
  FUZZ_CHECK(reread.has_value() && reread->size() == songs->size());
  for (qsizetype i = 0; reread && i < reread->size() && i < songs->size(); ++i)
    FUZZ_CHECK(Same((*reread)[i], (*songs)[i]));
  return 0;
}
