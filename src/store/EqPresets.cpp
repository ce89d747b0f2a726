#include "store/EqPresets.h"

#include <libxml/tree.h>
#include <libxml/xmlreader.h>

#include <QFile>
#include <algorithm>
#include <climits>
#include <cstring>

#include "base/XmlDocument.h"

namespace vireo {
namespace {

// Attribute by its exact name; nullopt when missing.
std::optional<QByteArray> Attr(xmlNode* element, const char* name) {
  for (xmlAttr* a = element->properties; a; a = a->next) {
    if (std::strcmp(reinterpret_cast<const char*>(a->name), name) != 0) continue;
    xmlChar* v = xmlNodeListGetString(element->doc, a->children, 1);
    QByteArray bytes(v ? reinterpret_cast<const char*>(v) : "");
    xmlFree(v);
    return bytes;
  }
  return std::nullopt;
}

std::optional<int> ParseInt(const std::optional<QByteArray>& text) {
  if (!text) return std::nullopt;
  bool ok = false;
  const int v = text->trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return v;
}

std::optional<EqPreset> ReadPreset(xmlNode* element) {
  const std::optional<int> id = ParseInt(Attr(element, "id"));
  if (!id) return std::nullopt;
  EqPreset p;
  p.Id = *id;
  p.Name = QString::fromUtf8(Attr(element, "name").value_or(QByteArray()));
  for (int band = 0; band < 10; ++band) {
    const QByteArray q = "q" + QByteArray::number(band + 1);
    p.Gains[static_cast<size_t>(band)] =
        std::clamp(ParseInt(Attr(element, q.constData())).value_or(0), EqPresets::kMinGain,
                   EqPresets::kMaxGain);
  }
  return p;
}

}  // namespace

std::vector<EqPreset> EqPresets::Read(const QString& path) {
  std::vector<EqPreset> presets;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return presets;
  const QByteArray data = XmlDocument::AsUtf8Document(file.readAll());
  if (data.isEmpty() || data.size() >= INT_MAX) return presets;
  XmlDocument::QuietErrors();
  // Tag by tag, in document order: a file that breaks off still offers the presets before the
  // fault, and an element only counts once its tag is complete.
  xmlTextReaderPtr reader = xmlReaderForMemory(data.constData(), static_cast<int>(data.size()),
                                               nullptr, nullptr, XmlDocument::ParseOptions());
  if (!reader) return presets;
  while (xmlTextReaderRead(reader) == 1) {
    if (xmlTextReaderNodeType(reader) != XML_READER_TYPE_ELEMENT) continue;
    const xmlChar* name = xmlTextReaderConstName(reader);
    if (!name ||
        QByteArrayView(reinterpret_cast<const char*>(name)).compare("eq", Qt::CaseInsensitive) != 0)
      continue;
    // The element is complete once the reader stands on it; its attributes are all there.
    if (xmlNode* element = xmlTextReaderCurrentNode(reader))
      if (std::optional<EqPreset> p = ReadPreset(element)) presets.push_back(std::move(*p));
  }
  xmlFreeTextReader(reader);
  return presets;
}

std::optional<std::array<int, 10>> EqPresets::Lookup(const QString& path, int id) {
  return Find(Read(path), id);
}

std::optional<std::array<int, 10>> EqPresets::Find(const std::vector<EqPreset>& presets, int id) {
  std::optional<std::array<int, 10>> gains;
  for (const EqPreset& p : presets)
    if (p.Id == id) gains = p.Gains;
  return gains;
}

}  // namespace vireo
