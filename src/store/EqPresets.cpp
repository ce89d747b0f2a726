#include "store/EqPresets.h"

#include "store/XmlDocument.h"

#include <QFile>

#include <libxml/xmlreader.h>

#include <algorithm>
#include <climits>

namespace vireo {
namespace {

std::optional<int> ParseInt(const xmlChar* text) {
  if (!text) return std::nullopt;
  bool ok = false;
  const int v = QByteArrayView(reinterpret_cast<const char*>(text)).trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return v;
}

void IgnoreErrors(void*, const xmlError*) {}

}  // namespace

std::vector<EqPreset> EqPresets::Read(const QString& path) {
  std::vector<EqPreset> presets;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return presets;
  const QByteArray data = file.readAll();
  if (data.isEmpty() || data.size() >= INT_MAX) return presets;
  XmlDocument init;  // makes sure libxml2 is set up
  xmlTextReaderPtr reader =
      xmlReaderForMemory(data.constData(), static_cast<int>(data.size()), nullptr,
                         XmlDocument::ReadEncodingFor(data), XmlDocument::ParseOptions());
  if (!reader) return presets;
  xmlTextReaderSetStructuredErrorHandler(
      reader, reinterpret_cast<xmlStructuredErrorFunc>(&IgnoreErrors), nullptr);
  while (xmlTextReaderRead(reader) == 1) {
    if (xmlTextReaderNodeType(reader) != XML_READER_TYPE_ELEMENT) continue;
    const xmlChar* name = xmlTextReaderConstName(reader);
    if (!name || QByteArrayView(reinterpret_cast<const char*>(name)).compare(
                     "eq", Qt::CaseInsensitive) != 0)
      continue;
    auto attr = [reader](const char* attrName) {
      return xmlTextReaderGetAttribute(reader, reinterpret_cast<const xmlChar*>(attrName));
    };
    xmlChar* idText = attr("id");
    const std::optional<int> id = ParseInt(idText);
    xmlFree(idText);
    if (!id) continue;
    EqPreset p;
    p.Id = *id;
    if (xmlChar* n = attr("name")) {
      p.Name = QString::fromUtf8(reinterpret_cast<const char*>(n));
      xmlFree(n);
    }
    for (int band = 0; band < 10; ++band) {
      const QByteArray q = "q" + QByteArray::number(band + 1);
      xmlChar* g = attr(q.constData());
      p.Gains[static_cast<size_t>(band)] = std::clamp(ParseInt(g).value_or(0), kMinGain, kMaxGain);
      xmlFree(g);
    }
    presets.push_back(std::move(p));
  }
  xmlFreeTextReader(reader);
  return presets;
}

std::optional<std::array<int, 10>> EqPresets::Lookup(const QString& path, int id) {
  std::optional<std::array<int, 10>> gains;
  for (const EqPreset& p : Read(path))
    if (p.Id == id) gains = p.Gains;
  return gains;
}

}  // namespace vireo
