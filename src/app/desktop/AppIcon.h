#pragma once

#include <QIcon>
#include <QPixmap>

namespace vireo {

// The player's mark: the character 雀 on an accent-green disc. It is the icon the build renders
// from data/icons/org.vireo.Vireo.svg: the installed theme icon, or the copy beside a build or
// portable player; drawn here at any size when neither is there.
class AppIcon {
 public:
  static QPixmap Pixmap(int size);
  static QIcon Icon();
};

}  // namespace vireo
