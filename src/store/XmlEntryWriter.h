#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>

namespace vireo {

// Writes many flat entry elements (a name and attributes, no children) straight to bytes, the
// way libxml2 would serialize them into a "GB2312" document: the same escaping, the same numeric
// character references for what GB2312 lacks. Saving a long playlist this way skips building and
// walking a document node per entry.
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
  // UTF-8 text to GB2312 bytes, "&#N;" for every character outside GB2312.
  void AppendEncoded(QByteArray& out, QByteArrayView utf8);
  bool Ok() const;

 private:
  void* cd_;
  QByteArray scratch_;
};

}  // namespace vireo
