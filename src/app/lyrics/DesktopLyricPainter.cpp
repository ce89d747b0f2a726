#include "app/lyrics/DesktopLyricPainter.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
#include <QTextOption>

#include "app/lyrics/DesktopGlyphCache.h"

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

using Glyphs = QList<DesktopGlyphCache::Glyph>;

// The glyphs of one line, laid out as a single line centred horizontally in W, the em box
// starting at top.
Glyphs LineGlyphs(const QString& text, const QFont& font, int w, qreal top);
void StrokeGlyphs(QPainter& p, const Glyphs& glyphs, const DesktopLyricStyle& style);
void FillGlyphs(QPainter& p, const Glyphs& glyphs, qreal top, const DesktopLyricStyle& style,
                int s);

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
  const Glyphs glyphs = text.isEmpty() ? Glyphs() : LineGlyphs(text, LineFont(style.Face, s), w, 5.0);
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
  const Glyphs glyphs = LineGlyphs(text, font, w, top);
  // Every outline first, then every fill: the fill covers the inner half of each outline and
  // neighbouring glyphs' outlines never cut into a fill.
  StrokeGlyphs(p, glyphs, style);
  FillGlyphs(p, glyphs, top, style, s);
}

Glyphs LineGlyphs(const QString& text, const QFont& font, int w, qreal top) {
  // The text glyph by glyph, laid out as a single line centred horizontally in (0, 5, W, H); the
  // em box starts at the top of that rectangle as the path text of the layered window did.
  // Drawn glyph by glyph it looks the same as one path for the whole line but costs a quarter:
  // the rasterizer's work grows with the width each outline spans; and a glyph drawn once is
  // then a picture (DesktopGlyphCache).
  const QFontMetricsF fm(font);
  const qreal advance = fm.horizontalAdvance(text);
  const QPointF origin((qreal(w) - advance) / 2.0, top);
  QTextLayout layout(text, font);
  const QTextLine line = LayOutOneLine(layout);
  Glyphs glyphs;
  if (line.isValid()) {
    for (const QGlyphRun& run : line.glyphRuns()) {
      const QRawFont raw = run.rawFont();
      const QList<quint32> indexes = run.glyphIndexes();
      const QList<QPointF> positions = run.positions();
      for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i)
        glyphs.append({raw, indexes[i], origin + positions[i]});
    }
  }
  return glyphs;
}

qreal RatioOf(const QPainter& p) {
  const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
  return dpr > 0 ? dpr : 1.0;
}

void StrokeGlyphs(QPainter& p, const Glyphs& glyphs, const DesktopLyricStyle& style) {
  DesktopGlyphCache::Layer layer;
  layer.Stroke = true;
  layer.Pen = QColor(style.OutlineColor.rgb());
  const qreal dpr = RatioOf(p);
  for (const auto& glyph : glyphs) DesktopGlyphCache::Shared().Draw(p, dpr, glyph, layer);
}

void FillGlyphs(QPainter& p, const Glyphs& glyphs, qreal top, const DesktopLyricStyle& style,
                int s) {
  DesktopGlyphCache::Layer layer;
  layer.Stroke = false;
  layer.Begin = QColor(style.ColorBegin.rgb());
  layer.End = QColor(style.ColorEnd.rgb());
  layer.GradientTop = top;
  layer.GradientSize = s;
  const qreal dpr = RatioOf(p);
  for (const auto& glyph : glyphs) DesktopGlyphCache::Shared().Draw(p, dpr, glyph, layer);
}

}  // namespace

}  // namespace vireo
