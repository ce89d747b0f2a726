#include "base/XmlEntryWriter.h"

#include <iconv.h>

#include <cerrno>

namespace vireo {
namespace {

const iconv_t kBad = reinterpret_cast<iconv_t>(-1);

// The escaping libxml2 applies to attribute values.
void AppendEscaped(QByteArray& out, QByteArrayView utf8) {
  qsizetype from = 0;
  for (qsizetype i = 0; i < utf8.size(); ++i) {
    const char* rep = nullptr;
    switch (utf8[i]) {
      case '<':
        rep = "&lt;";
        break;
      case '>':
        rep = "&gt;";
        break;
      case '&':
        rep = "&amp;";
        break;
      case '"':
        rep = "&quot;";
        break;
      case '\n':
        rep = "&#10;";
        break;
      case '\r':
        rep = "&#13;";
        break;
      case '\t':
        rep = "&#9;";
        break;
      default:
        continue;
    }
    out.append(utf8.sliced(from, i - from));
    out.append(rep);
    from = i + 1;
  }
  out.append(utf8.sliced(from));
}

// Length and code point of the UTF-8 sequence at p (1 and the byte for a malformed one).
int DecodeUtf8(const unsigned char* p, size_t left, char32_t& cp) {
  const unsigned char c = p[0];
  int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  if (static_cast<size_t>(len) > left) len = 1;
  if (len == 1) {
    cp = c;
    return 1;
  }
  cp = c & (0x7F >> len);
  for (int k = 1; k < len; ++k) cp = (cp << 6) | (p[k] & 0x3F);
  return len;
}

// The system's GB2312 table puts U+2015 and U+30FB on A1AA and A1A4, which GBK and GB18030 (what
// every reader of these files uses) read as U+2014 and U+00B7. Written as bytes they would come
// back as other characters, so they are written as references.
bool ReadsBackAsAnother(char32_t cp) {
  return cp == 0x2015 || cp == 0x30FB;
}

void AppendReference(QByteArray& out, char32_t cp) {
  out.append("&#").append(QByteArray::number(static_cast<quint32>(cp))).append(';');
}

}  // namespace

XmlEntryWriter::XmlEntryWriter() : cd_(iconv_open("GB2312", "UTF-8")) {}

XmlEntryWriter::~XmlEntryWriter() {
  if (static_cast<iconv_t>(cd_) != kBad) iconv_close(static_cast<iconv_t>(cd_));
}

bool XmlEntryWriter::Ok() const {
  return static_cast<iconv_t>(cd_) != kBad;
}

void XmlEntryWriter::ConvertRun(QByteArray& out, const char* data, size_t size) {
  // glibc's iconv works through all of its remaining input before it reports a character it
  // cannot convert, so a long run of such characters (a Korean title) would take quadratic
  // time: it is handed over in short pieces that end between characters.
  constexpr size_t kPiece = 48;
  while (size > kPiece) {
    size_t cut = kPiece;
    while (cut > 0 && (static_cast<unsigned char>(data[cut]) & 0xC0) == 0x80) --cut;
    if (cut == 0) cut = kPiece;
    ConvertPiece(out, data, cut);
    data += cut;
    size -= cut;
  }
  ConvertPiece(out, data, size);
}

void XmlEntryWriter::ConvertPiece(QByteArray& out, const char* data, size_t size) {
  auto* src = const_cast<char*>(data);
  size_t srcLeft = size;
  iconv(static_cast<iconv_t>(cd_), nullptr, nullptr, nullptr, nullptr);
  while (srcLeft > 0) {
    char buffer[512];
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    const size_t r = iconv(static_cast<iconv_t>(cd_), &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, dst - buffer);
    if (r != static_cast<size_t>(-1) || errno == E2BIG) continue;
    char32_t cp = 0;
    const int len = DecodeUtf8(reinterpret_cast<const unsigned char*>(src), srcLeft, cp);
    AppendReference(out, cp);
    src += len;
    srcLeft -= static_cast<size_t>(len);
    iconv(static_cast<iconv_t>(cd_), nullptr, nullptr, nullptr, nullptr);
  }
}

bool XmlEntryWriter::Fits(QByteArrayView utf8) {
  qsizetype i = 0;
  while (i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80) ++i;
  if (i == utf8.size()) return true;
  if (!Ok()) return false;
  for (qsizetype at = i; at < utf8.size();) {
    char32_t cp = 0;
    at += DecodeUtf8(reinterpret_cast<const unsigned char*>(utf8.data() + at),
                     static_cast<size_t>(utf8.size() - at), cp);
    if (ReadsBackAsAnother(cp)) return false;
  }
  iconv(static_cast<iconv_t>(cd_), nullptr, nullptr, nullptr, nullptr);
  auto* src = const_cast<char*>(utf8.data() + i);
  size_t srcLeft = static_cast<size_t>(utf8.size() - i);
  while (srcLeft > 0) {
    char buffer[512];
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    if (iconv(static_cast<iconv_t>(cd_), &src, &srcLeft, &dst, &dstLeft) ==
            static_cast<size_t>(-1) &&
        errno != E2BIG)
      return false;
  }
  return true;
}

void XmlEntryWriter::AppendEncoded(QByteArray& out, QByteArrayView utf8) {
  // ASCII, the bulk of paths and numbers, needs no conversion.
  qsizetype i = 0;
  while (i < utf8.size()) {
    qsizetype j = i;
    while (j < utf8.size() && static_cast<unsigned char>(utf8[j]) < 0x80) ++j;
    out.append(utf8.sliced(i, j - i));
    if (j == utf8.size()) break;
    qsizetype k = j;
    while (k < utf8.size() && static_cast<unsigned char>(utf8[k]) >= 0x80) ++k;
    // Convert the non-ASCII run, taking out what would not read back as itself.
    qsizetype from = j;
    for (qsizetype at = j; at < k;) {
      char32_t cp = 0;
      const int len = DecodeUtf8(reinterpret_cast<const unsigned char*>(utf8.data() + at),
                                 static_cast<size_t>(k - at), cp);
      if (ReadsBackAsAnother(cp)) {
        ConvertRun(out, utf8.data() + from, static_cast<size_t>(at - from));
        AppendReference(out, cp);
        from = at + len;
      }
      at += len;
    }
    ConvertRun(out, utf8.data() + from, static_cast<size_t>(k - from));
    i = k;
  }
}

void XmlEntryWriter::AppendElement(QByteArray& out, QByteArrayView name,
                                   const QByteArrayView* attributeNames, const QByteArray* values,
                                   int count) {
  scratch_.clear();
  scratch_.append('<').append(name);
  for (int a = 0; a < count; ++a) {
    scratch_.append(' ').append(attributeNames[a]).append("=\"");
    AppendEscaped(scratch_, values[a]);
    scratch_.append('"');
  }
  scratch_.append("/>");
  AppendEncoded(out, scratch_);
}

}  // namespace vireo
