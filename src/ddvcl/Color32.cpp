#include "ddvcl/Color32.h"

#include <QGuiApplication>
#include <QPalette>

namespace vireo {

namespace {

// The Windows system colour indexes mapped onto the nearest role of the desktop palette.
QRgb SystemColor(int index) {
  QPalette pal;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    pal = QGuiApplication::palette();
  switch (index) {
    case 5:  // window background
      return pal.color(QPalette::Base).rgb();
    case 8:   // window text
    case 18:  // button text
      return pal.color(QPalette::Text).rgb();
    case 13:  // highlight
      return pal.color(QPalette::Highlight).rgb();
    case 14:  // highlighted text
      return pal.color(QPalette::HighlightedText).rgb();
    case 16:  // button shadow
      return pal.color(QPalette::Dark).rgb();
    case 20:  // button highlight
      return pal.color(QPalette::Light).rgb();
    case 15:  // button face
    default:
      return pal.color(QPalette::Button).rgb();
  }
}

TColor32 Swap(std::uint32_t bgr) {
  return ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu);
}

}  // namespace

QRgb ColorRefToRgb(TColorRef value) {
  if (value < 0) return SystemColor(value & 0xFF) | 0xFF000000u;
  return Swap(std::uint32_t(value)) | 0xFF000000u;
}

TColor32 Color32FromColor(TColorRef value) {
  return ColorRefToRgb(value) | 0xFF000000u;
}

TColor32 Color32NoAlpha(TColorRef value) {
  return Swap(std::uint32_t(value)) & 0x00FFFFFFu;
}

}  // namespace vireo
