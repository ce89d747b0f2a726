#include "app/desktop/X11Desktop.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <QtMath>
#include <cmath>
#include <vector>

// clang-format off
// Xlib's macros (Bool, Status, None) break Qt's headers: Xlib comes after them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
// clang-format on

namespace vireo {

Display* X11Desktop::Connection() {
  // Only the xcb platform's windows are X windows; the offscreen platform may still offer a
  // display connection, but its window ids are not the server's.
  if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->display() : nullptr;
}

namespace {
Display* XDisplay() {
  return X11Desktop::Connection();
}
}  // namespace

bool X11Desktop::Available() {
  return XDisplay() != nullptr;
}

bool X11Desktop::CompositorRunning() {
  Display* dpy = XDisplay();
  if (!dpy) return false;
  const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(dpy));
  const Atom atom = XInternAtom(dpy, name.constData(), False);
  return XGetSelectionOwner(dpy, atom) != None;
}

bool X11Desktop::SetInputShape(QWidget* window, const QRegion& region) {
  return SetShape(window, region, ShapeInput);
}

bool X11Desktop::SetBoundingShape(QWidget* window, const std::optional<QRegion>& region) {
  Display* dpy = XDisplay();
  if (!dpy || !window || !window->windowHandle()) return false;
  if (!region) {
    XShapeCombineMask(dpy, Window(window->winId()), ShapeBounding, 0, 0, None, ShapeSet);
    XFlush(dpy);
    return true;
  }
  return SetShape(window, *region, ShapeBounding);
}

bool X11Desktop::SetShape(QWidget* window, const QRegion& region, int kind) {
  Display* dpy = XDisplay();
  if (!dpy || !window || !window->windowHandle()) return false;
  const qreal dpr = window->devicePixelRatioF();
  std::vector<XRectangle> rects;
  rects.reserve(size_t(region.rectCount()));
  for (const QRect& r : region) {
    const QRect d(QPoint(qFloor(r.left() * dpr), qFloor(r.top() * dpr)),
                  QPoint(qCeil((r.right() + 1) * dpr) - 1, qCeil((r.bottom() + 1) * dpr) - 1));
    rects.push_back({short(d.x()), short(d.y()), ushort(d.width()), ushort(d.height())});
  }
  XShapeCombineRectangles(dpy, Window(window->winId()), kind, 0, 0, rects.data(),
                          int(rects.size()), ShapeSet, Unsorted);
  XFlush(dpy);
  return true;
}

std::optional<QPoint> X11Desktop::RootPosition(const QWidget* window) {
  Display* dpy = XDisplay();
  if (!dpy || !window || !window->windowHandle() || !window->testAttribute(Qt::WA_WState_Created))
    return std::nullopt;
  int x = 0, y = 0;
  ::Window child = 0;
  if (!XTranslateCoordinates(dpy, ::Window(window->winId()), DefaultRootWindow(dpy), 0, 0, &x, &y,
                             &child))
    return std::nullopt;
  // X counts device pixels; Qt's positions are in device-independent ones.
  const qreal dpr = window->devicePixelRatioF();
  return QPoint(qRound(x / dpr), qRound(y / dpr));
}

namespace {
void ApplyClassHint(QWidget* window, const QString& className);

// Qt makes a new native window when some flags change or a hidden tool window is shown again,
// and not every new one announces itself before it is mapped; the hint goes onto every native
// window the widget gets, at the latest when it first paints.
class ClassHintKeeper : public QObject {
 public:
  ClassHintKeeper(QWidget* window, QString className)
      : QObject(window), window_(window), className_(std::move(className)) {}

  void Apply() {
    ApplyClassHint(window_, className_);
    applied_ = window_->internalWinId();
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    switch (e->type()) {
      case QEvent::WinIdChange:
      case QEvent::Show:
      case QEvent::Paint:
        if (window_->internalWinId() && window_->internalWinId() != applied_) Apply();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  QWidget* window_;
  QString className_;
  WId applied_ = 0;
};
}  // namespace

void X11Desktop::SetWindowClass(QWidget* window, const QString& className) {
  if (!window || !XDisplay()) return;
  auto* keeper = new ClassHintKeeper(window, className);
  window->installEventFilter(keeper);
  keeper->Apply();
}

namespace {
void ApplyClassHint(QWidget* window, const QString& className) {
  Display* dpy = XDisplay();
  if (!dpy || !window) return;
  QByteArray name("vireo");
  QByteArray cls = className.toUtf8();
  XClassHint hint;
  hint.res_name = name.data();
  hint.res_class = cls.data();
  XSetClassHint(dpy, Window(window->winId()), &hint);
  XFlush(dpy);
}

}  // namespace

}  // namespace vireo
