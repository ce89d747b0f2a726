#include "app/lyrics/DesktopGlyphCache.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QtMath>
#include <cmath>

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
  QByteArray key = font.toUtf8();
  key += '|' + QByteArray::number(glyph.Index) + '|' + QByteArray::number(qRound(dpr * 1000)) +
         '|' + QByteArray::number(qx) + QByteArray::number(qy);
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
    Sprite sprite = Make(dpr, glyph, layer, QPointF(qx / 4.0, qy / 4.0), y);
    const qsizetype size = sprite.Image.sizeInBytes();
    if (bytes_ + size > kBudgetBytes) Clear();
    bytes_ += size;
    found = sprites_.insert(key, std::move(sprite));
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

DesktopGlyphCache::Sprite DesktopGlyphCache::Make(qreal dpr, const Glyph& glyph, const Layer& layer,
                                                  QPointF fraction, int deviceRow) const {
  Sprite sprite;
  QPainterPath path = glyph.Font.pathForGlyph(glyph.Index);
  if (path.isEmpty()) return sprite;
  // The glyph at its place within the whole device pixel it starts in.
  path = QTransform(dpr, 0, 0, dpr, fraction.x(), fraction.y()).map(path);
  const qreal margin = 1.5 * dpr + 2;  // half the outline and the anti-aliasing
  const QRectF bounds = path.boundingRect().adjusted(-margin, -margin, margin, margin);
  sprite.Offset = QPoint(qFloor(bounds.left()), qFloor(bounds.top()));
  const QSize size(qCeil(bounds.right()) - sprite.Offset.x(),
                   qCeil(bounds.bottom()) - sprite.Offset.y());
  sprite.Image = QImage(size, QImage::Format_ARGB32_Premultiplied);
  sprite.Image.fill(Qt::transparent);
  {
    QPainter p(&sprite.Image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(-sprite.Offset);
    if (layer.Stroke) {
      p.setPen(QPen(layer.Pen, 3.0 * dpr, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(Qt::NoBrush);
      p.drawPath(path);
    } else {
      QLinearGradient gradient(
          QPointF(0, layer.GradientTop * dpr - deviceRow),
          QPointF(0, (layer.GradientTop + layer.GradientSize) * dpr - deviceRow));
      gradient.setColorAt(0, layer.Begin);
      gradient.setColorAt(1, layer.End);
      gradient.setSpread(QGradient::ReflectSpread);
      p.fillPath(path, gradient);
    }
  }
  sprite.Image.setDevicePixelRatio(dpr);
  return sprite;
}

}  // namespace vireo
