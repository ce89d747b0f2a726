#include "base/Gb18030.h"

#include <iconv.h>

#include <cerrno>

namespace vireo {
namespace {

// One conversion descriptor per thread and direction: iconv_t is not safe to share, and opening
// one per call costs more than the conversion of a short title.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts the whole input; onInvalid() is called for each byte that cannot be converted and
  // skipped, so the caller decides what stands in for it.
  template <typename OnInvalid>
  QByteArray Run(QByteArrayView in, OnInvalid onInvalid) {
    QByteArray out;
    if (cd_ == reinterpret_cast<iconv_t>(-1) || in.isEmpty()) return out;
    out.reserve(in.size() * 3 / 2 + 4);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = static_cast<size_t>(in.size());
    char buffer[4096];
    while (srcLeft > 0) {
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, dst - buffer);
      if (r != static_cast<size_t>(-1) || errno == E2BIG) continue;
      // EILSEQ, or EINVAL for a sequence cut off at the end: skip one byte and go on.
      onInvalid(out);
      ++src;
      --srcLeft;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

QByteArray ToGb18030(const QString& text) {
  thread_local Converter conv("GB18030", "UTF-8");
  const QByteArray utf8 = text.toUtf8();
  return conv.Run(utf8, [](QByteArray& out) { out.append('?'); });
}

QString FromGb18030(QByteArrayView bytes) {
  thread_local Converter conv("UTF-8", "GB18030");
  static const QByteArray replacement = QStringLiteral("\uFFFD").toUtf8();
  return QString::fromUtf8(conv.Run(bytes, [](QByteArray& out) { out.append(replacement); }));
}

bool IsValidUtf8(QByteArrayView bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const qsizetype n = bytes.size();
  qsizetype i = 0;
  while (i < n) {
    unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int len;
    unsigned lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;  // no UTF-16 surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (i + len > n) return false;
    if (p[i + 1] < lo || p[i + 1] > hi) return false;
    for (int k = 2; k < len; ++k)
      if (p[i + k] < 0x80 || p[i + k] > 0xBF) return false;
    i += len;
  }
  return true;
}

}  // namespace vireo

namespace vireo {

QByteArray FoldAsciiCase(QByteArrayView gb18030, bool upper) {
  QByteArray out = gb18030.toByteArray();
  const qsizetype n = out.size();
  for (qsizetype i = 0; i < n;) {
    const auto b = static_cast<unsigned char>(out[i]);
    if (b < 0x80) {
      if (upper && b >= 'a' && b <= 'z') out[i] = static_cast<char>(b - ('a' - 'A'));
      if (!upper && b >= 'A' && b <= 'Z') out[i] = static_cast<char>(b + ('a' - 'A'));
      ++i;
    } else if (b >= 0x81 && b <= 0xFE && i + 1 < n) {
      const auto second = static_cast<unsigned char>(out[i + 1]);
      // A digit second byte makes a four-byte character; anything else a two-byte one.
      i += (second >= 0x30 && second <= 0x39) ? 4 : 2;
    } else {
      ++i;  // a stray byte is no letter
    }
  }
  return out;
}

}  // namespace vireo
