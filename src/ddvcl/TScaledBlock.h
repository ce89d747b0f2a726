#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QTransform>
#include <memory>

class QPainter;
class QWidget;

namespace vireo {

class TDDBitmapEx32;
class TDDFormEx;

// One widget's share of a skinned window on a screen that is not at 100 %: the device pixels
// the widget touches (partly covered ones at its edges included), and the block of the
// window's canvas they are made of, with the window's frame already in it. The widget composes
// its own area on that canvas in skin pixels and shows the block; since each device pixel is
// made from absolute canvas coordinates, a pixel the widget shares with the frame or with
// another control comes out as the whole window would give it. UI thread only.
class TScaledBlock {
 public:
  // For widget on its window at devicePixelRatio dpr. A window that is not a TDDFormEx draws at
  // fallbackScale with nothing under the widget. The widget's own area is cleared to transparent
  // black when clearOwn (a control with no form directly below it, as at 100 %).
  TScaledBlock(const QWidget& widget, double dpr, double fallbackScale, bool clearOwn);
  ~TScaledBlock();

  // The canvas to compose on; empty when the widget has no pixels.
  TDDBitmapEx32& Canvas() { return *m_canvas; }
  double Scale() const { return m_scale; }
  // The window's form (null when the window is not one).
  const TDDFormEx* Form() const { return m_form; }

  // The block in device pixels, as a screen image.
  QImage DeviceImage() const;
  // Draws the block at its device pixels on a painter opened on the widget.
  void Show(QPainter& painter) const;
  // Draws a block image taken from DeviceImage() and drawn on further, at its device pixels.
  void Show(QPainter& painter, const QImage& deviceImage) const;
  // Maps the widget's skin coordinates to DeviceImage()'s pixels: what is drawn through it
  // (text) is drawn at the screen's own density, not composed at the art's and resampled.
  QTransform SkinToDevice() const;
  // DeviceImage()'s pixel (0, 0) as a device pixel of the window.
  QPoint DeviceOrigin() const { return m_device.topLeft(); }
  double DevicePixelRatio() const { return m_dpr; }

  // Draws a device image whose pixel (0, 0) is the window's device pixel (deviceX, deviceY),
  // pixel for pixel, on a painter opened on widget.
  static void DrawDevicePixels(QPainter& painter, const QWidget& widget, double dpr,
                               const QImage& image, int deviceX, int deviceY);

 private:
  const QWidget& m_widget;
  const TDDFormEx* m_form = nullptr;
  double m_dpr = 1.0;
  double m_scale = 1.0;
  QRect m_device;   // absolute device pixels of the window
  QPoint m_canvasOrigin;
  std::unique_ptr<TDDBitmapEx32> m_canvas;
};

}  // namespace vireo
