#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstddef>

namespace vireo {

// The player's GB2312 output: UTF-8 text to GB2312 bytes with numeric character references for
// what GB2312 lacks (every document is written through it), and many flat entry elements (a
// name and attributes, no children) written straight to bytes with libxml2's escaping. Saving a
// long playlist this way skips building and walking a document node per entry.
//
// Threading: an object belongs to one thread (it holds an iconv descriptor).
class XmlEntryWriter {
 public:
  XmlEntryWriter();
  ~XmlEntryWriter();
  XmlEntryWriter(const XmlEntryWriter&) = delete;
  XmlEntryWriter& operator=(const XmlEntryWriter&) = delete;

  // Appends <name a="v" .../> for UTF-8 names and values (values already free of characters
  // XML cannot carry), encoded for the file.
  void AppendElement(QByteArray& out, QByteArrayView name, const QByteArrayView* attributeNames,
                     const QByteArray* values, int count);
  // UTF-8 text to GB2312 bytes, "&#N;" for every character outside GB2312 and for the few whose
  // GB2312 bytes GBK/GB18030 readers would take for another character.
  void AppendEncoded(QByteArray& out, QByteArrayView utf8);
  bool Ok() const;
  // True when the UTF-8 text can be written as GB2312 bytes that read back as itself, without a
  // single character reference: what markup (names, comments, CDATA...) needs, since references
  // are only understood in text and attribute values.
  bool Fits(QByteArrayView utf8);

 private:
  void ConvertRun(QByteArray& out, const char* data, size_t size);
  void ConvertPiece(QByteArray& out, const char* data, size_t size);

  void* cd_;
  QByteArray scratch_;
};

}  // namespace vireo
