#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <variant>

#include "skin/TAnchors.h"

namespace vireo {

// A rectangle of a skin image as the file gives it: x, y, w, h, each stored in 16 bits.
struct TSkinRect {
  std::int16_t X = 0, Y = 0, W = 0, H = 0;
  constexpr bool operator==(const TSkinRect&) const = default;
};

// A colour as written in the file, "RRGGBB".
struct TSkinColor {
  std::uint8_t R = 0, G = 0, B = 0;
  // The platform colour of the skinned controls, 0x00BBGGRR.
  constexpr std::int32_t ToColorRef() const { return std::int32_t(R | G << 8 | B << 16); }
  // A fully opaque pixel, 0xFFRRGGBB.
  constexpr std::uint32_t ToOpaque32() const {
    return 0xFF000000u | std::uint32_t(R) << 16 | std::uint32_t(G) << 8 | B;
  }
  constexpr bool operator==(const TSkinColor&) const = default;
};

// The bounds every positioned element carries ("x", "y", "w", "h") and its anchors ("align").
struct TSkinPlace {
  std::int16_t X = 0, Y = 0, W = 0, H = 0;
  TAnchors Anchors;
};

// What each element of a skin file says, converted from its attributes. Every property of an
// element's kind is present: a missing attribute has become its default, so applying an element
// sets every property it names (image names stay text until they are read).

struct TSkinWindowValues {
  std::int16_t W = 0, H = 0, MinW = 0, MinH = 0, MaxW = 0, MaxH = 0;
  // tl, tm, tr, bl, bm, br, lm, rm, tc, in that order.
  TSkinRect Pieces[9];
  TSkinColor BackColor;
  QString Image;
};

struct TSkinButtonValues {
  TSkinPlace Place;
  std::int16_t NormalX = 0, NormalY = 0, PressedX = 0, PressedY = 0;
  std::int16_t HighlightedX = 0, HighlightedY = 0;
  std::uint8_t Fade = 0;
  QString Hint;
  QString Image;
  // The checked sprites; only "ckbutton" elements have them.
  bool Checkable = false;
  std::int16_t CheckedX = 0, CheckedY = 0, CheckedPX = 0, CheckedPY = 0;
  std::int16_t CheckedHX = 0, CheckedHY = 0;
};

struct TSkinLabelValues {
  TSkinPlace Place;
  QString FontName;
  TSkinColor FontColor;
  std::int16_t FontSize = 0;
};

struct TSkinScrollTextValues {
  TSkinPlace Place;
  QString FontName;
  std::int16_t FontSize = 0;
  TSkinColor FontColor;
  TSkinColor BackColor;
  bool Transparent = false;
};

struct TSkinSliderValues {
  TSkinPlace Place;
  std::int16_t NormalX = 0, NormalY = 0, PressedX = 0, PressedY = 0;
  std::int16_t HighlightedX = 0, HighlightedY = 0;
  std::int16_t SliderW = 0, SliderH = 0;
  TSkinRect TileA, TileB;
  std::uint8_t Border = 0;
  // The raw byte: only 0..3 name a style, anything else leaves the style as it is.
  std::uint8_t Style = 0;
  bool Horizontal = false;
  QString Image;
};

struct TSkinListValues {
  TSkinPlace Place;
  TSkinColor BackColor, SelectionColor, TextColor, TextCurrentColor, TextSelectedColor;
  QString FontName;
  std::int16_t FontSize = 0;
  std::uint8_t ScrollBarWidth = 0;
  std::int16_t SliderH = 0;
  std::int16_t NormalX = 0, NormalY = 0, PressedX = 0, PressedY = 0;
  std::int16_t HighlightedX = 0, HighlightedY = 0;
  TSkinRect Track;
  QString Image;
};

struct TSkinLyricViewValues {
  TSkinPlace Place;
  TSkinColor BackColor, LineColor, CurrentLineColor;
  QString FontName;
  std::uint8_t FontSize = 0;
  std::uint8_t LineSpace = 0;
};

struct TSkinSpectrumValues {
  TSkinPlace Place;
  TSkinRect Background, Bar, Peak;
  std::int16_t TTFWidth = 0, LineFallOff = 0, PeakFallOff = 0;
  bool DrawPeak = false;
  QString Image;
};

struct TSkinDesktopLyricValues {
  TSkinColor ColorBegin, ColorEnd, OutlineColor;
  std::uint8_t Alpha = 0;
  QString FontName;
  std::uint8_t FontSize = 0;
  std::int16_t Height = 0;
};

struct TSkinPanelValues {
  TSkinPlace Place;
  TSkinColor Color;
};

struct TSkinTextValues {
  TSkinPlace Place;
  TSkinColor BackColor, FontColor;
  QString FontName;
  std::int16_t FontSize = 0;
};

using TSkinValuesOf =
    std::variant<TSkinWindowValues, TSkinButtonValues, TSkinLabelValues, TSkinScrollTextValues,
                 TSkinSliderValues, TSkinListValues, TSkinLyricViewValues, TSkinSpectrumValues,
                 TSkinDesktopLyricValues, TSkinPanelValues, TSkinTextValues>;

}  // namespace vireo
