#include "app/skinning/EdgeResize.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>

#include "ddvcl/TDDForm.h"

namespace vireo {

EdgeZone EdgeHitTest(int x, int y, int cw, int ch, int w) {
  const int h = w / 2;
  if (x <= w && y <= w) return EdgeZone::TopLeft;
  if (x <= w && y >= ch - w) return EdgeZone::BottomLeft;
  if (x >= cw - w && y >= ch - w) return EdgeZone::BottomRight;
  if (x >= cw - w && y < w) return EdgeZone::TopRight;
  if (x <= h) return EdgeZone::Left;
  if (x >= cw - h) return EdgeZone::Right;
  if (y >= ch - h) return EdgeZone::Bottom;
  if (y <= h) return EdgeZone::Top;
  return EdgeZone::None;
}

Qt::CursorShape EdgeCursor(EdgeZone zone) {
  switch (zone) {
    case EdgeZone::TopLeft:
    case EdgeZone::BottomRight:
      return Qt::SizeFDiagCursor;
    case EdgeZone::BottomLeft:
    case EdgeZone::TopRight:
      return Qt::SizeBDiagCursor;
    case EdgeZone::Left:
    case EdgeZone::Right:
      return Qt::SizeHorCursor;
    case EdgeZone::Top:
    case EdgeZone::Bottom:
      return Qt::SizeVerCursor;
    case EdgeZone::None:
      break;
  }
  return Qt::ArrowCursor;
}

QRect EdgeResizedRect(const QRect& start, EdgeZone zone, QPoint d, QSize minimum) {
  int l = start.left(), t = start.top(), r = start.right(), b = start.bottom();
  const bool left =
      zone == EdgeZone::TopLeft || zone == EdgeZone::BottomLeft || zone == EdgeZone::Left;
  const bool right =
      zone == EdgeZone::TopRight || zone == EdgeZone::BottomRight || zone == EdgeZone::Right;
  const bool top = zone == EdgeZone::TopLeft || zone == EdgeZone::TopRight || zone == EdgeZone::Top;
  const bool bottom =
      zone == EdgeZone::BottomLeft || zone == EdgeZone::BottomRight || zone == EdgeZone::Bottom;
  if (left) l = std::min(l + d.x(), r + 1 - minimum.width());
  if (right) r = std::max(r + d.x(), l - 1 + minimum.width());
  if (top) t = std::min(t + d.y(), b + 1 - minimum.height());
  if (bottom) b = std::max(b + d.y(), t - 1 + minimum.height());
  return QRect(QPoint(l, t), QPoint(r, b));
}

namespace {

// Follows the pointer from the press to the release and resizes the form. It filters the
// form's own mouse events: the press went to the form, so the form holds the implicit grab.
class ResizeLoop : public QObject {
 public:
  // The press is in the form's coordinates: it goes onto the screen only once the form's
  // position is known to be the one the user sees.
  ResizeLoop(TDDForm* form, EdgeZone zone, QPoint press) : QObject(form), form_(form), zone_(zone) {
    form->installEventFilter(this);
    form->EnterSizeMove();
    // Where the window system has the form: Qt's record of it may not have caught up yet.
    const QPoint at = form->ScreenPosition();
    start_ = QRect(at, form->size());
    press_ = at + press;
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (!form_) return false;
    if (e->type() == QEvent::MouseMove) {
      auto* me = static_cast<QMouseEvent*>(e);
      if (!(me->buttons() & Qt::LeftButton)) {
        Finish();
        return false;
      }
      const QSize minimum = form_->minimumSize().expandedTo(QSize(40, 30));
      const QRect r =
          EdgeResizedRect(start_, zone_, me->globalPosition().toPoint() - press_, minimum);
      if (r != form_->geometry()) form_->setGeometry(r);
      return true;
    }
    if (e->type() == QEvent::MouseButtonRelease) {
      Finish();
      return true;
    }
    return false;
  }

 private:
  void Finish() {
    if (form_) {
      form_->removeEventFilter(this);
      form_->ExitSizeMove();
    }
    deleteLater();
  }

  QPointer<TDDForm> form_;
  EdgeZone zone_;
  QPoint press_;
  QRect start_;
};

}  // namespace

bool EdgeResize(TDDForm* form, int x, int y, bool press, int border) {
  const EdgeZone zone = EdgeHitTest(x, y, form->width(), form->height(), border);
  const Qt::CursorShape shape = EdgeCursor(zone);
  if (shape == Qt::ArrowCursor)
    form->unsetCursor();
  else
    form->setCursor(shape);
  if (zone == EdgeZone::None) return press;
  if (press) new ResizeLoop(form, zone, QPoint(x, y));
  return false;
}

void AttachEdgeResize(TDDForm* form, int border) {
  const auto normal = [form] {
    return !(form->windowState() &
             (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
  };
  form->OnMouseDown = [form, border, normal](QObject*, Qt::MouseButton button,
                                             Qt::KeyboardModifiers, int x, int y) {
    if (button == Qt::LeftButton && normal()) EdgeResize(form, x, y, true, border);
  };
  form->OnMouseMove = [form, border, normal](QObject*, Qt::KeyboardModifiers, int x, int y) {
    if (normal()) EdgeResize(form, x, y, false, border);
  };
}

}  // namespace vireo
