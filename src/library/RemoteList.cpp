#include "library/RemoteList.h"

#include "base/Gb18030.h"

namespace vireo {
namespace {

bool IsSpace(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// &amp; &lt; &gt; &quot; &apos; and numeric references; anything else stays as written.
QString DecodeEntities(QStringView v) {
  QString out;
  out.reserve(v.size());
  qsizetype i = 0;
  while (i < v.size()) {
    if (v[i] != u'&') {
      out.append(v[i++]);
      continue;
    }
    const qsizetype semi = v.indexOf(u';', i);
    if (semi < 0 || semi - i > 10) {
      out.append(v[i++]);
      continue;
    }
    const QStringView name = v.sliced(i + 1, semi - i - 1);
    char32_t ch = 0;
    if (name == u"amp")
      ch = u'&';
    else if (name == u"lt")
      ch = u'<';
    else if (name == u"gt")
      ch = u'>';
    else if (name == u"quot")
      ch = u'"';
    else if (name == u"apos")
      ch = u'\'';
    else if (name.startsWith(u"#x") || name.startsWith(u"#X")) {
      bool ok = false;
      ch = name.sliced(2).toUInt(&ok, 16);
      if (!ok) ch = 0;
    } else if (name.startsWith(u'#')) {
      bool ok = false;
      ch = name.sliced(1).toUInt(&ok, 10);
      if (!ok) ch = 0;
    }
    if (ch == 0 || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) {
      out.append(v[i++]);
      continue;
    }
    out.append(QString::fromUcs4(&ch, 1));
    i = semi + 1;
  }
  return out;
}

}  // namespace

QStringList RemoteList::Links(QByteArrayView xml) {
  if (xml.startsWith("\xEF\xBB\xBF")) xml = xml.sliced(3);
  const QString text = IsValidUtf8(xml) ? QString::fromUtf8(xml) : FromGb18030(xml);
  QStringList links;
  const qsizetype n = text.size();
  qsizetype i = 0;
  auto skipPast = [&](QStringView end) {
    const qsizetype at = text.indexOf(end, i);
    i = at < 0 ? n : at + end.size();
  };
  while (i < n) {
    const qsizetype lt = text.indexOf(u'<', i);
    if (lt < 0) break;
    i = lt + 1;
    const QStringView rest = QStringView(text).sliced(i);
    if (rest.startsWith(u"!--")) {
      skipPast(u"-->");
      continue;
    }
    if (rest.startsWith(u"![CDATA[")) {
      skipPast(u"]]>");
      continue;
    }
    if (rest.startsWith(u'?')) {
      skipPast(u"?>");
      continue;
    }
    if (rest.startsWith(u'!') || rest.startsWith(u'/')) {
      skipPast(u">");
      continue;
    }
    // A start or empty-element tag: its name, then its attributes up to ">".
    const qsizetype nameStart = i;
    while (i < n && !IsSpace(text[i]) && text[i] != u'/' && text[i] != u'>' && text[i] != u'<') ++i;
    const bool wanted =
        QStringView(text).sliced(nameStart, i - nameStart).compare(u"rlist", Qt::CaseInsensitive) ==
        0;
    QString url;
    bool sawUrl = false;
    while (i < n && text[i] != u'>' && text[i] != u'<') {
      if (IsSpace(text[i]) || text[i] == u'/') {
        ++i;
        continue;
      }
      const qsizetype attrStart = i;
      while (i < n && !IsSpace(text[i]) && text[i] != u'=' && text[i] != u'>' && text[i] != u'/')
        ++i;
      const QStringView attr = QStringView(text).sliced(attrStart, i - attrStart);
      while (i < n && IsSpace(text[i])) ++i;
      if (i >= n || text[i] != u'=') continue;  // an attribute without a value
      ++i;
      while (i < n && IsSpace(text[i])) ++i;
      qsizetype valueStart = i, valueEnd = i;
      if (i < n && (text[i] == u'"' || text[i] == u'\'')) {
        const QChar quote = text[i];
        valueStart = i + 1;
        const qsizetype close = text.indexOf(quote, valueStart);
        valueEnd = close < 0 ? n : close;
        i = close < 0 ? n : close + 1;
      } else {
        while (i < n && !IsSpace(text[i]) && text[i] != u'>') ++i;
        valueEnd = i;
      }
      if (wanted && !sawUrl && attr == u"url") {
        url = DecodeEntities(QStringView(text).sliced(valueStart, valueEnd - valueStart));
        sawUrl = true;
      }
    }
    const bool closed = i < n && text[i] == u'>';
    if (closed) ++i;
    if (wanted && closed) links.append(url + QStringLiteral("AL"));
  }
  return links;
}

}  // namespace vireo
