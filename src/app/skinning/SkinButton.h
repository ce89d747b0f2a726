#pragma once

#include <QLatin1StringView>
#include <QWidget>

namespace vireo {

// A skinned button of a window's design: named for the skin's control table, placed, and showing
// the hand the player's buttons show.
template <class Button>
Button* NewSkinButton(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* b = new Button(parent);
  b->setObjectName(QLatin1StringView(name));
  b->setGeometry(x, y, w, h);
  b->setCursor(Qt::PointingHandCursor);
  return b;
}

}  // namespace vireo
