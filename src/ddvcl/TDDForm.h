#pragma once

#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

#include "ddvcl/DDEvents.h"

namespace vireo {

// A top-level window without a system frame that the user moves by its body. While it moves it
// snaps to the work area and to the other borderless forms, and the docking master (Tag 1) takes
// the forms lined up against it along. Tag is the docking role (see snap::DockRole).
// UI thread only.
class TDDForm : public QWidget {
  Q_OBJECT
 public:
  explicit TDDForm(QWidget* parent = nullptr);
  ~TDDForm() override;

  int Tag() const { return m_tag; }
  void SetTag(int tag) { m_tag = tag; }
  int SnapBuffer() const { return m_snapBuffer; }
  void SetSnapBuffer(int pixels) { m_snapBuffer = pixels; }
  // BorderStyle none: no system frame.
  bool Borderless() const { return m_borderless; }
  void SetBorderless(bool borderless);
  bool Moving() const { return m_moving; }
  bool InMoveLoop() const { return m_inMoveLoop; }

  QMenu* PopupMenu() const { return m_popupMenu; }
  void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }

  // Every living form, in screen order (the order in which they were made).
  static QList<TDDForm*> Forms();

  // Where the window system really has a visible top-level window, when the platform can say.
  using PositionProbe = std::function<std::optional<QPoint>(const QWidget*)>;
  static void SetPositionProbe(PositionProbe probe);
  // Brings Qt's record of the form's position in line with the window system's. A window manager
  // that reparents a window as it maps it can leave Qt with the place of a frame it moved right
  // after, and docking and resizing must start from where the user sees the form.
  void SyncPosition();
  // Where the window system has the form's top-left corner (Qt's record when it cannot say).
  QPoint ScreenPosition() const;

  // A move of this form starts or ends (the press and the release of our move loop; edge
  // resizing calls them too).
  void EnterSizeMove();
  void ExitSizeMove();
  // Applies the snapping and docking rules to a proposed frame rectangle: moves the docked forms
  // along and returns where this form should go.
  QRect WindowPosChanging(const QRect& proposed);
  // The work area of the screen that holds the form.
  QRect WorkArea() const;
  // Where the form stands and how large it is, as docking and snapping count it: the frame
  // geometry of a form with a system frame; for a borderless one its position and its own size.
  // (Qt measures frame margins against the window manager's frame, and a frame measured while
  // the window manager was still sizing it, 1 x 1, leaves a borderless form 1 x 1 in
  // frameGeometry() until something makes Qt measure again.)
  QRect FormRect() const;

  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

 protected:
  // Shift as held right now, whatever the event said; tests can pin it.
  virtual bool ShiftHeld() const;

  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void ReleaseGroup();
  void EndMoveLoop();

  int m_tag = 0;
  int m_snapBuffer = 10;
  bool m_borderless = true;
  bool m_moving = false;
  bool m_inMoveLoop = false;
  QPoint m_pressGlobal;
  QPoint m_startPos;
  // Where each docked form stood from this one when the move began. The group travels by these
  // and not by Qt's record of each form: a window manager that reports moves late would
  // otherwise leave a docked form short of the master by every move it had not yet confirmed.
  QList<QPair<QPointer<TDDForm>, QPoint>> m_groupOffsets;
  QPointer<QMenu> m_popupMenu;
};

}  // namespace vireo
