#pragma once

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include "ddvcl/DDEvents.h"

namespace vireo {

// Base of the windowed skinned controls (the list-like views): enter and leave events, no
// background erasing, the right-click menu rule of the skinned controls. UI thread only.
class TDDCustomControl : public QWidget {
  Q_OBJECT
 public:
  explicit TDDCustomControl(QWidget* parent = nullptr);

  QMenu* PopupMenu() const { return m_popupMenu; }
  void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

 protected:
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  virtual void MouseMove(Qt::KeyboardModifiers shift, int x, int y);
  virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  // Left: MouseUp; right with a menu that does not pop up by itself: the menu at the cursor.
  virtual void MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QPointer<QMenu> m_popupMenu;
};

}  // namespace vireo
