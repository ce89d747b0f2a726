// The URL codec and the text helpers of base, on any bytes.
#include <QByteArray>
#include <QString>

#include "FuzzTarget.h"
#include "base/Gb18030.h"
#include "base/SimilarityPercent.h"
#include "base/TextUtil.h"
#include "base/UrlCodec.h"

namespace {

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}
bool IsAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

VIREO_FUZZ_TARGET(text) {
  using namespace vireo;
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

  // Encoding keeps letters and digits, writes everything else as %XX, and decodes back.
  const QByteArray encoded = URLEncode(bytes);
  for (qsizetype i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '%') {
      FUZZ_CHECK(i + 2 < encoded.size() + 1 && IsHex(encoded[i + 1]) && IsHex(encoded[i + 2]));
      i += 2;
    } else {
      FUZZ_CHECK(IsAlnum(encoded[i]));
    }
  }
  FUZZ_CHECK(URLDecode(encoded) == bytes);
  const QByteArray decoded = URLDecode(bytes);
  FUZZ_CHECK(decoded.size() <= bytes.size());

  const HostPath hp = SplitUrl(bytes);
  FUZZ_CHECK(!hp.host.contains('/'));
  FUZZ_CHECK(hp.host.size() + hp.path.size() <= bytes.size());

  const char delimiter = size > 0 ? char(data[0]) : '|';
  for (int n = 0; n < 5; ++n) {
    const QByteArray field = TextField(bytes, n, delimiter);
    FUZZ_CHECK(!field.contains(delimiter));
    FUZZ_CHECK(n >= 1 || field.isEmpty());
  }

  const QByteArray trimmed = TrimBytes(bytes);
  FUZZ_CHECK(trimmed.isEmpty() || (uchar(trimmed.front()) > 0x20 && uchar(trimmed.back()) > 0x20));
  FUZZ_CHECK(bytes.contains(trimmed));

  // GB18030 covers Unicode: decoded text survives a round trip; UTF-8 checking agrees with Qt.
  const QString text = FromGb18030(bytes);
  FUZZ_CHECK(FromGb18030(ToGb18030(text)) == text);
  FUZZ_CHECK(IsValidUtf8(bytes) == (QString::fromUtf8(bytes).toUtf8() == bytes));
  FUZZ_CHECK(URLDecode(URLEncodeText(text)) == ToGb18030(text));

  const QString name = CleanFileName(text, 100);
  FUZZ_CHECK(ToGb18030(name).size() <= 100);
  for (QChar c : u"\\/:*?\"<>|") FUZZ_CHECK(c.isNull() || !name.contains(c));
  const QString title = FileTitle(text);
  FUZZ_CHECK(!title.contains(u'/') && !title.contains(u'\\'));

  const QByteArrayView half1 = QByteArrayView(bytes).first(bytes.size() / 2);
  const QByteArrayView half2 = QByteArrayView(bytes).sliced(bytes.size() / 2);
  const int score = SimilarityPercent(half1, half2);
  FUZZ_CHECK(score >= 0 && score <= 100);
  FUZZ_CHECK(SimilarityPercent(half1, half1) ==
             (half1.isEmpty() ? SimilarityPercent("", "") : 100));
  return 0;
}
