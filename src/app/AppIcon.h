#pragma once

#include <QIcon>
#include <QPixmap>

namespace vireo {

// The player's mark: the character 雀 on an accent-green disc, drawn at any size, so the window,
// the tray and the about box need no image file.
class AppIcon {
 public:
  static QPixmap Pixmap(int size);
  static QIcon Icon();
};

}  // namespace vireo
