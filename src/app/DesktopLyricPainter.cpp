#include "app/DesktopLyricPainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextOption>

namespace vireo {

QImage DesktopLyricPainter::Render(const QString& text, const DesktopLyricStyle& style, int w,
                                   int h, qreal dpr) {
  if (dpr <= 0) dpr = 1.0;
  QImage image(QSize(qMax(1, qRound(w * dpr)), qMax(1, qRound(h * dpr))),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(Qt::transparent);
  if (text.isEmpty()) return image;

  const int s = qMax(1, style.Size);
  QFont font(style.Face);
  font.setPixelSize(s);
  font.setBold(true);
  font.setStyleStrategy(QFont::PreferAntialias);

  // The path of the text, centred horizontally in (0, 5, W, H); the em box starts at the top of
  // that rectangle as the path text of the layered window did.
  QPainterPath path;
  const QFontMetricsF fm(font);
  const qreal advance = fm.horizontalAdvance(text);
  const qreal x = (qreal(w) - advance) / 2.0;
  const qreal baseline = 5.0 + fm.ascent();
  path.addText(QPointF(x, baseline), font, text);

  QLinearGradient gradient(QPointF(0, 5), QPointF(0, 5 + s));
  gradient.setColorAt(0, QColor(style.ColorBegin.rgb()));
  gradient.setColorAt(1, QColor(style.ColorEnd.rgb()));
  gradient.setSpread(QGradient::ReflectSpread);

  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(style.OutlineColor.rgb()), 3.0, Qt::SolidLine, Qt::RoundCap,
                Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.fillPath(path, gradient);
  p.end();
  return image;
}

}  // namespace vireo
