#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QString>

namespace vireo {

// Draws one line of desktop lyrics: the text as a path, bold, in the given face at size S pixels,
// centred in (0, 5, W, H); a 3-pixel outline first, then a vertical gradient from the begin to
// the end colour over S pixels (mirrored and repeating downwards) filled over it, anti-aliased.
// The result has straight per-pixel alpha on a transparent background. Pure drawing: no window,
// usable off the screen (tests, benchmarks).
struct DesktopLyricStyle {
  QString Face = QStringLiteral("WenQuanYi Micro Hei");
  int Size = 48;  // S: the font size in points, drawn as pixels
  QColor ColorBegin = QColor(0x9b, 0xf5, 0xc0);
  QColor ColorEnd = QColor(0x1f, 0xa8, 0x5b);
  QColor OutlineColor = QColor(0x10, 0x14, 0x18);
};

class DesktopLyricPainter {
 public:
  // A W x H logical image rendered at devicePixelRatio (crisp on 200 % screens). A translation
  // goes in a second row under the line, smaller, in the same outline and gradient.
  static QImage Render(const QString& text, const DesktopLyricStyle& style, int width, int height,
                       qreal devicePixelRatio = 1.0, const QString& translation = {});
  // A karaoke line in one pass: *lit as Render draws it, and *unsung, the line's own row
  // (LineRowBottom high) with the same outline and the gradient of Unsung(style); one layout
  // and one outline serve both.
  static void RenderKaraoke(const QString& text, const DesktopLyricStyle& style, int width,
                            int height, qreal devicePixelRatio, const QString& translation,
                            QImage* lit, QImage* unsung);
  // The style of a karaoke line's part not sung yet: the same outline, the gradient paled.
  static DesktopLyricStyle Unsung(const DesktopLyricStyle& style);
  // Where each of the given positions of the text (UTF-16 indexes, 0..length) lies on the line
  // as Render lays it out in a window W wide, in logical pixels.
  static QList<qreal> CursorXs(const QString& text, const DesktopLyricStyle& style, int width,
                               const QList<int>& positions);
  // The window height a line and a translation row need at the style's size.
  static int HeightWithTranslation(const DesktopLyricStyle& style);
  // The bottom of the line's own row: the karaoke fill covers the rows above it.
  static int LineRowBottom(const DesktopLyricStyle& style);
};

}  // namespace vireo
