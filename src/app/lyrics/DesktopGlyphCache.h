#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRawFont>

class QPainter;

namespace vireo {

// The desktop lyrics' glyphs, each drawn once and then put in place as a picture. An outlined
// glyph as large as the desktop lyrics' costs a fraction of a millisecond to stroke (most of it
// in the stroker's round joins) and the lines of a song share most of their characters, so a
// new line mostly costs its blits. A glyph is rasterized once, as its coverage; its outline is
// that coverage grown by half the pen's width (what a round-joined pen reaches outside the
// glyph) and its fills are the coverage in their gradients, so a karaoke line's three layers
// cost one rasterization. One picture per glyph, layer (the outline, or the fill with its
// colours), device pixel ratio and place within a quarter of a device pixel. Every outline of
// a line is still drawn before every fill, so no neighbour's outline cuts into a fill.
//
// The pictures are dropped all at once when they pass kBudgetBytes.
//
// UI thread only (one process-wide cache, DesktopGlyphCache::Shared()).
class DesktopGlyphCache {
 public:
  static constexpr qsizetype kBudgetBytes = 16 * 1024 * 1024;

  // A glyph of a laid-out line: its font, its index in the font and its origin in logical
  // pixels.
  struct Glyph {
    QRawFont Font;
    quint32 Index = 0;
    QPointF Origin;
  };
  // What a glyph's picture shows: its 3-pixel outline, or its fill with a vertical gradient
  // from Begin at GradientTop to End at GradientTop + GradientSize (mirrored beyond), in logical
  // pixels.
  struct Layer {
    bool Stroke = true;
    QColor Pen;  // the outline's colour
    QColor Begin, End;
    qreal GradientTop = 0;
    int GradientSize = 1;
  };

  static DesktopGlyphCache& Shared();

  // Draws the glyph's layer on p, whose device is an image at device pixel ratio dpr (the
  // painter's transform is that ratio alone).
  void Draw(QPainter& p, qreal dpr, const Glyph& glyph, const Layer& layer);

  int Hits() const { return hits_; }
  int Misses() const { return misses_; }
  void Clear();

 private:
  struct Sprite {
    QImage Image;   // device pixels, premultiplied
    QPoint Offset;  // its top-left from the glyph's device origin, rounded down
  };
  // The glyph's anti-aliased coverage (alpha only) at its quarter-pixel place.
  static Sprite Coverage(qreal dpr, const Glyph& glyph, QPointF fraction);
  // A layer from the coverage; deviceRow: the whole device row the glyph's origin is in, for
  // the gradient's phase.
  static Sprite Colour(const Sprite& coverage, const Layer& layer, qreal dpr, int deviceRow);
  // Half the outline's width, in device pixels.
  static qreal OutlineRadius(qreal dpr);
  QHash<QByteArray, Sprite>::const_iterator Keep(const QByteArray& key, Sprite sprite);

  QHash<QByteArray, Sprite> sprites_;
  qsizetype bytes_ = 0;
  int hits_ = 0;
  int misses_ = 0;
};

}  // namespace vireo
