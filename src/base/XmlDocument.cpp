#include "base/XmlDocument.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <climits>
#include <cstring>
#include <mutex>

#include "base/AtomicFileWriter.h"
#include "base/Gb18030.h"
#include "base/XmlEntryWriter.h"

namespace vireo {
namespace {

const xmlChar* X(const char* s) {
  return reinterpret_cast<const xmlChar*>(s);
}
const char* C(const xmlChar* s) {
  return reinterpret_cast<const char*>(s);
}

void IgnoreGeneric(void*, const char*, ...) {}
void IgnoreStructured(void*, xmlErrorPtr) {}

void InitLibxml() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

// Where the encoding name of the XML declaration stands: {start, length}, or {-1, 0}.
std::pair<qsizetype, qsizetype> EncodingSpan(QByteArrayView data) {
  const std::pair<qsizetype, qsizetype> none{-1, 0};
  if (!data.startsWith("<?xml")) return none;
  const QByteArrayView head = data.first(std::min<qsizetype>(data.size(), 512));
  const qsizetype end = head.indexOf("?>");
  if (end < 0) return none;
  const QByteArrayView decl = head.first(end);
  const qsizetype at = decl.indexOf("encoding");
  if (at < 0) return none;
  qsizetype i = at + 8;
  while (i < decl.size() && (decl[i] == ' ' || decl[i] == '\t' || decl[i] == '\r' ||
                             decl[i] == '\n' || decl[i] == '='))
    ++i;
  if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return none;
  const qsizetype close = decl.indexOf(decl[i], i + 1);
  if (close < 0) return none;
  return {i + 1, close - i - 1};
}

QByteArray DeclaredEncoding(QByteArrayView data) {
  const auto [at, size] = EncodingSpan(data);
  return at < 0 ? QByteArray() : data.sliced(at, size).toByteArray().toLower();
}

}  // namespace

XmlDocument::XmlDocument() {
  InitLibxml();
}

void XmlDocument::QuietErrors() {
  InitLibxml();
  xmlSetGenericErrorFunc(nullptr, &IgnoreGeneric);
  xmlSetStructuredErrorFunc(nullptr, &IgnoreStructured);
}

XmlDocument::~XmlDocument() {
  if (doc_) xmlFreeDoc(doc_);
}

int XmlDocument::ParseOptions() {
  // Blank text between elements is dropped so that the output is indented afresh; nothing is
  // fetched from the network and parse errors are not printed.
  return XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
}

const char* XmlDocument::ReadEncodingFor(QByteArrayView data) {
  if (data.startsWith("\xEF\xBB\xBF") || data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF"))
    return nullptr;
  const QByteArray declared = DeclaredEncoding(data);
  if (declared.isEmpty()) return IsValidUtf8(data) ? nullptr : "GB18030";
  static const char* const gbNames[] = {"gb2312",   "gbk",       "gb18030", "cp936",
                                        "ms936",    "x-gbk",     "euc-cn",  "windows-936",
                                        "csgb2312", "gb_2312-80"};
  for (const char* name : gbNames)
    if (declared == name) return "GB18030";
  return nullptr;
}

QByteArray XmlDocument::AsUtf8Document(const QByteArray& data) {
  if (!ReadEncodingFor(data)) return data;
  QByteArray utf8 = FromGb18030(data).toUtf8();
  const auto [at, size] = EncodingSpan(utf8);  // the declaration is ASCII: same place
  if (at >= 0) utf8.replace(at, size, "UTF-8");
  return utf8;
}

namespace {

// Parsing that leaves out one section's contents: the tree builder's callbacks are wrapped and
// not called for anything inside the section.
struct SkipState {
  QByteArray section;
  int depth = 0;
  bool seen = false;
  bool inSection = false;
  xmlSAXHandler inner;
};
thread_local SkipState* skipping = nullptr;

bool Skipped() {
  return skipping->inSection && skipping->depth >= 2;
}

void SkipStart(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri,
               int nsCount, const xmlChar** ns, int attrCount, int defaulted,
               const xmlChar** attrs) {
  SkipState* s = skipping;
  ++s->depth;
  if (Skipped() && s->depth > 2) return;
  if (s->depth == 2 && !s->seen && !prefix && s->section == C(localname))
    s->seen = s->inSection = true;
  s->inner.startElementNs(ctx, localname, prefix, uri, nsCount, ns, attrCount, defaulted, attrs);
}

void SkipEnd(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri) {
  SkipState* s = skipping;
  const bool inside = Skipped() && s->depth > 2;
  if (!inside && s->depth == 2) s->inSection = false;
  --s->depth;
  if (!inside) s->inner.endElementNs(ctx, localname, prefix, uri);
}

void SkipCharacters(void* ctx, const xmlChar* ch, int len) {
  if (!Skipped() && skipping->inner.characters) skipping->inner.characters(ctx, ch, len);
}
void SkipCdata(void* ctx, const xmlChar* ch, int len) {
  if (!Skipped() && skipping->inner.cdataBlock) skipping->inner.cdataBlock(ctx, ch, len);
}
void SkipComment(void* ctx, const xmlChar* text) {
  if (!Skipped() && skipping->inner.comment) skipping->inner.comment(ctx, text);
}
void SkipPi(void* ctx, const xmlChar* target, const xmlChar* data) {
  if (!Skipped() && skipping->inner.processingInstruction)
    skipping->inner.processingInstruction(ctx, target, data);
}
void SkipReference(void* ctx, const xmlChar* name) {
  if (!Skipped() && skipping->inner.reference) skipping->inner.reference(ctx, name);
}

xmlDocPtr ParseSkipping(const QByteArray& data, const char* encoding, int options,
                        const QByteArray& section) {
  xmlParserCtxtPtr parser = xmlNewParserCtxt();
  if (!parser) return nullptr;
  SkipState state;
  state.section = section;
  state.inner = *parser->sax;
  xmlSAXHandler* sax = parser->sax;
  sax->startElementNs = &SkipStart;
  sax->endElementNs = &SkipEnd;
  sax->characters = &SkipCharacters;
  sax->cdataBlock = &SkipCdata;
  sax->comment = &SkipComment;
  sax->processingInstruction = &SkipPi;
  sax->reference = &SkipReference;
  SkipState* const previous = skipping;
  skipping = &state;
  xmlDocPtr doc = xmlCtxtReadMemory(parser, data.constData(), static_cast<int>(data.size()),
                                    nullptr, encoding, options);
  skipping = previous;
  xmlFreeParserCtxt(parser);
  return doc;
}

}  // namespace

XmlDocument::LoadResult XmlDocument::Open(const QString& path, const QString& rootName,
                                          const QString& skipSection) {
  if (doc_) {
    xmlFreeDoc(doc_);
    doc_ = nullptr;
  }
  openedPath_ = path;
  opened_ = LoadResult::Missing;
  const QFileInfo info(path);
  if (!path.isEmpty() && info.exists()) {
    opened_ = LoadResult::Unreadable;
    QFile file(path);
    if (info.isFile() && file.open(QIODevice::ReadOnly)) {
      const QByteArray data = file.readAll();
      if (file.error() == QFileDevice::NoError && data.size() < INT_MAX) {
        QuietErrors();
        doc_ =
            skipSection.isEmpty()
                ? xmlReadMemory(data.constData(), static_cast<int>(data.size()), nullptr,
                                ReadEncodingFor(data), ParseOptions())
                : ParseSkipping(data, ReadEncodingFor(data), ParseOptions(), skipSection.toUtf8());
        if (doc_ && !xmlDocGetRootElement(doc_)) {
          xmlFreeDoc(doc_);
          doc_ = nullptr;
        }
        if (doc_) opened_ = LoadResult::Loaded;
      }
    }
  }
  if (!doc_) {
    doc_ = xmlNewDoc(X("1.0"));
    QByteArray name = rootName.toUtf8();
    if (!ValidName(name)) name = "root";
    xmlDocSetRootElement(doc_, xmlNewDocNode(doc_, nullptr, X(name.constData()), nullptr));
  }
  return opened_;
}

XmlNode* XmlDocument::Root() const {
  return doc_ ? xmlDocGetRootElement(doc_) : nullptr;
}

namespace {

bool NameFits(XmlEntryWriter& w, const xmlChar* name) {
  return !name || w.Fits(C(name));
}

bool NsFits(XmlEntryWriter& w, const xmlNs* ns) {
  for (; ns; ns = ns->next)
    if (!NameFits(w, ns->prefix)) return false;
  return true;
}

// Every piece of markup below node (its siblings included) fits GB2312.
bool MarkupFits(XmlEntryWriter& w, xmlNode* node, int depth) {
  // Deeper than any file of ours; such a tree is written as UTF-8 rather than walked further.
  if (depth > 256) return false;
  for (xmlNode* n = node; n; n = n->next) {
    switch (n->type) {
      case XML_ELEMENT_NODE:
        if (!NameFits(w, n->name) || !NsFits(w, n->nsDef) || (n->ns && !NameFits(w, n->ns->prefix)))
          return false;
        for (xmlAttr* a = n->properties; a; a = a->next) {
          if (!NameFits(w, a->name) || (a->ns && !NameFits(w, a->ns->prefix))) return false;
          for (xmlNode* v = a->children; v; v = v->next)
            if (v->type == XML_ENTITY_REF_NODE && !NameFits(w, v->name)) return false;
        }
        if (!MarkupFits(w, n->children, depth + 1)) return false;
        break;
      case XML_ENTITY_REF_NODE:
        if (!NameFits(w, n->name)) return false;
        break;
      case XML_COMMENT_NODE:
      case XML_CDATA_SECTION_NODE:
        if (!NameFits(w, n->content)) return false;
        break;
      case XML_PI_NODE:
        if (!NameFits(w, n->name) || !NameFits(w, n->content)) return false;
        break;
      case XML_DTD_NODE: {
        xmlBufferPtr buffer = xmlBufferCreate();
        if (!buffer) return false;
        xmlNodeDump(buffer, n->doc, n, 0, 0);
        const bool fits =
            w.Fits(QByteArrayView(C(xmlBufferContent(buffer)), xmlBufferLength(buffer)));
        xmlBufferFree(buffer);
        if (!fits) return false;
        break;
      }
      default:
        break;
    }
  }
  return true;
}

}  // namespace

bool XmlDocument::MarkupFitsGb2312(QByteArrayView extraName) const {
  XmlEntryWriter writer;
  return doc_ && writer.Fits(extraName) && MarkupFits(writer, doc_->children, 0);
}

QByteArray XmlDocument::Serialize() const {
  if (!doc_) return {};
  if (!MarkupFitsGb2312()) {
    // No reference can stand in a name: the whole file goes out as UTF-8, declared so.
    xmlChar* out = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc_, &out, &size, "UTF-8", 1);
    QByteArray bytes(C(out), size);
    xmlFree(out);
    return bytes;
  }
  // Laid out by libxml2 in UTF-8, then encoded here: the system's GB2312 converter alone would
  // write a few characters as bytes that read back as others.
  xmlChar* out = nullptr;
  int size = 0;
  xmlDocDumpFormatMemoryEnc(doc_, &out, &size, "UTF-8", 1);
  const QByteArrayView utf8(C(out), size);
  QByteArray bytes;
  const auto [at, length] = EncodingSpan(utf8);
  XmlEntryWriter encoder;
  if (at >= 0 && encoder.Ok()) {
    bytes.reserve(size + size / 8);
    bytes.append(utf8.first(at)).append("GB2312");
    encoder.AppendEncoded(bytes, utf8.sliced(at + length));
  }
  xmlFree(out);
  return bytes;  // empty on failure: nothing is written then
}

QByteArray XmlDocument::SerializeWithBlock(
    XmlNode* parent, const std::function<QByteArray(QByteArrayView indent)>& block) {
  if (!doc_ || !parent) return {};
  // A unique comment marks the place; libxml2 lays out everything around it.
  const QByteArray tag =
      "vireo-entries-" + QByteArray::number(reinterpret_cast<quintptr>(parent), 16);
  xmlNode* marker = xmlNewDocComment(doc_, X(tag.constData()));
  xmlAddChild(parent, marker);
  QByteArray out = Serialize();
  xmlUnlinkNode(marker);
  xmlFreeNode(marker);
  const QByteArray comment = "<!--" + tag + "-->";
  const qsizetype at = out.indexOf(comment);
  if (at < 0 || out.indexOf(comment, at + 1) >= 0) return {};
  const qsizetype lineStart = out.lastIndexOf('\n', at) + 1;
  const QByteArrayView indent = QByteArrayView(out).sliced(lineStart, at - lineStart);
  if (indent.count(' ') != indent.size()) return {};  // not on a line of its own
  const QByteArray inner = block(indent);
  if (inner.isEmpty()) return {};
  QByteArray result;
  result.reserve(out.size() + inner.size());
  result.append(QByteArrayView(out).first(at))
      .append(inner)
      .append(QByteArrayView(out).sliced(at + comment.size()));
  return result;
}

bool XmlDocument::SaveTo(const QString& path) {
  return SaveBytesTo(path, Serialize());
}

bool XmlDocument::SaveBytesTo(const QString& path, const QByteArray& bytes) {
  if (path.isEmpty() || !doc_) return false;
  if (bytes.isEmpty()) return false;
  if (opened_ == LoadResult::Unreadable && path == openedPath_ && QFileInfo(path).isFile()) {
    // Whatever is in there may still be worth something to its owner: keep it.
    QFile old(path);
    if (!old.open(QIODevice::ReadOnly)) return false;
    const QByteArray kept = old.readAll();
    if (old.error() != QFileDevice::NoError) return false;
    if (!AtomicFileWriter::Write(path + QStringLiteral(".broken"), kept)) return false;
    opened_ = LoadResult::Missing;
  }
  return AtomicFileWriter::Write(path, bytes);
}

bool XmlDocument::IsElement(XmlNode* node) {
  return node && node->type == XML_ELEMENT_NODE;
}

bool XmlDocument::IsComment(XmlNode* node) {
  return node && node->type == XML_COMMENT_NODE;
}

XmlNode* XmlDocument::FirstChild(XmlNode* parent) {
  return parent ? parent->children : nullptr;
}

XmlNode* XmlDocument::Next(XmlNode* node) {
  return node ? node->next : nullptr;
}

bool XmlDocument::ValidName(QByteArrayView name) {
  if (name.isEmpty()) return false;
  const QByteArray z = name.toByteArray();
  return xmlValidateName(X(z.constData()), 0) == 0;
}

XmlNode* XmlDocument::FirstChildElement(XmlNode* parent, QByteArrayView name) {
  if (!parent) return nullptr;
  for (xmlNode* n = parent->children; n; n = n->next) {
    if (n->type != XML_ELEMENT_NODE || (n->ns && n->ns->prefix)) continue;
    if (QByteArrayView(C(n->name)) == name) return n;
  }
  return nullptr;
}

XmlNode* XmlDocument::AppendChildElement(XmlNode* parent, QByteArrayView name) {
  if (!parent || !ValidName(name)) return nullptr;
  const QByteArray z = name.toByteArray();
  return xmlNewChild(parent, nullptr, X(z.constData()), nullptr);
}

namespace {

void ForEachElementIn(xmlDoc* doc, xmlNode* first, const std::function<void(XmlNode*)>& fn,
                      int depth) {
  for (xmlNode* n = first; n; n = n->next) {
    if (n->type == XML_ELEMENT_NODE) {
      fn(n);
    } else if (n->type == XML_ENTITY_REF_NODE && depth < 40) {
      // libxml2 refuses entities that refer to themselves; the depth bound is a second guard.
      xmlEntity* entity = xmlGetDocEntity(doc, n->name);
      if (entity && entity->etype == XML_INTERNAL_GENERAL_ENTITY)
        ForEachElementIn(doc, entity->children, fn, depth + 1);
    }
  }
}

}  // namespace

void XmlDocument::ForEachChildElement(XmlNode* parent, const std::function<void(XmlNode*)>& fn) {
  if (parent) ForEachElementIn(parent->doc, parent->children, fn, 0);
}

void XmlDocument::RemoveChildren(XmlNode* parent) {
  if (!parent) return;
  xmlNode* n = parent->children;
  while (n) {
    xmlNode* next = n->next;
    xmlUnlinkNode(n);
    xmlFreeNode(n);
    n = next;
  }
}

QByteArray XmlDocument::AttributeUtf8(XmlNode* element, const char* name) {
  if (!element) return {};
  for (xmlAttr* a = element->properties; a; a = a->next) {
    if ((a->ns && a->ns->prefix) || std::strcmp(C(a->name), name) != 0) continue;
    xmlNode* child = a->children;
    if (!child) return {};
    // The usual case, one plain text node, is read in place.
    if (child->type == XML_TEXT_NODE && !child->next) return QByteArray(C(child->content));
    xmlChar* v = xmlNodeListGetString(element->doc, child, 1);
    QByteArray bytes(v ? C(v) : "");
    xmlFree(v);
    return bytes;
  }
  return {};
}

QString XmlDocument::Attribute(XmlNode* element, const char* name, bool* present) {
  if (present) *present = element && xmlHasNsProp(element, X(name), nullptr) != nullptr;
  return FromUtf8(AttributeUtf8(element, name));
}

void XmlDocument::SetAttributeUtf8(XmlNode* element, const char* name, QByteArrayView utf8) {
  if (!element || !ValidName(name)) return;
  const QByteArray z = utf8.toByteArray();
  xmlSetProp(element, X(name), X(z.constData()));
}

void XmlDocument::SetAttribute(XmlNode* element, const char* name, const QString& value) {
  SetAttributeUtf8(element, name, ToXmlUtf8(value));
}

QString XmlDocument::Text(XmlNode* element) {
  if (!element) return {};
  xmlChar* v = xmlNodeGetContent(element);
  const QString text = FromUtf8(v ? C(v) : "");
  xmlFree(v);
  return text;
}

void XmlDocument::SetText(XmlNode* element, const QString& value) {
  if (!element) return;
  xmlNodeSetContent(element, nullptr);
  const QByteArray utf8 = ToXmlUtf8(value);
  xmlNodeAddContentLen(element, X(utf8.constData()), static_cast<int>(utf8.size()));
}

QString XmlDocument::FromUtf8(QByteArrayView utf8) {
  if (!utf8.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(utf8);
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                     QStringConverter::Flag::ConvertInitialBom);
  return decoder.decode(utf8);
}

QByteArray XmlDocument::ToXmlUtf8(const QString& text) {
  bool clean = true;
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if ((u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) || u == 0xFFFE || u == 0xFFFF ||
        c.isSurrogate()) {
      clean = false;
      break;
    }
  }
  if (clean) return text.toUtf8();
  QString kept;
  kept.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    const char16_t u = c.unicode();
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      kept += c;
      kept += text.at(++i);
      continue;
    }
    if (c.isSurrogate()) continue;
    if ((u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) || u == 0xFFFE || u == 0xFFFF) continue;
    kept += c;
  }
  return kept.toUtf8();
}

}  // namespace vireo
