#pragma once

#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QWidget>

#include "ddvcl/TDDBitmap32.h"

// Synthetic pointer input and sprite sheets for the widget tests.
namespace vireo::test {

void Press(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton,
           Qt::KeyboardModifiers m = Qt::NoModifier);
void MoveTo(QWidget* w, QPoint p, Qt::MouseButtons held = Qt::NoButton,
            Qt::KeyboardModifiers m = Qt::NoModifier);
void Release(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton,
             Qt::KeyboardModifiers m = Qt::NoModifier);
void Enter(QWidget* w, QPoint p = QPoint(1, 1));
void Leave(QWidget* w);

// Fills the rectangle (x, y, w, h) of a sheet with a colour that tells pixels apart:
// base | (column << 8) | row, with the given alpha.
void PaintSprite(TDDBitmap32& sheet, int x, int y, int w, int h, TColor32 base);

// Counts the paint events a widget receives, to tell whether a change reached the screen.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++count;
    return false;
  }
};

// Delivers what is posted (update requests among it) without waiting for anything new.
void Flush();

}  // namespace vireo::test
