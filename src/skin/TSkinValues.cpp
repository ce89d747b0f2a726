#include "skin/TSkinValues.h"

#include <QStringList>

namespace vireo {
namespace {

std::optional<int> ParseInt(QStringView text) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return v;
}

int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

}  // namespace

std::int16_t TSkinValues::Int16(const std::optional<QString>& text) {
  if (!text) return 0;
  return static_cast<std::int16_t>(ParseInt(*text).value_or(0));
}

std::uint8_t TSkinValues::Byte(const std::optional<QString>& text) {
  if (!text) return 0;
  return static_cast<std::uint8_t>(ParseInt(*text).value_or(0));
}

TSkinRect TSkinValues::Rect(const std::optional<QString>& text) {
  if (!text) return {};
  const QList<QStringView> parts = QStringView(*text).split(u',');
  if (parts.size() != 4) return {};
  int v[4];
  for (int i = 0; i < 4; ++i) {
    const std::optional<int> n = ParseInt(parts[i]);
    if (!n) return {};
    v[i] = *n;
  }
  return {static_cast<std::int16_t>(v[0]), static_cast<std::int16_t>(v[1]),
          static_cast<std::int16_t>(v[2]), static_cast<std::int16_t>(v[3])};
}

std::optional<TSkinColor> TSkinValues::Color(const std::optional<QString>& text) {
  if (!text) return std::nullopt;
  QStringView s(*text);
  if (s.startsWith(u'#')) s = s.mid(1);
  if (s.size() != 6) return std::nullopt;
  int d[6];
  for (int i = 0; i < 6; ++i)
    if ((d[i] = HexDigit(s[i])) < 0) return std::nullopt;
  return TSkinColor{static_cast<std::uint8_t>(d[0] * 16 + d[1]),
                    static_cast<std::uint8_t>(d[2] * 16 + d[3]),
                    static_cast<std::uint8_t>(d[4] * 16 + d[5])};
}

bool TSkinValues::Bool(const std::optional<QString>& text) {
  return text && !text->isEmpty() && *text != u"0";
}

TAnchors TSkinValues::Anchors(const std::optional<QString>& text, bool extended) {
  const TAnchors leftTop;
  if (!text) return leftTop;
  const QString code = text->toUpper();
  //                        left   top    right  bottom
  if (code == u"RT") return TAnchors::Of(false, true, true, false);
  if (code == u"LB") return TAnchors::Of(true, false, false, true);
  if (code == u"RB") return TAnchors::Of(false, false, true, true);
  if (code == u"LRCT") return TAnchors::Of(false, true, false, false);
  if (code == u"LRCB") return TAnchors::Of(false, false, false, true);
  if (code == u"TBCL") return TAnchors::Of(true, false, false, false);
  if (code == u"TBCR") return TAnchors::Of(false, false, true, false);
  if (code == u"C") return TAnchors::Of(false, false, false, false);
  if (!extended) return leftTop;
  if (code == u"LRT") return TAnchors::Of(true, true, true, false);
  if (code == u"LRB") return TAnchors::Of(true, false, true, true);
  if (code == u"LTB") return TAnchors::Of(true, true, false, true);
  if (code == u"RTB") return TAnchors::Of(false, true, true, true);
  if (code == u"LRTB") return TAnchors::Of(true, true, true, true);
  return leftTop;
}

}  // namespace vireo
