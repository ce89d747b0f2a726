#pragma once

#include <QString>
#include <optional>

#include "skin/TSkinElements.h"

namespace vireo {

// The value syntax of skin files. Each reader takes an attribute's text, or nothing when the
// attribute is missing, and gives what a missing or malformed value stands for, except colours:
// a colour that is not six hexadecimal digits stops the loading, so it comes back empty.
class TSkinValues {
 public:
  // A decimal integer within 32 bits (blanks around it allowed), stored in the width of the
  // target: the low 16 or 8 bits, as the old skin files relied on. Anything else is 0.
  static std::int16_t Int16(const std::optional<QString>& text);
  static std::uint8_t Byte(const std::optional<QString>& text);
  // "x,y,w,h": exactly four integers; anything else is the zero rectangle.
  static TSkinRect Rect(const std::optional<QString>& text);
  // "RRGGBB" or "#RRGGBB", hexadecimal digits of either case, nothing around them.
  static std::optional<TSkinColor> Color(const std::optional<QString>& text);
  // "0" is false, any other non-empty text true; missing is false.
  static bool Bool(const std::optional<QString>& text);
  // The "align" codes, without case. The extended codes (two opposite sides) count only for
  // the kinds that stretch; elsewhere, like any unknown code, they are left and top.
  static TAnchors Anchors(const std::optional<QString>& text, bool extended);
};

}  // namespace vireo
