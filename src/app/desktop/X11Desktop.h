#pragma once

#include <QRegion>
#include <optional>

class QWidget;
struct _XDisplay;  // Xlib's Display

namespace vireo {

// What the desktop lyrics ask of the X server beyond Qt: whether a compositing manager runs
// (translucent windows show the desktop through them only then) and an input shape, so that only
// the glyphs take the mouse and a press anywhere else reaches the window below. Without an X11
// connection (other platforms, tests on the offscreen platform) nothing is composited and input
// shapes are not applied.
class X11Desktop {
 public:
  static bool Available();
  // The player's Xlib connection (Qt's), or none: other platforms, and the offscreen platform,
  // whose window ids are not the server's even where a display connection exists.
  static _XDisplay* Connection();
  // A compositing manager owns the _NET_WM_CM_Sn selection of the default screen.
  static bool CompositorRunning();
  // Sets the window's input shape to region (logical coordinates scaled by the device pixel
  // ratio). An empty region takes no input at all. False where it could not be set.
  static bool SetInputShape(QWidget* window, const QRegion& region);
  // Sets the window's bounding shape, what of it is drawn at all without a compositing manager,
  // likewise; nothing: the whole window again. Unlike QWidget::setMask it leaves Qt's paints
  // and flushes unclipped: a strip repainted over a mask of glyphs would go to the X server
  // as one piece per row of every glyph it crosses.
  static bool SetBoundingShape(QWidget* window, const std::optional<QRegion>& region);
  // Where the X server has the window's top-left corner on the root window; nothing when the
  // window has no native window yet or there is no X display.
  static std::optional<QPoint> RootPosition(const QWidget* window);
  // Gives the window its own WM_CLASS ("vireo", className), so scripts and window rules find
  // each of the player's windows by class as other programs always have ("Vireo", "Vireo LRC",
  // "Vireo 桌面歌词", ...). Creates the native window.
  static void SetWindowClass(QWidget* window, const QString& className);

 private:
  static bool SetShape(QWidget* window, const QRegion& region, int kind);
};

}  // namespace vireo
