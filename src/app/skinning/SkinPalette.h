#pragma once

#include <QColor>
#include <QPalette>

namespace vireo {

// The colours of the Qt dialogs and pop-up menus the player opens (the open and folder dialogs,
// questions, the lyric search, the update dialog, the about box, every menu), made from the
// skin's playlist colours so that a dark skin has dark dialogs and menus: its background, its
// text, and its selection. Controls the skin draws itself are not touched.
class SkinPalette {
 public:
  static QPalette Make(const QColor& back, const QColor& text, const QColor& selection,
                       const QColor& selectedText);
  // Makes it the application's palette: every dialog and menu opened from now on, and those
  // open now, take it.
  static void Apply(const QPalette& palette);
};

}  // namespace vireo
