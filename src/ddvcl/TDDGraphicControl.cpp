#include "ddvcl/TDDGraphicControl.h"

#include <QPainter>
#include <exception>

#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TDDBitmapEx32.h"
#include "ddvcl/TScaledBlock.h"
#include "ddvcl/TSkinScale.h"

namespace vireo {

TDDGraphicControl::TDDGraphicControl(QWidget* parent) : TDDCustomControl(parent) {
  setCursor(Qt::ArrowCursor);
  m_image.OnChange = [this](TDDNotifiablePersistent*) { update(); };
}

void TDDGraphicControl::SetImage(const TDDBitmap32& value) {
  m_image.Assign(&value);
  AppearanceChanged();
  Paint();
}

void TDDGraphicControl::SetColor(TColorRef color) {
  m_color = color;
  AppearanceChanged();
  update();
}

void TDDGraphicControl::CopyParentBackground(TDDBitmap32& buffer) const {
  const auto* form = qobject_cast<const TDDFormEx*>(parentWidget());
  if (!form) return;
  const TDDBitmap32& back =
      buffer.IsCanvas() ? form->CanvasBackBuffer(buffer.Scale()) : form->BackBuffer();
  if (back.Empty()) return;
  back.CopyRectTo(buffer, 0, 0, TRect::FromSize(x(), y(), width(), height()));
}

void TDDGraphicControl::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
}
void TDDGraphicControl::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
}

void TDDGraphicControl::Compose(TDDBitmap32& buffer) {
  CopyParentBackground(buffer);
}

void TDDGraphicControl::RenderTo(TDDBitmap32& buffer) {
  buffer.SetSize(width(), height());
  if (!buffer.Empty()) buffer.Clear(0);
  Compose(buffer);
  if (isEnabled() || !FadesWhenDisabled() || buffer.Empty()) return;
  TDDBitmap32 faded;
  faded.SetSize(width(), height());
  faded.Clear(0);
  CopyParentBackground(faded);
  buffer.BlendTo(faded, 0, 0, TRect::FromSize(0, 0, width(), height()), kDisabledAlpha);
  buffer.Assign(&faded);
}

void TDDGraphicControl::RenderScaled(QPainter& p, double dpr) {
  const bool onForm = qobject_cast<const TDDFormEx*>(parentWidget()) != nullptr;
  TScaledBlock block(*this, dpr, TSkinScale::PickArtScale(Image().ArtScales(), dpr), !onForm);
  TDDBitmap32& canvas = block.Canvas();
  if (canvas.Empty()) return;
  Compose(canvas);
  if (!isEnabled() && FadesWhenDisabled()) {
    TScaledBlock faded(*this, dpr, block.Scale(), !onForm);
    CopyParentBackground(faded.Canvas());
    canvas.BlendTo(faded.Canvas(), 0, 0, TRect::FromSize(0, 0, width(), height()), kDisabledAlpha);
    faded.Show(p);
    return;
  }
  block.Show(p);
}

void TDDGraphicControl::paintEvent(QPaintEvent*) {
  // A buffer that cannot be had skips this paint; the next one tries again.
  try {
    const double dpr = devicePixelRatioF();
    if (dpr != 1.0) {
      QPainter p(this);
      RenderScaled(p, dpr);
      return;
    }
    TDDBitmap32 buffer;
    RenderTo(buffer);
    QPainter p(this);
    buffer.CopyToDC(p, 0, 0);
  } catch (const std::exception&) {
  }
}

void TDDGraphicControl::Paint() {
  // A request, not a paint: the controls that change in one pass of the event loop (the slider,
  // the time and the spectrum on a progress tick) then reach the X server in one flush of their
  // window instead of one each.
  if (isVisible()) update();
}

}  // namespace vireo
