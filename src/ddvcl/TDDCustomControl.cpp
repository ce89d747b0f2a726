#include "ddvcl/TDDCustomControl.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>

namespace vireo {

TDDCustomControl::TDDCustomControl(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  // Pointer moves arrive without a pressed button too, as the controls' hover rules need.
  setMouseTracking(true);
  resize(192, 192);
}

void TDDCustomControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TDDCustomControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

void TDDCustomControl::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                 int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TDDCustomControl::MouseMove(Qt::KeyboardModifiers shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TDDCustomControl::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TDDCustomControl::MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                    int y) {
  if (button == Qt::LeftButton)
    MouseUp(button, shift, x, y);
  else if (button == Qt::RightButton && m_popupMenu && !IsAutoPopup(m_popupMenu))
    PopupMenuAt(m_popupMenu, QCursor::pos());
}

void TDDCustomControl::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  MouseEnter();
}

void TDDCustomControl::leaveEvent(QEvent* event) {
  MouseLeave();
  QWidget::leaveEvent(event);
}

void TDDCustomControl::mousePressEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  MouseDown(e->button(), e->modifiers(), p.x(), p.y());
}

void TDDCustomControl::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  MouseMove(e->modifiers(), p.x(), p.y());
}

void TDDCustomControl::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  MouseRelease(e->button(), e->modifiers(), p.x(), p.y());
}

void TDDCustomControl::contextMenuEvent(QContextMenuEvent* e) {
  if (m_popupMenu) {
    // A menu without automatic pop-up is opened by the release handling instead.
    if (IsAutoPopup(m_popupMenu)) PopupMenuAt(m_popupMenu, e->globalPos());
    e->accept();
  } else {
    e->ignore();
  }
}

}  // namespace vireo
