#include "skin/TSkinFileReader.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <QFile>
#include <climits>

#include "base/XmlDocument.h"
#include "base/XmlEntityGuard.h"

namespace vireo {
namespace {

struct State {
  TSkinFileReader::Result* result = nullptr;
};

// The read running on this thread; libxml2's callbacks find their state here.
thread_local State* current = nullptr;

QString Name(const xmlChar* prefix, const xmlChar* localname) {
  QString name = QString::fromUtf8(reinterpret_cast<const char*>(localname));
  if (prefix) name = QString::fromUtf8(reinterpret_cast<const char*>(prefix)) + u':' + name;
  return name;
}

// The parser calls this once the start tag's attributes are read, standing on its closing
// "/>" or ">": that is the only place that tells an empty-element tag from a start tag.
void Start(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar*, int,
           const xmlChar**, int attributeCount, int, const xmlChar** attributes) {
  auto* parser = static_cast<xmlParserCtxtPtr>(ctx);
  TSkinTag tag;
  tag.name = Name(prefix, localname);
  tag.line = parser->input ? parser->input->line : 0;
  const xmlChar* at = parser->input ? parser->input->cur : nullptr;
  const bool empty = at && at + 1 < parser->input->end && at[0] == '/' && at[1] == '>';
  tag.kind = empty ? TSkinTag::Kind::Empty : TSkinTag::Kind::Start;
  for (int i = 0; i < attributeCount; ++i) {
    const xmlChar** a = attributes + 5 * i;  // localname, prefix, URI, value, end
    tag.attributes.append(
        {Name(a[1], a[0]), QString::fromUtf8(reinterpret_cast<const char*>(a[3]), a[4] - a[3])});
  }
  current->result->tags.push_back(std::move(tag));
}

void End(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar*) {
  auto* parser = static_cast<xmlParserCtxtPtr>(ctx);
  TSkinTag& last = current->result->tags.emplace_back();
  last.kind = TSkinTag::Kind::End;
  last.name = Name(prefix, localname);
  last.line = parser->input ? parser->input->line : 0;
}


}  // namespace

TSkinFileReader::Result TSkinFileReader::Read(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return Result{};
  return ReadBytes(file.readAll());
}

TSkinFileReader::Result TSkinFileReader::ReadBytes(const QByteArray& bytes) {
  Result result;
  result.opened = true;
  const QByteArray data = XmlDocument::AsUtf8Document(bytes);
  if (data.isEmpty()) {
    result.complete = true;  // nothing in it, so no root either
    return result;
  }
  if (data.size() >= INT_MAX) {
    result.error = QStringLiteral("the file is too large");
    return result;
  }
  XmlDocument::QuietErrors();
  xmlParserCtxtPtr parser = xmlNewParserCtxt();
  if (!parser) {
    result.error = QStringLiteral("no memory for the parser");
    return result;
  }
  // Only tags matter: no tree, no text. Skins written by hand on Windows are not always
  // well-formed (a bare "&" in a hint); they are read on, as the old tag scanner did, and what
  // the parser recovers is what counts.
  xmlSAXHandler* sax = parser->sax;
  sax->startElementNs = &Start;
  sax->endElementNs = &End;
  sax->characters = nullptr;
  sax->cdataBlock = nullptr;
  sax->comment = nullptr;
  sax->processingInstruction = nullptr;
  sax->ignorableWhitespace = nullptr;
  XmlEntityGuard::Install(*sax);
  State state{&result};
  State* const previous = current;
  current = &state;
  xmlDocPtr doc =
      xmlCtxtReadMemory(parser, data.constData(), static_cast<int>(data.size()), nullptr, nullptr,
                        XML_PARSE_RECOVER | XML_PARSE_NONET | XML_PARSE_NOERROR |
                            XML_PARSE_NOWARNING | XML_PARSE_NOENT);
  current = previous;
  result.complete = true;
  if (!parser->wellFormed) {
    const xmlError* e = xmlCtxtGetLastError(parser);
    result.error = QStringLiteral("not well-formed at line %1: %2")
                       .arg(e ? e->line : 0)
                       .arg(e && e->message ? QString::fromUtf8(e->message).trimmed()
                                            : QStringLiteral("parse error"));
  }
  if (doc) xmlFreeDoc(doc);
  if (parser->myDoc && parser->myDoc != doc) xmlFreeDoc(parser->myDoc);
  parser->myDoc = nullptr;
  xmlFreeParserCtxt(parser);
  return result;
}

}  // namespace vireo
