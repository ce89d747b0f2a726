#include "app/librarywindow/LibraryIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vireo {

namespace {

constexpr int kSize = 20;

QIcon Draw(const std::function<void(QPainter&)>& paint) {
  QPixmap pm(kSize, kSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  paint(p);
  p.end();
  return QIcon(pm);
}

void Note(QPainter& p, const QColor& c) {
  p.setPen(QPen(c, 1.6));
  p.setBrush(c);
  p.drawEllipse(QRectF(4.5, 12.5, 5, 4));
  p.drawEllipse(QRectF(11.5, 10.5, 5, 4));
  p.drawLine(QPointF(9.2, 14.5), QPointF(9.2, 4.5));
  p.drawLine(QPointF(16.2, 12.5), QPointF(16.2, 2.8));
  p.drawLine(QPointF(9.2, 4.5), QPointF(16.2, 2.8));
}

}  // namespace

QList<QIcon> LibraryIcons(const QColor& ink, const QColor& accent) {
  QList<QIcon> icons;
  icons << Draw([&](QPainter& p) { Note(p, ink); });
  icons << Draw([&](QPainter& p) {  // play
    p.setPen(QPen(accent, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2.5, 2.5, 15, 15));
    QPainterPath tri;
    tri.moveTo(8, 6.2);
    tri.lineTo(14.2, 10);
    tri.lineTo(8, 13.8);
    tri.closeSubpath();
    p.fillPath(tri, accent);
  });
  icons << Draw([&](QPainter& p) {  // detail row
    QColor c = ink;
    c.setAlphaF(0.55);
    p.setPen(QPen(c, 1.4));
    p.drawLine(QPointF(6, 6), QPointF(6, 11));
    p.drawLine(QPointF(6, 11), QPointF(13, 11));
    p.setBrush(c);
    p.drawEllipse(QRectF(12.5, 9.5, 3, 3));
  });
  icons << Draw([&](QPainter& p) {  // add
    p.setPen(QPen(accent, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2.5, 2.5, 15, 15));
    p.setPen(QPen(accent, 1.8));
    p.drawLine(QPointF(10, 6), QPointF(10, 14));
    p.drawLine(QPointF(6, 10), QPointF(14, 10));
  });
  icons << Draw([&](QPainter& p) {  // requested: the note with a tick
    QColor c = ink;
    c.setAlphaF(0.45);
    Note(p, c);
    p.setPen(QPen(accent, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(1.5, 6);
    tick.lineTo(4, 8.5);
    tick.lineTo(8.5, 2.5);
    p.drawPath(tick);
  });
  return icons;
}

void TCenteredIconDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QIcon icon = opt.icon;
  opt.icon = QIcon();
  opt.text.clear();
  opt.features &= ~QStyleOptionViewItem::HasDecoration;
  const QWidget* w = opt.widget;
  QStyle* style = w ? w->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
  if (icon.isNull()) return;
  const QSize s = opt.decorationSize.isValid() ? opt.decorationSize : QSize(kSize, kSize);
  const QRect r(opt.rect.center().x() - s.width() / 2 + 1,
                opt.rect.center().y() - s.height() / 2 + 1, s.width(), s.height());
  icon.paint(painter, r);
}

}  // namespace vireo
