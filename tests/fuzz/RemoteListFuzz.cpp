// The service's track lists (random listening, web playlists): any bytes give add links only, no
// more than the document has tags, and the links of a list written out again the way the service
// writes it are read back unchanged.
#include <QByteArray>
#include <QStringList>

#include "FuzzTarget.h"
#include "FuzzXml.h"
#include "library/RemoteList.h"

VIREO_FUZZ_TARGET(remote_list) {
  const QByteArrayView xml(reinterpret_cast<const char*>(data), qsizetype(size));
  const QStringList links = vireo::RemoteList::Links(xml);
  FUZZ_CHECK(links.size() <= xml.count('<'));
  QString again = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<petrel>\n");
  for (const QString& link : links) {
    FUZZ_CHECK(link.endsWith(QStringLiteral("AL")));
    again += QStringLiteral("  <rlist url=\"") + vireo::fuzz::XmlAttribute(link.chopped(2)) +
             QStringLiteral("\" title=\"t\" singer=\"s\"/>\n");
  }
  again += QStringLiteral("</petrel>\n");
  FUZZ_CHECK(vireo::RemoteList::Links(again.toUtf8()) == links);
  return 0;
}
