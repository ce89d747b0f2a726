#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

struct _xmlDoc;
struct _xmlNode;

namespace vireo {

using XmlNode = struct _xmlNode;

// One XML file of the player's own (settings, playlist) in memory, over libxml2.
//
// Reading: the file is read whole. A declaration naming GB2312 (or GBK, GB18030, CP936) is read
// as GB18030, the superset the Windows player's GBK bytes really are; a file without a
// declaration that is not UTF-8 is read the same way; anything else is left to libxml2
// (UTF-8, UTF-16 with a byte-order mark, other declared encodings).
// Writing: declared and encoded "GB2312", indented, characters outside GB2312 as numeric
// character references, so the Windows player can still read what this one writes. References
// are understood only in text and attribute values: a document whose markup (an element or
// attribute name, a comment, a processing instruction, CDATA, the DOCTYPE) holds a character
// GB2312 cannot carry is written as UTF-8 instead, declared so, which every XML reader takes.
// Characters XML cannot carry at all (control characters, U+FFFE, U+FFFF) are dropped on the way
// in, so a stray byte from a tag never makes the whole file unreadable. Files are replaced
// atomically.
//
// Threading: one document per thread; documents share nothing.
class XmlDocument {
 public:
  enum class LoadResult { Loaded, Missing, Unreadable };

  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Loads the file, or starts an empty document with a root element of rootName when the file
  // is missing or cannot be read as well-formed XML (Unreadable: it exists, but is unreadable).
  // With skipSection, the contents of the root's first child element of that name are left out
  // (the whole file is still checked): for a caller about to clear that section anyway.
  LoadResult Open(const QString& path, const QString& rootName,
                  const QString& skipSection = QString());
  LoadResult LastOpen() const { return opened_; }

  XmlNode* Root() const;
  // The document as written to disk.
  QByteArray Serialize() const;
  // Whether the markup can be written in GB2312 (see above); extraName is checked too (an
  // element about to be written beside the document's own).
  bool MarkupFitsGb2312(QByteArrayView extraName = {}) const;
  // Serialize() with block(indent) standing where one more child of parent would be: block
  // gives bytes already encoded for the file, its lines after the first starting with indent.
  // Empty when the place cannot be found cleanly; the caller then falls back to real nodes.
  QByteArray SerializeWithBlock(XmlNode* parent,
                                const std::function<QByteArray(QByteArrayView indent)>& block);
  _xmlDoc* Doc() const { return doc_; }
  // Writes Serialize() to path through a temporary file and a rename. When the file this
  // document was opened on existed but could not be read, that file is first kept beside as
  // path + ".broken" (if that copy fails nothing is written). False when nothing was written.
  bool SaveTo(const QString& path);
  bool SaveBytesTo(const QString& path, const QByteArray& bytes);

  // The first child element of parent named name (exact, with case), or nullptr.
  static XmlNode* FirstChildElement(XmlNode* parent, QByteArrayView name);
  // Appends a new child element; nullptr when name is not a valid XML name.
  static XmlNode* AppendChildElement(XmlNode* parent, QByteArrayView name);
  static void RemoveChildren(XmlNode* parent);
  // Calls fn for every child element of parent in document order, with entity references read
  // as what they stand for (the elements an internal entity holds are children too), as a
  // streaming reader that replaces entities sees them.
  static void ForEachChildElement(XmlNode* parent, const std::function<void(XmlNode*)>& fn);
  // Attribute value; a missing attribute reads as empty. present (if given) tells which.
  static QString Attribute(XmlNode* element, const char* name, bool* present = nullptr);
  static QByteArray AttributeUtf8(XmlNode* element, const char* name);
  // Adds or replaces the attribute; ignored when name is not a valid XML name.
  static void SetAttribute(XmlNode* element, const char* name, const QString& value);
  static void SetAttributeUtf8(XmlNode* element, const char* name, QByteArrayView utf8);
  static QString Text(XmlNode* element);
  static void SetText(XmlNode* element, const QString& value);
  static bool IsElement(XmlNode* node);
  static bool IsComment(XmlNode* node);
  static XmlNode* FirstChild(XmlNode* parent);
  static XmlNode* Next(XmlNode* node);
  static bool ValidName(QByteArrayView name);

  // Text of a value's UTF-8 as it stands: unlike QString::fromUtf8, a leading U+FEFF is kept
  // (it is part of the value, not a byte-order mark).
  static QString FromUtf8(QByteArrayView utf8);
  // UTF-8 of text with every character XML 1.0 cannot carry removed.
  static QByteArray ToXmlUtf8(const QString& text);
  // The encoding to force when parsing data (see above), or nullptr for libxml2's own choice.
  static const char* ReadEncodingFor(QByteArrayView data);
  // data as a UTF-8 document: when ReadEncodingFor names GB18030, the text is converted and its
  // declaration rewritten to say UTF-8 (for parsers that would obey the declaration over an
  // override); otherwise data as it is.
  static QByteArray AsUtf8Document(const QByteArray& data);
  // The libxml2 parser options every reader of the player's files uses.
  static int ParseOptions();
  // Keeps libxml2 from printing parse and encoding errors of this thread to stderr: a bad
  // file is reported through the results, never as console noise.
  static void QuietErrors();

 private:
  _xmlDoc* doc_ = nullptr;
  LoadResult opened_ = LoadResult::Missing;
  QString openedPath_;
};

}  // namespace vireo
