#include "app/skinning/SkinPalette.h"

#include <QApplication>

namespace vireo {

QPalette SkinPalette::Make(const QColor& back, const QColor& text, const QColor& selection,
                           const QColor& selectedText) {
  const bool dark = back.lightness() < 128;
  // Panels a step away from the list's own colour, so fields stand out from the dialog.
  const QColor window = dark ? back.lighter(112) : back.darker(104);
  const QColor button = dark ? back.lighter(135) : back.darker(110);
  const QColor accent = dark ? QColor(0x5b, 0xa7, 0xe6) : QColor(0x2b, 0x5d, 0x8a);
  QPalette p;
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    p.setColor(group, QPalette::Window, window);
    p.setColor(group, QPalette::WindowText, text);
    p.setColor(group, QPalette::Base, back);
    p.setColor(group, QPalette::AlternateBase, dark ? back.lighter(108) : back.darker(103));
    p.setColor(group, QPalette::Text, text);
    p.setColor(group, QPalette::Button, button);
    p.setColor(group, QPalette::ButtonText, text);
    p.setColor(group, QPalette::BrightText, dark ? Qt::white : Qt::black);
    p.setColor(group, QPalette::Highlight, selection);
    p.setColor(group, QPalette::HighlightedText, selectedText);
    p.setColor(group, QPalette::ToolTipBase, window);
    p.setColor(group, QPalette::ToolTipText, text);
    p.setColor(group, QPalette::Link, accent);
    p.setColor(group, QPalette::LinkVisited, accent);
    QColor placeholder = text;
    placeholder.setAlpha(128);
    p.setColor(group, QPalette::PlaceholderText, placeholder);
    p.setColor(group, QPalette::Light, button.lighter(130));
    p.setColor(group, QPalette::Midlight, button.lighter(115));
    p.setColor(group, QPalette::Mid, button.darker(130));
    p.setColor(group, QPalette::Dark, button.darker(160));
    p.setColor(group, QPalette::Shadow, dark ? Qt::black : button.darker(220));
  }
  QColor faint = text;
  faint.setAlpha(110);
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, faint);
  for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button,
                                         QPalette::Highlight, QPalette::HighlightedText})
    p.setColor(QPalette::Disabled, role, p.color(QPalette::Active, role));
  return p;
}

void SkinPalette::Apply(const QPalette& palette) {
  QApplication::setPalette(palette);
}

}  // namespace vireo
