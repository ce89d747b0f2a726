#include "app/DesktopLyricPainter.h"

#include <QGlyphRun>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
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

  // The text as one path per glyph, laid out as a single line centred horizontally in
  // (0, 5, W, H); the em box starts at the top of that rectangle as the path text of the layered
  // window did. Stroking and filling glyph by glyph looks the same as one path for the whole line
  // but costs a quarter: the rasterizer's work grows with the width each outline spans.
  const QFontMetricsF fm(font);
  const qreal advance = fm.horizontalAdvance(text);
  const QPointF origin((qreal(w) - advance) / 2.0, 5.0);
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  layout.endLayout();
  QList<QPainterPath> glyphs;
  if (line.isValid()) {
    for (const QGlyphRun& run : line.glyphRuns()) {
      const QRawFont raw = run.rawFont();
      const QList<quint32> indexes = run.glyphIndexes();
      const QList<QPointF> positions = run.positions();
      for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
        QPainterPath glyph = raw.pathForGlyph(indexes[i]);
        if (glyph.isEmpty()) continue;
        glyph.translate(origin + positions[i]);
        glyphs.append(std::move(glyph));
      }
    }
  }

  QLinearGradient gradient(QPointF(0, 5), QPointF(0, 5 + s));
  gradient.setColorAt(0, QColor(style.ColorBegin.rgb()));
  gradient.setColorAt(1, QColor(style.ColorEnd.rgb()));
  gradient.setSpread(QGradient::ReflectSpread);

  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  // Every outline first, then every fill: the fill covers the inner half of each outline and
  // neighbouring glyphs' outlines never cut into a fill.
  p.setPen(QPen(QColor(style.OutlineColor.rgb()), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  for (const QPainterPath& glyph : glyphs) p.drawPath(glyph);
  for (const QPainterPath& glyph : glyphs) p.fillPath(glyph, gradient);
  p.end();
  return image;
}

}  // namespace vireo
