#include "base/XmlSectionReader.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <QFile>
#include <QFileInfo>
#include <climits>
#include <cstring>

#include "base/XmlDocument.h"
#include "base/XmlEntityGuard.h"

namespace vireo {
namespace {

struct State {
  QByteArray section;
  const std::function<void(const XmlSectionReader::Entry&)>* onEntry = nullptr;
  int depth = 0;
  bool sectionSeen = false;
  bool inSection = false;
};

// The read running on this thread; libxml2's callbacks find their state here.
thread_local State* current = nullptr;


}  // namespace

void XmlSectionReader::Start(void*, const xmlChar* localname, const xmlChar* prefix, const xmlChar*,
                             int, const xmlChar**, int attributeCount, int,
                             const xmlChar** attributes) {
  State* s = current;
  ++s->depth;
  if (s->depth == 2 && !s->sectionSeen && !prefix &&
      s->section == reinterpret_cast<const char*>(localname)) {
    s->sectionSeen = s->inSection = true;
  } else if (s->depth == 3 && s->inSection) {
    Entry entry;
    entry.attributes_ = attributes;
    entry.count_ = attributeCount;
    (*s->onEntry)(entry);
  }
}

void XmlSectionReader::End(void*, const xmlChar*, const xmlChar*, const xmlChar*) {
  State* s = current;
  if (s->depth == 2) s->inSection = false;
  --s->depth;
}

QByteArrayView XmlSectionReader::Entry::Value(const char* name) const {
  for (int i = 0; i < count_; ++i) {
    const unsigned char** a = attributes_ + 5 * i;  // localname, prefix, URI, value, end
    if (a[1] || std::strcmp(reinterpret_cast<const char*>(a[0]), name) != 0) continue;
    return QByteArrayView(reinterpret_cast<const char*>(a[3]), a[4] - a[3]);
  }
  return {};
}

XmlSectionReader::Result XmlSectionReader::Read(const QString& path, const QString& section,
                                                const std::function<void(const Entry&)>& onEntry) {
  if (path.isEmpty() || !QFileInfo::exists(path)) return Result::Missing;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return Result::Unreadable;
  const QByteArray data = file.readAll();
  if (file.error() != QFileDevice::NoError || data.isEmpty() || data.size() >= INT_MAX)
    return Result::Unreadable;

  XmlDocument::QuietErrors();
  xmlParserCtxtPtr parser = xmlNewParserCtxt();
  if (!parser) return Result::Unreadable;
  // Only elements matter: no tree is built, text and comments are skipped.
  xmlSAXHandler* sax = parser->sax;
  sax->startElementNs = &XmlSectionReader::Start;
  sax->endElementNs = &XmlSectionReader::End;
  sax->characters = nullptr;
  sax->cdataBlock = nullptr;
  sax->comment = nullptr;
  sax->processingInstruction = nullptr;
  sax->ignorableWhitespace = nullptr;
  XmlEntityGuard::Install(*sax);
  State state;
  state.section = section.toUtf8();
  state.onEntry = &onEntry;
  State* const previous = current;
  current = &state;
  xmlDocPtr doc = xmlCtxtReadMemory(parser, data.constData(), static_cast<int>(data.size()),
                                    nullptr, XmlDocument::ReadEncodingFor(data),
                                    // without a tree, references must be replaced in the values
                                    XmlDocument::ParseOptions() | XML_PARSE_NOENT);
  current = previous;
  const bool ok = parser->wellFormed && state.depth == 0;
  if (doc) xmlFreeDoc(doc);
  if (parser->myDoc && parser->myDoc != doc) xmlFreeDoc(parser->myDoc);
  parser->myDoc = nullptr;
  xmlFreeParserCtxt(parser);
  return ok ? Result::Read : Result::Unreadable;
}

}  // namespace vireo
