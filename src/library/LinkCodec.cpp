#include "library/LinkCodec.h"

#include "base/Gb18030.h"
#include "base/UrlCodec.h"

namespace vireo {
namespace {

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

QByteArray LinkCodec::Base64Decode(QByteArrayView text) {
  QByteArray out;
  out.reserve(text.size() / 4 * 3);
  for (qsizetype g = 0; g + 4 <= text.size(); g += 4) {
    quint32 value = 0;
    int counted = 0;
    for (int k = 0; k < 4; ++k) {
      const int v = Base64Value(text[g + k]);
      if (v < 0) continue;
      value |= quint32(v) << (18 - 6 * k);
      ++counted;
    }
    for (int b = 0; b < counted - 1; ++b)
      out.append(static_cast<char>((value >> (16 - 8 * b)) & 0xFF));
  }
  return out;
}

QString LinkCodec::DecodePayload(QByteArrayView field) {
  const QByteArray bytes = URLDecode(Base64Decode(field));
  if (IsValidUtf8(bytes)) return QString::fromUtf8(bytes);
  return FromGb18030(bytes);
}

}  // namespace vireo
