#include "ddvcl/TDDBitmapEx32.h"

#include <QFontMetrics>
#include <QMutex>
#include <QPainter>

namespace vireo {

namespace {

// The 8 x 8 surface on which empty bitmaps measure their text, shared by all of them.
struct MeasureSurface {
  QImage image{8, 8, QImage::Format_ARGB32};
  QMutex lock;
};
MeasureSurface& Measure() {
  static MeasureSurface surface;
  return surface;
}

}  // namespace

TDDBitmapEx32::TDDBitmapEx32() = default;
TDDBitmapEx32::~TDDBitmapEx32() = default;

void TDDBitmapEx32::SetFont(const QFont& font) {
  m_font = font;
  FontChanged();
}

void TDDBitmapEx32::SetFontColor(TColorRef color) {
  m_fontColor = color;
  FontChanged();
}

void TDDBitmapEx32::FontChanged() {}

QSize TDDBitmapEx32::TextExtent(const QString& text) const {
  if (!Empty()) {
    const QFontMetrics fm(m_font, &Image());
    return QSize(fm.horizontalAdvance(text), fm.height());
  }
  MeasureSurface& m = Measure();
  QSize size;
  {
    QMutexLocker locker(&m.lock);
    const QFontMetrics fm(m_font, &m.image);
    size = QSize(fm.horizontalAdvance(text), fm.height());
  }
  const int n = int(text.count(QLatin1StringView("\r\n")));
  if (n > 0) size = QSize(size.width() + 2 * n, size.height() * (n + 1));
  return size;
}

void TDDBitmapEx32::TextOut(int x, int y, const QString& text) {
  if (!Empty()) {
    QPainter p(&Image());
    p.setFont(m_font);
    p.setPen(QColor::fromRgb(ColorRefToRgb(m_fontColor)));
    const QFontMetrics fm(m_font, &Image());
    p.drawText(x, y + fm.ascent(), text);
  }
  Changed();
}

}  // namespace vireo
