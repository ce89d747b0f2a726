#include "ControlTestUtil.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>

namespace vireo::test {

namespace {
void Send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton b, Qt::MouseButtons held,
          Qt::KeyboardModifiers m) {
  const QPointF local(p), global(w->mapToGlobal(p));
  QMouseEvent e(type, local, global, b, held, m);
  QCoreApplication::sendEvent(w, &e);
}
}  // namespace

void Flush() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
}

void Press(QWidget* w, QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers m) {
  Send(w, QEvent::MouseButtonPress, p, b, b, m);
}

void MoveTo(QWidget* w, QPoint p, Qt::MouseButtons held, Qt::KeyboardModifiers m) {
  Send(w, QEvent::MouseMove, p, Qt::NoButton, held, m);
}

void Release(QWidget* w, QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers m) {
  Send(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton, m);
}

void Enter(QWidget* w, QPoint p) {
  const QPointF local(p);
  QEnterEvent e(local, local, QPointF(w->mapToGlobal(p)));
  QCoreApplication::sendEvent(w, &e);
}

void Leave(QWidget* w) {
  QEvent e(QEvent::Leave);
  QCoreApplication::sendEvent(w, &e);
}

void PaintSprite(TDDBitmap32& sheet, int x, int y, int w, int h, TColor32 base) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) sheet.SetPixel(x + i, y + j, base | TColor32(i) << 8 | TColor32(j));
}

}  // namespace vireo::test
