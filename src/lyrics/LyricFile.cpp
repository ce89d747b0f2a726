#include "lyrics/LyricFile.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>

#include "base/AtomicFileWriter.h"
#include "base/Gb18030.h"

namespace vireo {
namespace {

struct Bom {
  QByteArrayView mark;
  QStringConverter::Encoding encoding;
  bool gb18030;
};

// UTF-16 written without a byte-order mark. Lyrics are full of ASCII (time tags, digits, Latin
// text), whose UTF-16 form has a zero byte in every other place; UTF-8 and GB18030 text never
// holds zero bytes. A few CJK characters have a zero low byte, so the other places may hold
// some zeros too, but far fewer.
std::optional<QStringConverter::Encoding> Utf16ByZeros(QByteArrayView bytes) {
  const qsizetype n = std::min<qsizetype>(bytes.size(), 8192) & ~qsizetype(1);
  if (n < 4) return std::nullopt;
  qsizetype even = 0, odd = 0;
  for (qsizetype i = 0; i < n; i += 2) {
    even += bytes[i] == 0;
    odd += bytes[i + 1] == 0;
  }
  const qsizetype pairs = n / 2;
  const qsizetype major = std::max(even, odd), minor = std::min(even, odd);
  if (major < 2 || major * 8 < pairs || minor * 4 > major) return std::nullopt;
  return odd > even ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
}

}  // namespace

std::optional<QString> LyricFile::Read(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  if (file.size() > kMaxFileBytes) return std::nullopt;
  const QByteArray bytes = file.read(kMaxFileBytes + 1);
  if (bytes.size() > kMaxFileBytes || (bytes.isEmpty() && file.error() != QFileDevice::NoError))
    return std::nullopt;
  return NormalizeLines(Decode(bytes));
}

QString LyricFile::Decode(const QByteArray& bytes) {
  // UTF-32 LE starts like UTF-16 LE, so the longer marks are tried first.
  static const Bom kBoms[] = {
      {QByteArrayView("\xFF\xFE\x00\x00", 4), QStringConverter::Utf32LE, false},
      {QByteArrayView("\x00\x00\xFE\xFF", 4), QStringConverter::Utf32BE, false},
      {QByteArrayView("\x84\x31\x95\x33", 4), QStringConverter::Utf8, true},
      {QByteArrayView("\xEF\xBB\xBF", 3), QStringConverter::Utf8, false},
      {QByteArrayView("\xFF\xFE", 2), QStringConverter::Utf16LE, false},
      {QByteArrayView("\xFE\xFF", 2), QStringConverter::Utf16BE, false},
  };
  for (const Bom& bom : kBoms) {
    if (!bytes.startsWith(bom.mark)) continue;
    const QByteArrayView rest = QByteArrayView(bytes).sliced(bom.mark.size());
    if (bom.gb18030) return FromGb18030(rest);
    QStringDecoder decoder(bom.encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(rest);
  }
  if (const auto utf16 = Utf16ByZeros(bytes)) {
    QStringDecoder decoder(*utf16, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
  }
  if (IsValidUtf8(bytes)) return QString::fromUtf8(bytes);
  return FromGb18030(bytes);
}

QString LyricFile::NormalizeLines(const QString& text) {
  QString out;
  out.reserve(text.size() + text.size() / 16 + 2);
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    out.append(QStringView(text).sliced(start, i - start));
    out.append(u"\r\n");
    if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < n) {
    out.append(QStringView(text).sliced(start));
    out.append(u"\r\n");
  }
  return out;
}

bool LyricFile::Write(const QString& path, const QString& text) {
  return AtomicFileWriter::Write(path, text.toUtf8());
}

}  // namespace vireo
