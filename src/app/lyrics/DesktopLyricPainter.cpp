#include "app/lyrics/DesktopLyricPainter.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
#include <QTextOption>

namespace vireo {

namespace {

QFont LineFont(const QString& face, int pixels) {
  QFont font(face);
  font.setPixelSize(qMax(1, pixels));
  font.setBold(true);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

int TranslationSize(int s) {
  return qMax(10, s * 9 / 20);
}

// Strokes then fills one line of text, centred in (0, top, W, ...), the gradient starting at
// gradientTop and repeating every gradientSize pixels.
void PaintLine(QPainter& p, const QString& text, const QFont& font, int w, qreal top,
               const DesktopLyricStyle& style, int gradientSize);

// The glyphs of one line as paths, laid out as a single line centred horizontally in W, the em
// box starting at top.
QList<QPainterPath> LineGlyphs(const QString& text, const QFont& font, int w, qreal top);
void StrokeGlyphs(QPainter& p, const QList<QPainterPath>& glyphs, const DesktopLyricStyle& style);
void FillGlyphs(QPainter& p, const QList<QPainterPath>& glyphs, qreal top,
                const DesktopLyricStyle& style, int s);

// The whole text as one line, never wrapped; the line lives as long as the layout.
QTextLine LayOutOneLine(QTextLayout& layout) {
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  layout.endLayout();
  return line;
}

}  // namespace

DesktopLyricStyle DesktopLyricPainter::Unsung(const DesktopLyricStyle& style) {
  auto pale = [](const QColor& c) {
    const QColor to(0xF0, 0xF0, 0xF0);
    return QColor((c.red() * 35 + to.red() * 65) / 100, (c.green() * 35 + to.green() * 65) / 100,
                  (c.blue() * 35 + to.blue() * 65) / 100);
  };
  DesktopLyricStyle out = style;
  out.ColorBegin = pale(style.ColorBegin);
  out.ColorEnd = pale(style.ColorEnd);
  return out;
}

QList<qreal> DesktopLyricPainter::CursorXs(const QString& text, const DesktopLyricStyle& style,
                                           int w, const QList<int>& positions) {
  const QFont font = LineFont(style.Face, style.Size);
  QTextLayout layout(text, font);
  const QTextLine line = LayOutOneLine(layout);
  const qreal advance = QFontMetricsF(font).horizontalAdvance(text);
  const qreal left = (qreal(w) - advance) / 2.0;
  QList<qreal> xs;
  for (int pos : positions)
    xs.append(left + (line.isValid() ? line.cursorToX(qBound(0, pos, int(text.size()))) : 0));
  return xs;
}

int DesktopLyricPainter::LineRowBottom(const DesktopLyricStyle& style) {
  return 5 + QFontMetrics(LineFont(style.Face, style.Size)).height() + 2;
}

int DesktopLyricPainter::HeightWithTranslation(const DesktopLyricStyle& style) {
  return LineRowBottom(style) +
         QFontMetrics(LineFont(style.Face, TranslationSize(style.Size))).height() + 6;
}

void DesktopLyricPainter::RenderKaraoke(const QString& text, const DesktopLyricStyle& style, int w,
                                        int h, qreal dpr, const QString& translation, QImage* lit,
                                        QImage* unsung) {
  if (dpr <= 0) dpr = 1.0;
  const int rowH = qMin(h, LineRowBottom(style));
  QImage row(QSize(qMax(1, qRound(w * dpr)), qMax(1, qRound(rowH * dpr))),
             QImage::Format_ARGB32_Premultiplied);
  row.setDevicePixelRatio(dpr);
  row.fill(Qt::transparent);
  const int s = qMax(1, style.Size);
  const QList<QPainterPath> glyphs =
      text.isEmpty() ? QList<QPainterPath>() : LineGlyphs(text, LineFont(style.Face, s), w, 5.0);
  // The outline once, on the row both copies share.
  {
    QPainter p(&row);
    p.setRenderHint(QPainter::Antialiasing, true);
    StrokeGlyphs(p, glyphs, style);
  }
  QImage image(QSize(qMax(1, qRound(w * dpr)), qMax(1, qRound(h * dpr))),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPointF(0, 0), row);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    FillGlyphs(p, glyphs, 5.0, style, s);
    if (!translation.isEmpty())
      PaintLine(p, translation, LineFont(style.Face, TranslationSize(s)), w, LineRowBottom(style),
                style, TranslationSize(s));
  }
  {
    QPainter p(&row);
    p.setRenderHint(QPainter::Antialiasing, true);
    FillGlyphs(p, glyphs, 5.0, Unsung(style), s);
  }
  *lit = std::move(image);
  *unsung = std::move(row);
}

QImage DesktopLyricPainter::Render(const QString& text, const DesktopLyricStyle& style, int w,
                                   int h, qreal dpr, const QString& translation) {
  if (dpr <= 0) dpr = 1.0;
  QImage image(QSize(qMax(1, qRound(w * dpr)), qMax(1, qRound(h * dpr))),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(Qt::transparent);
  if (text.isEmpty()) return image;

  const int s = qMax(1, style.Size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  PaintLine(p, text, LineFont(style.Face, s), w, 5.0, style, s);
  if (!translation.isEmpty())
    PaintLine(p, translation, LineFont(style.Face, TranslationSize(s)), w,
              LineRowBottom(style), style, TranslationSize(s));
  p.end();
  return image;
}

namespace {

void PaintLine(QPainter& p, const QString& text, const QFont& font, int w, qreal top,
               const DesktopLyricStyle& style, int s) {
  const QList<QPainterPath> glyphs = LineGlyphs(text, font, w, top);
  // Every outline first, then every fill: the fill covers the inner half of each outline and
  // neighbouring glyphs' outlines never cut into a fill.
  StrokeGlyphs(p, glyphs, style);
  FillGlyphs(p, glyphs, top, style, s);
}

QList<QPainterPath> LineGlyphs(const QString& text, const QFont& font, int w, qreal top) {
  // The text as one path per glyph, laid out as a single line centred horizontally in
  // (0, 5, W, H); the em box starts at the top of that rectangle as the path text of the layered
  // window did. Stroking and filling glyph by glyph looks the same as one path for the whole line
  // but costs a quarter: the rasterizer's work grows with the width each outline spans.
  const QFontMetricsF fm(font);
  const qreal advance = fm.horizontalAdvance(text);
  const QPointF origin((qreal(w) - advance) / 2.0, top);
  QTextLayout layout(text, font);
  const QTextLine line = LayOutOneLine(layout);
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
  return glyphs;
}

void StrokeGlyphs(QPainter& p, const QList<QPainterPath>& glyphs, const DesktopLyricStyle& style) {
  p.setPen(QPen(QColor(style.OutlineColor.rgb()), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  for (const QPainterPath& glyph : glyphs) p.drawPath(glyph);
}

void FillGlyphs(QPainter& p, const QList<QPainterPath>& glyphs, qreal top,
                const DesktopLyricStyle& style, int s) {
  QLinearGradient gradient(QPointF(0, top), QPointF(0, top + s));
  gradient.setColorAt(0, QColor(style.ColorBegin.rgb()));
  gradient.setColorAt(1, QColor(style.ColorEnd.rgb()));
  gradient.setSpread(QGradient::ReflectSpread);
  for (const QPainterPath& glyph : glyphs) p.fillPath(glyph, gradient);
}

}  // namespace

}  // namespace vireo
