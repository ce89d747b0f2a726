#include "app/EdgeResize.h"

#include <QWidget>
#include <QWindow>

namespace vireo {

int EdgeResizeEdges(int x, int y, int cw, int ch, int border) {
  const int w = border, h = border / 2;
  if (x <= w && y <= w) return Qt::LeftEdge | Qt::TopEdge;
  if (x <= w && y >= ch - w) return Qt::LeftEdge | Qt::BottomEdge;
  if (x >= cw - w && y >= ch - w) return Qt::RightEdge | Qt::BottomEdge;
  if (x >= cw - w && y < w) return Qt::RightEdge | Qt::TopEdge;
  if (x <= h) return Qt::LeftEdge;
  if (x >= cw - h) return Qt::RightEdge;
  if (y >= ch - h) return Qt::BottomEdge;
  if (y <= h) return Qt::TopEdge;
  return 0;
}

bool EdgeResize(QWidget* form, int x, int y, bool press, int border) {
  if (!form) return press;
  const int edges = EdgeResizeEdges(x, y, form->width(), form->height(), border);
  if (edges == 0) {
    // The arrow: a press here moves the window (TDDForm's move loop).
    form->unsetCursor();
    return press;
  }
  Qt::CursorShape shape = Qt::ArrowCursor;
  if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
    shape = Qt::SizeFDiagCursor;
  else if (edges == (Qt::LeftEdge | Qt::BottomEdge) || edges == (Qt::RightEdge | Qt::TopEdge))
    shape = Qt::SizeBDiagCursor;
  else if (edges == Qt::LeftEdge || edges == Qt::RightEdge)
    shape = Qt::SizeHorCursor;
  else
    shape = Qt::SizeVerCursor;
  form->setCursor(shape);
  if (press) {
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    if (QWindow* window = form->window()->windowHandle())
      window->startSystemResize(static_cast<Qt::Edges>(edges));
  }
  return false;
}

}  // namespace vireo
