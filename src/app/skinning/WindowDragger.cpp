#include "app/skinning/WindowDragger.h"

#include <QMouseEvent>
#include <QWidget>

#include "ddvcl/TDDForm.h"

namespace vireo {

WindowDragger::WindowDragger(QWidget* handle, TDDForm* form) : QObject(handle), form_(form) {}

void WindowDragger::Attach(QWidget* handle, TDDForm* form) {
  if (!handle || !form) return;
  handle->installEventFilter(new WindowDragger(handle, form));
}

bool WindowDragger::eventFilter(QObject*, QEvent* e) {
  if (!form_) return false;
  switch (e->type()) {
    case QEvent::MouseButtonPress: {
      auto* me = static_cast<QMouseEvent*>(e);
      const bool normal = (form_->windowState() &
                           (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) == 0;
      if (me->button() != Qt::LeftButton || !normal) return false;
      dragging_ = true;
      pressGlobal_ = me->globalPosition().toPoint();
      form_->EnterSizeMove();
      startPos_ = form_->FormRect().topLeft();
      return true;
    }
    case QEvent::MouseMove: {
      if (!dragging_) return false;
      auto* me = static_cast<QMouseEvent*>(e);
      if (!(me->buttons() & Qt::LeftButton)) {
        dragging_ = false;
        form_->ExitSizeMove();
        return false;
      }
      const QPoint delta = me->globalPosition().toPoint() - pressGlobal_;
      const QRect target =
          form_->WindowPosChanging(QRect(startPos_ + delta, form_->FormRect().size()));
      if (target.topLeft() != form_->FormRect().topLeft()) form_->move(target.topLeft());
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (!dragging_) return false;
      dragging_ = false;
      form_->ExitSizeMove();
      return true;
    default:
      return false;
  }
}

}  // namespace vireo
