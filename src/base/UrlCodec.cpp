#include "base/UrlCodec.h"

#include "base/Gb18030.h"

namespace vireo {
namespace {

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

QByteArray URLEncode(QByteArrayView bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  QByteArray out;
  out.reserve(bytes.size() * 3);
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsAsciiAlnum(c)) {
      out.append(ch);
    } else {
      out.append('%');
      out.append(kHex[c >> 4]);
      out.append(kHex[c & 15]);
    }
  }
  return out;
}

QByteArray URLEncodeText(const QString& text) {
  return URLEncode(ToGb18030(text));
}

QByteArray URLDecode(QByteArrayView bytes) {
  QByteArray out;
  out.reserve(bytes.size());
  qsizetype i = 0;
  const qsizetype n = bytes.size();
  while (i < n) {
    const char c = bytes[i];
    if (c == '&') break;
    if (c == '+') {
      out.append(' ');
      ++i;
    } else if (c == '%') {
      const qsizetype end = std::min(i + 3, n);
      qsizetype k = i + 1;
      while (k < end && bytes[k] == ' ') ++k;
      int value = 0;
      while (k < end && HexValue(bytes[k]) >= 0) value = value * 16 + HexValue(bytes[k++]);
      out.append(static_cast<char>(value));
      i = end;
    } else {
      out.append(c);
      ++i;
    }
  }
  return out;
}

HostPath SplitUrl(QByteArrayView url) {
  if (url.size() >= 7 && url.first(7).compare("http://", Qt::CaseInsensitive) == 0)
    url = url.sliced(7);
  HostPath out;
  const qsizetype slash = url.indexOf('/');
  if (slash < 0) {
    out.path = url.toByteArray();
    return out;
  }
  out.host = url.first(slash).toByteArray();
  out.path = url.sliced(slash + 1).toByteArray();
  if (out.host.endsWith('/')) out.host.chop(1);
  return out;
}

QByteArray TextField(QByteArrayView text, int n, char delimiter) {
  if (text.isEmpty() || n < 1) return {};
  qsizetype start = 0;
  for (int k = 1; k < n; ++k) {
    const qsizetype d = text.indexOf(delimiter, start);
    if (d < 0) return {};
    start = d + 1;
  }
  qsizetype end = text.indexOf(delimiter, start);
  if (end < 0) end = text.size();
  return text.sliced(start, end - start).toByteArray();
}

}  // namespace vireo
