#include "app/lyrics/DesktopGlyphCache.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QtMath>
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace vireo {

namespace {

// A device coordinate split into its whole pixel and a quarter-pixel step (0..3).
std::pair<int, int> Split(qreal device) {
  int whole = qFloor(device);
  int quarter = qRound((device - whole) * 4);
  if (quarter == 4) {
    ++whole;
    quarter = 0;
  }
  return {whole, quarter};
}

}  // namespace

DesktopGlyphCache& DesktopGlyphCache::Shared() {
  static DesktopGlyphCache cache;
  return cache;
}

void DesktopGlyphCache::Clear() {
  sprites_.clear();
  bytes_ = 0;
}

void DesktopGlyphCache::Draw(QPainter& p, qreal dpr, const Glyph& glyph, const Layer& layer) {
  const auto [x, qx] = Split(glyph.Origin.x() * dpr);
  const auto [y, qy] = Split(glyph.Origin.y() * dpr);
  const QString font = glyph.Font.familyName() + QLatin1Char('/') + glyph.Font.styleName() +
                       QLatin1Char('/') + QString::number(glyph.Font.pixelSize()) +
                       QLatin1Char('/') + QString::number(int(glyph.Font.weight()));
  QByteArray base = font.toUtf8();
  base += '|' + QByteArray::number(glyph.Index) + '|' + QByteArray::number(qRound(dpr * 1000)) +
          '|' + QByteArray::number(qx) + QByteArray::number(qy);
  QByteArray key = base;
  if (layer.Stroke) {
    key += "|s" + QByteArray::number(layer.Pen.rgba());
  } else {
    // The gradient's phase as the sprite sees it: from the glyph's whole device row.
    key += "|f" + QByteArray::number(layer.Begin.rgba()) + ',' +
           QByteArray::number(layer.End.rgba()) + ',' +
           QByteArray::number(qRound((layer.GradientTop * dpr - y) * 8)) + ',' +
           QByteArray::number(qRound(layer.GradientSize * dpr * 8));
  }
  auto found = sprites_.constFind(key);
  if (found == sprites_.constEnd()) {
    ++misses_;
    // Every layer of a glyph comes from its coverage, rasterized once.
    const QByteArray coverageKey = base + "|c";
    auto coverage = sprites_.constFind(coverageKey);
    if (coverage == sprites_.constEnd())
      coverage = Keep(coverageKey, Coverage(dpr, glyph, QPointF(qx / 4.0, qy / 4.0)));
    const Sprite made = Colour(*coverage, layer, dpr, y);
    found = Keep(key, made);
  } else {
    ++hits_;
  }
  if (found->Image.isNull()) return;
  // At the device's own pixels: the picture carries the ratio that the painter scales by, so
  // it lands on whole device pixels unresampled.
  const QPoint at = QPoint(x, y) + found->Offset;
  p.save();
  p.resetTransform();
  p.drawImage(QPointF(at.x() / dpr, at.y() / dpr), found->Image);
  p.restore();
}

QHash<QByteArray, DesktopGlyphCache::Sprite>::const_iterator DesktopGlyphCache::Keep(
    const QByteArray& key, Sprite sprite) {
  const qsizetype size = sprite.Image.sizeInBytes();
  if (bytes_ + size > kBudgetBytes) Clear();
  bytes_ += size;
  return sprites_.insert(key, std::move(sprite));
}

DesktopGlyphCache::Sprite DesktopGlyphCache::Coverage(qreal dpr, const Glyph& glyph,
                                                      QPointF fraction) {
  Sprite sprite;
  QPainterPath path = glyph.Font.pathForGlyph(glyph.Index);
  if (path.isEmpty()) return sprite;
  // The glyph at its place within the whole device pixel it starts in.
  path = QTransform(dpr, 0, 0, dpr, fraction.x(), fraction.y()).map(path);
  const qreal margin = OutlineRadius(dpr) + 3;  // the outline and its anti-aliased edge
  const QRectF bounds = path.boundingRect().adjusted(-margin, -margin, margin, margin);
  sprite.Offset = QPoint(qFloor(bounds.left()), qFloor(bounds.top()));
  const QSize size(qCeil(bounds.right()) - sprite.Offset.x(),
                   qCeil(bounds.bottom()) - sprite.Offset.y());
  sprite.Image = QImage(size, QImage::Format_Alpha8);
  sprite.Image.fill(0);
  QPainter p(&sprite.Image);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.translate(-sprite.Offset);
  p.fillPath(path, Qt::black);
  return sprite;
}

DesktopGlyphCache::Sprite DesktopGlyphCache::Colour(const Sprite& coverage, const Layer& layer,
                                                    qreal dpr, int deviceRow) {
  Sprite sprite;
  if (coverage.Image.isNull()) return sprite;
  const QImage& a = coverage.Image;
  const int w = a.width(), h = a.height();
  sprite.Offset = coverage.Offset;
  sprite.Image = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
  const auto premultiplied = [](int r, int g, int b, int alpha) {
    return qRgba(r * alpha / 255, g * alpha / 255, b * alpha / 255, alpha);
  };
  QRgb* pixels = reinterpret_cast<QRgb*>(sprite.Image.bits());
  const qsizetype outStride = sprite.Image.bytesPerLine() / 4;
  const uchar* bits = a.constBits();
  const qsizetype stride = a.bytesPerLine();
  if (layer.Stroke) {
    // The outline: a pen of three pixels with round joins reaches half its width outside the
    // glyph; inside, the fill covers it. That is the glyph grown by a disc of that radius, here
    // from the coverage: a pixel is as covered as the nearest covered pixel within the radius,
    // less its distance, so the grown edge keeps its anti-aliasing. (In 255ths of a pixel.)
    const qreal r = OutlineRadius(dpr);
    const int reach = qCeil(r + 1);
    const int radius = int(std::lround(r * 255));
    struct Tap {
      qsizetype at;  // offset in the coverage
      int d;         // distance, in 255ths
    };
    std::vector<Tap> taps;
    for (int dy = -reach; dy <= reach; ++dy)
      for (int dx = -reach; dx <= reach; ++dx) {
        const double d = std::hypot(dx, dy);
        if (d < r + 1) taps.push_back({dy * stride + dx, int(std::lround(d * 255))});
      }
    const int pr = layer.Pen.red(), pg = layer.Pen.green(), pb = layer.Pen.blue();
    QRgb shade[256];
    for (int alpha = 0; alpha < 256; ++alpha) shade[alpha] = premultiplied(pr, pg, pb, alpha);
    sprite.Image.fill(Qt::transparent);
    // The coverage's margin is wider than the reach: its outer band stays clear.
    for (int y = reach; y < h - reach; ++y) {
      QRgb* out = pixels + y * outStride;
      const uchar* row = bits + y * stride;
      for (int x = reach; x < w - reach; ++x) {
        if (row[x] == 255) {
          out[x] = shade[255];
          continue;
        }
        int best = INT_MIN;
        for (const Tap& t : taps) {
          const int c = row[x + t.at];
          if (c) best = std::max(best, c - t.d);
        }
        if (best != INT_MIN) out[x] = shade[std::clamp(radius + best, 0, 255)];
      }
    }
  } else {
    // The fill: the coverage in a vertical gradient, mirrored at each end, sampled at each
    // row's centre.
    const qreal top = layer.GradientTop * dpr - deviceRow - sprite.Offset.y();
    const qreal span = std::max<qreal>(1e-3, layer.GradientSize * dpr);
    const int br = layer.Begin.red(), bg = layer.Begin.green(), bb = layer.Begin.blue();
    const int er = layer.End.red(), eg = layer.End.green(), eb = layer.End.blue();
    for (int y = 0; y < h; ++y) {
      qreal t = std::fmod(std::abs((y + 0.5 - top) / span), 2.0);
      if (t > 1) t = 2 - t;
      const int cr = int(std::lround(br + (er - br) * t));
      const int cg = int(std::lround(bg + (eg - bg) * t));
      const int cb = int(std::lround(bb + (eb - bb) * t));
      const uchar* in = bits + y * stride;
      QRgb* out = pixels + y * outStride;
      for (int x = 0; x < w; ++x) out[x] = premultiplied(cr, cg, cb, in[x]);
    }
  }
  sprite.Image.setDevicePixelRatio(dpr);
  return sprite;
}

qreal DesktopGlyphCache::OutlineRadius(qreal dpr) {
  return 1.5 * dpr;
}

}  // namespace vireo
