#pragma once

#include <QByteArray>
#include <QString>

namespace vireo {

// The payload coding of library links: Base64 text of URL-encoded UTF-8.
class LinkCodec {
 public:
  // Base64 as the links have always been read: the text is taken in groups of four characters
  // and an incomplete last group is ignored (so two command letters after a padded payload do
  // no harm). Each character of the standard alphabet gives 6 bits at its place in the group;
  // any other character, "=" included, gives 0 bits and is not counted. A group with c counted
  // characters yields max(0, c - 1) bytes.
  static QByteArray Base64Decode(QByteArrayView text);

  // Base64, then URL decoding (up to the first "&"), then UTF-8. Bytes that are not UTF-8 are
  // kept and read in the Chinese code page (GB18030), as older pages encoded them.
  static QString DecodePayload(QByteArrayView field);
};

}  // namespace vireo
