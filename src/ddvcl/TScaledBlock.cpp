#include "ddvcl/TScaledBlock.h"

#include <QPainter>
#include <QWidget>
#include <cstring>

#include "ddvcl/TDDBitmapEx32.h"
#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TSkinScale.h"

namespace vireo {

TScaledBlock::TScaledBlock(const QWidget& widget, double dpr, double fallbackScale, bool clearOwn)
    : m_widget(widget), m_dpr(dpr), m_canvas(std::make_unique<TDDBitmapEx32>()) {
  const QWidget* top = widget.window();
  m_form = qobject_cast<const TDDFormEx*>(top);
  m_scale = m_form ? m_form->CanvasScale() : fallbackScale;
  const QPoint at = widget.mapTo(top, QPoint(0, 0));
  const int dx0 = TSkinScale::DeviceFloor(dpr, at.x());
  const int dx1 = TSkinScale::DeviceCeil(dpr, at.x() + widget.width());
  const int dy0 = TSkinScale::DeviceFloor(dpr, at.y());
  const int dy1 = TSkinScale::DeviceCeil(dpr, at.y() + widget.height());
  m_device = QRect(dx0, dy0, dx1 - dx0, dy1 - dy0);
  int cx0 = 0, cx1 = 0, cy0 = 0, cy1 = 0;
  TSkinScale::CanvasSpan(m_scale, dpr, dx0, dx1, cx0, cx1);
  TSkinScale::CanvasSpan(m_scale, dpr, dy0, dy1, cy0, cy1);
  m_canvasOrigin = QPoint(cx0, cy0);
  m_canvas->SetSize(cx1 - cx0, cy1 - cy0);
  m_canvas->MakeCanvas(m_scale, at, m_canvasOrigin, widget.size());
  if (m_canvas->Empty()) return;
  if (m_form) {
    // The window's frame under the whole block: the margin pixels beside the widget's own area
    // are the frame's, as in the window's own picture.
    const TDDBitmap32& back = m_form->CanvasBackBuffer(m_scale);
    const int x0 = std::max(cx0, 0), x1 = std::min(cx1, back.Width());
    const int y0 = std::max(cy0, 0), y1 = std::min(cy1, back.Height());
    if (x1 > x0)
      for (int y = y0; y < y1; ++y)
        std::memcpy(m_canvas->ScanLine(y - cy0) + (x0 - cx0), back.ScanLine(y) + x0,
                    std::size_t(x1 - x0) * 4);
  }
  if (clearOwn) m_canvas->FillRect(0, 0, widget.width(), widget.height(), 0);
}

TScaledBlock::~TScaledBlock() = default;

QImage TScaledBlock::DeviceImage() const {
  return TSkinScale::Resample(*m_canvas, m_canvasOrigin.x(), m_canvasOrigin.y(), m_scale, m_dpr,
                              m_device.x(), m_device.y(), m_device.width(), m_device.height());
}

void TScaledBlock::Show(QPainter& painter) const {
  if (m_canvas->Empty()) return;
  DrawDevicePixels(painter, m_widget, m_dpr, DeviceImage(), m_device.x(), m_device.y());
}

void TScaledBlock::Show(QPainter& painter, const QImage& deviceImage) const {
  DrawDevicePixels(painter, m_widget, m_dpr, deviceImage, m_device.x(), m_device.y());
}

QTransform TScaledBlock::SkinToDevice() const {
  const QPoint at = m_widget.mapTo(m_widget.window(), QPoint(0, 0));
  return QTransform(m_dpr, 0, 0, m_dpr, at.x() * m_dpr - m_device.x(), at.y() * m_dpr - m_device.y());
}

void TScaledBlock::DrawDevicePixels(QPainter& painter, const QWidget& widget, double dpr,
                                    const QImage& image, int deviceX, int deviceY) {
  if (image.isNull()) return;
  // The painter maps the widget's logical pixels to the window's device pixels (the screen's
  // scale, the widget's place); undone here, the image lands 1:1 on device pixels.
  const QTransform toDevice = painter.worldTransform().inverted() * painter.deviceTransform();
  const QPoint at = widget.mapTo(widget.window(), QPoint(0, 0));
  const QPointF origin = toDevice.map(QPointF(0, 0)) - QPointF(at) * dpr;
  const QTransform place = QTransform::fromTranslate(std::round(origin.x()) + deviceX,
                                                     std::round(origin.y()) + deviceY);
  painter.save();
  painter.setWorldTransform(place * toDevice.inverted());
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(QPointF(0, 0), image);
  painter.restore();
}

}  // namespace vireo
