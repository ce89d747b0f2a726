#include "audio/LegacyText.h"

#include <QList>
#include <algorithm>

#include "base/Gb18030.h"

namespace vireo {
namespace {

bool IsChineseText(char32_t c) {
  return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF) ||
         (c >= 0x2000 && c <= 0x206F) || (c >= 0x2E80 && c <= 0x2FDF) ||
         (c >= 0xF900 && c <= 0xFAFF) || c == 0x00B7;
}

}  // namespace

bool LegacyText::LooksLikeGbk(QByteArrayView bytes) {
  bool any = false;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) continue;
    if (lead < 0x81 || lead > 0xFE || i + 1 >= bytes.size()) return false;
    const auto trail = static_cast<unsigned char>(bytes[i + 1]);
    if (trail < 0x40 || trail > 0xFE || trail == 0x7F) return false;
    const QString ch = FromGb18030(bytes.sliced(i, 2));
    const QList<uint> code = ch.toUcs4();
    if (code.size() != 1 || !IsChineseText(code[0])) return false;
    any = true;
    ++i;
  }
  return any;
}

QString LegacyText::Decode(QByteArrayView bytes) {
  if (std::all_of(bytes.begin(), bytes.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return QString::fromLatin1(bytes);
  if (IsValidUtf8(bytes)) return QString::fromUtf8(bytes);
  if (LooksLikeGbk(bytes)) return FromGb18030(bytes);
  return QString::fromLatin1(bytes);
}

}  // namespace vireo
