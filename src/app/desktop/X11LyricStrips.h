#pragma once

#include <QImage>

class QWidget;

namespace vireo {

// A karaoke line's row twice in the X server, in its sung and its unsung colours, from which a
// frame copies just the device columns the fill's edge crossed straight onto the window. A frame
// through Qt costs a paint into the backing store, a flush and the server's shared-memory round
// trip, several hundred microseconds for a strip a few pixels wide; a copy between two server
// pixmaps costs one small request. What Qt's backing store still holds of the row is then out
// of date, so the window repaints itself through Qt whenever the server shows it again
// (expose) and whenever anything but a frame changes it.
//
// Without an X display, for a window whose visual is not 24 or 32 bits deep in the server's
// 32-bit pixel layout, or before the window is created, Load refuses and the caller paints
// through Qt as before.
//
// UI thread only. The pixmaps are made with Xlib, a line at a time; a frame's copy goes on Qt's
// own xcb connection: handing the socket between Xlib and xcb costs more than the copy.
class X11LyricStrips {
 public:
  X11LyricStrips() = default;
  X11LyricStrips(const X11LyricStrips&) = delete;
  X11LyricStrips& operator=(const X11LyricStrips&) = delete;
  ~X11LyricStrips();

  // unsung: the row as painted at the window's top-left, in device pixels (premultiplied
  // ARGB); sung: the whole line, of which the same top-left part is taken. opacity is applied
  // as the window's paint applies it. False, and nothing kept, where the strips cannot be used.
  bool Load(QWidget* window, const QImage& sung, const QImage& unsung, qreal opacity);
  void Clear();
  bool Loaded() const { return sung_ != 0; }
  // Copies device columns [from, to) of the row onto the window from the sung copy, or the
  // unsung one, and sends it. False when nothing is loaded.
  bool Copy(int from, int to, bool sung);
  int Copies() const { return copies_; }

 private:
  unsigned long Upload(const QImage& image, qreal opacity);

  QWidget* window_ = nullptr;
  unsigned long drawable_ = 0;  // the window's X id when loaded
  unsigned long checked_ = 0;   // the X id whose depth and layout depth_ tells
  unsigned long sung_ = 0;      // pixmaps
  unsigned long unsung_ = 0;
  void* gc_ = nullptr;
  int depth_ = 0;
  int width_ = 0;
  int height_ = 0;
  int copies_ = 0;
};

}  // namespace vireo
