#include "app/desktop/X11LyricStrips.h"

#include <QGuiApplication>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "app/desktop/X11Desktop.h"

// clang-format off
// Xlib's macros (Bool, Status, None) break Qt's headers: Xlib comes after them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/xcb.h>
// clang-format on

namespace vireo {

namespace {

Display* XDisplay() {
  return X11Desktop::Connection();
}

// Qt's own connection: a frame's copy goes out with Qt's requests, without handing the socket
// between Xlib and xcb at every frame.
xcb_connection_t* XConnection() {
  if (!XDisplay()) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// A QImage's premultiplied ARGB words are the server's pixels only when the server keeps 32
// bits a pixel for this depth, least significant byte first, with red, green and blue where
// a little-endian 0xAARRGGBB has them.
bool SameLayout(Display* dpy, const XWindowAttributes& a) {
  if (a.depth != 24 && a.depth != 32) return false;
  if (QSysInfo::ByteOrder != QSysInfo::LittleEndian || ImageByteOrder(dpy) != LSBFirst)
    return false;
  const Visual* v = a.visual;
  if (!v || v->red_mask != 0xFF0000 || v->green_mask != 0xFF00 || v->blue_mask != 0xFF)
    return false;
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(dpy, &count);
  bool found = false;
  for (int i = 0; i < count; ++i)
    if (formats[i].depth == a.depth)
      found = formats[i].bits_per_pixel == 32 && formats[i].scanline_pad == 32;
  if (formats) XFree(formats);
  return found;
}

}  // namespace

X11LyricStrips::~X11LyricStrips() {
  Clear();
  if (Display* dpy = XDisplay(); dpy && gc_) XFreeGC(dpy, static_cast<GC>(gc_));
}

void X11LyricStrips::Clear() {
  Display* dpy = XDisplay();
  if (dpy) {
    if (sung_) XFreePixmap(dpy, sung_);
    if (unsung_) XFreePixmap(dpy, unsung_);
  }
  sung_ = unsung_ = 0;
  drawable_ = 0;
  window_ = nullptr;
}

bool X11LyricStrips::Load(QWidget* window, const QImage& sung, const QImage& unsung,
                          qreal opacity) {
  Clear();
  Display* dpy = XDisplay();
  if (!dpy || !window || !window->testAttribute(Qt::WA_WState_Created) || unsung.isNull() ||
      sung.width() < unsung.width() || sung.height() < unsung.height())
    return false;
  const ::Window id = ::Window(window->winId());
  // The depth a window has cannot change, but Qt may give the widget a new native window.
  if (id != checked_) {
    XWindowAttributes a;
    checked_ = id;
    depth_ = XGetWindowAttributes(dpy, id, &a) && SameLayout(dpy, a) ? a.depth : 0;
    if (gc_) XFreeGC(dpy, static_cast<GC>(gc_));
    gc_ = nullptr;
  }
  if (depth_ == 0) return false;
  window_ = window;
  drawable_ = id;
  width_ = unsung.width();
  height_ = unsung.height();
  sung_ = Upload(sung, opacity);
  unsung_ = Upload(unsung, opacity);
  XFlush(dpy);
  return true;
}

unsigned long X11LyricStrips::Upload(const QImage& image, qreal opacity) {
  Display* dpy = XDisplay();
  QImage pixels = image.format() == QImage::Format_ARGB32_Premultiplied
                      ? image
                      : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (opacity < 1.0) {
    // As the window's paint does: the row over nothing, at the window's opacity.
    QImage faded(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    faded.fill(Qt::transparent);
    QPainter p(&faded);
    p.setOpacity(std::max<qreal>(0.0, opacity));
    p.drawImage(0, 0, pixels);
    p.end();
    pixels = faded;
  }
  const Pixmap pixmap =
      XCreatePixmap(dpy, drawable_, unsigned(width_), unsigned(height_), unsigned(depth_));
  if (!gc_) {
    XGCValues values;
    values.graphics_exposures = False;  // a copy between pixmaps needs no NoExpose reply
    gc_ = XCreateGC(dpy, pixmap, GCGraphicsExposures, &values);
  }
  // Xlib only reads the pixels; the image keeps them (no detached copy of a shared image).
  XImage* x = XCreateImage(dpy, nullptr, unsigned(depth_), ZPixmap, 0,
                           const_cast<char*>(reinterpret_cast<const char*>(pixels.constBits())),
                           unsigned(pixels.width()), unsigned(pixels.height()), 32,
                           int(pixels.bytesPerLine()));
  if (!x) return pixmap;
  x->byte_order = LSBFirst;
  // Only the row's top-left width_ x height_; Xlib splits a large image over several requests.
  XPutImage(dpy, pixmap, static_cast<GC>(gc_), x, 0, 0, 0, 0, unsigned(width_), unsigned(height_));
  x->data = nullptr;  // the pixels are the QImage's
  XDestroyImage(x);
  return pixmap;
}

bool X11LyricStrips::Copy(int from, int to, bool sung) {
  xcb_connection_t* c = XConnection();
  // A new native window (Qt makes one when some flags change) has none of the strips.
  if (!c || !Loaded() || !gc_ || !window_ || window_->internalWinId() != drawable_) return false;
  from = std::clamp(from, 0, width_);
  to = std::clamp(to, 0, width_);
  if (to <= from) return true;
  xcb_copy_area(c, xcb_drawable_t(sung ? sung_ : unsung_), xcb_drawable_t(drawable_),
                xcb_gcontext_t(XGContextFromGC(static_cast<GC>(gc_))), int16_t(from), 0,
                int16_t(from), 0, uint16_t(to - from), uint16_t(height_));
  xcb_flush(c);
  ++copies_;
  return true;
}

}  // namespace vireo
