#include "FuzzXml.h"

namespace vireo::fuzz {

QString XmlAttribute(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (QChar c : text) {
    switch (c.unicode()) {
      case u'&':
        out += QStringLiteral("&amp;");
        break;
      case u'<':
        out += QStringLiteral("&lt;");
        break;
      case u'>':
        out += QStringLiteral("&gt;");
        break;
      case u'"':
        out += QStringLiteral("&quot;");
        break;
      case u'\'':
        out += QStringLiteral("&apos;");
        break;
      case u'\t':
        out += QStringLiteral("&#9;");
        break;
      case u'\n':
        out += QStringLiteral("&#10;");
        break;
      case u'\r':
        out += QStringLiteral("&#13;");
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace vireo::fuzz
