#include "app/WindowClassHint.h"

#include <QGuiApplication>
#include <QWidget>

// Xlib defines macros (Bool, Status, None) that clash with Qt's names: it comes last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vireo {

void SetWindowClassHint(QWidget* window, const QByteArray& className) {
  if (!window || QGuiApplication::platformName() != QLatin1String("xcb")) return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->display()) return;
  QByteArray name = className;  // XClassHint wants writable texts
  XClassHint hint;
  hint.res_name = name.data();
  hint.res_class = name.data();
  XSetClassHint(x11->display(), static_cast<::Window>(window->winId()), &hint);
  XFlush(x11->display());
}

}  // namespace vireo
