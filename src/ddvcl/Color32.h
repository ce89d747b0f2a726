#pragma once

#include <QRgb>
#include <cstdint>
#include <vector>

namespace vireo {

// One pixel, 0xAARRGGBB with straight (not premultiplied) alpha. In memory the bytes run blue,
// green, red, alpha, which is also the layout of QImage::Format_ARGB32 on little-endian machines.
using TColor32 = std::uint32_t;
using TArrayOfColor32 = std::vector<TColor32>;

// Skins and settings carry colours the old way, 0x00BBGGRR; a negative value names a system colour
// by its index in the low byte.
using TColorRef = std::int32_t;

// A platform colour as an opaque pixel. System colours resolve through the application palette.
TColor32 Color32FromColor(TColorRef value);
// The same byte swap without resolving system colours, and with alpha 0.
TColor32 Color32NoAlpha(TColorRef value);
// The Qt colour of a platform colour (system colours resolved), for fonts and label palettes.
QRgb ColorRefToRgb(TColorRef value);

inline std::uint32_t AlphaOf(TColor32 pixel) {
  return pixel >> 24;
}
inline TColor32 WithAlpha(TColor32 pixel, int alpha) {
  const std::uint32_t a = alpha < 0 ? 0u : (alpha > 255 ? 255u : std::uint32_t(alpha));
  return (pixel & 0x00FFFFFFu) | (a << 24);
}

// The system colour indexes the skins use.
inline constexpr TColorRef clBtnFace = TColorRef(0x8000000F);
inline constexpr TColorRef clWindow = TColorRef(0x80000005);
inline constexpr TColorRef clWindowText = TColorRef(0x80000008);
inline constexpr TColorRef clBlack = 0x000000;
inline constexpr TColorRef clBlue = 0xFF0000;
inline constexpr TColorRef clRed = 0x0000FF;
inline constexpr TColorRef clGreen = 0x008000;
inline constexpr TColorRef clAqua = 0xFFFF00;

}  // namespace vireo
