#include "ddvcl/TDDFormEx.h"

#include <QPainter>
#include <exception>

#include "ddvcl/TDDWindow.h"
#include "ddvcl/TDDBitmapEx32.h"
#include "ddvcl/TScaledBlock.h"
#include "ddvcl/TSkinScale.h"

namespace vireo {

TDDFormEx::TDDFormEx(QWidget* parent) : TDDForm(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

const TDDBitmap32& TDDFormEx::BackBuffer() const {
  if (m_frame) m_frame->RenderIntoForm();
  return m_backBuffer;
}

TDDBitmap32& TDDFormEx::BackBuffer() {
  if (m_frame) m_frame->RenderIntoForm();
  return m_backBuffer;
}

void TDDFormEx::SetFrame(TDDWindow* frame) {
  m_frame = frame;
}

double TDDFormEx::CanvasScale() const {
  const double dpr = devicePixelRatioF();
  if (dpr == 1.0) return 1.0;
  if (!m_frame) return TSkinScale::PickArtScale({1.0}, dpr);
  return TSkinScale::PickArtScale(m_frame->Image().ArtScales(), dpr);
}

const TDDBitmap32& TDDFormEx::CanvasBackBuffer(double scale) const {
  if (scale == 1.0) return BackBuffer();
  if (!m_frame) return m_backBuffer.AtScale(scale);
  const quint64 generation = m_frame->Generation();
  if (m_canvasGeneration != generation || m_canvasBuffer.Scale() != scale ||
      m_canvasBuffer.SkinWidth() != width() || m_canvasBuffer.SkinHeight() != height()) {
    m_canvasGeneration = ~quint64(0);
    m_frame->RenderFrame(m_canvasBuffer, width(), height(), scale);
    m_canvasGeneration = generation;
  }
  return m_canvasBuffer;
}

void TDDFormEx::DrawScaled(QPainter& p, const QWidget& on) const {
  const double dpr = devicePixelRatioF();
  const double scale = CanvasScale();
  const TDDBitmap32& canvas = CanvasBackBuffer(scale);
  const quint64 generation = m_frame ? m_frame->Generation() : ~quint64(1);
  const int w = TSkinScale::DeviceCeil(dpr, width()), h = TSkinScale::DeviceCeil(dpr, height());
  if (!m_frame || m_deviceGeneration != generation || m_deviceKey[0] != dpr ||
      m_deviceKey[1] != scale || m_deviceImage.size() != QSize(w, h)) {
    m_deviceImage = TSkinScale::Resample(canvas, 0, 0, scale, dpr, 0, 0, w, h);
    m_deviceGeneration = generation;
    m_deviceKey[0] = dpr;
    m_deviceKey[1] = scale;
  }
  TScaledBlock::DrawDevicePixels(p, on, dpr, m_deviceImage, 0, 0);
}

void TDDFormEx::paintEvent(QPaintEvent*) {
  QPainter p(this);
  try {
    if (devicePixelRatioF() == 1.0)
      BackBuffer().CopyToDC(p, 0, 0);
    else
      DrawScaled(p, *this);
  } catch (const std::exception&) {
    // No memory for the frame: this paint is skipped, the next one tries again.
  }
  if (OnPaint) OnPaint(this, p);
}

}  // namespace vireo
