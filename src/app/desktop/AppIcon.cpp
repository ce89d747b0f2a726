#include "app/desktop/AppIcon.h"

#include <QFileInfo>
#include <QPainter>

#include "app/desktop/DesktopEntry.h"
#include "base/AppFolders.h"

namespace vireo {

QPixmap AppIcon::Pixmap(int size) {
  QPixmap mark(size, size);
  mark.fill(Qt::transparent);
  QPainter p(&mark);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const qreal inset = size / 16.0;
  QRectF disc(inset, inset, size - 2 * inset, size - 2 * inset);
  QLinearGradient fill(disc.topLeft(), disc.bottomLeft());
  fill.setColorAt(0, QColor(0x5e, 0xe8, 0x9c));
  fill.setColorAt(1, QColor(0x1f, 0xb8, 0x66));
  p.setBrush(fill);
  p.setPen(Qt::NoPen);
  p.drawEllipse(disc);
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPixelSize(qMax(6, int(size * 0.52)));
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(0x14, 0x17, 0x1c));
  p.drawText(disc, Qt::AlignCenter, QStringLiteral("雀"));
  return mark;
}

QIcon AppIcon::Icon() {
  const QString id = QLatin1String(DesktopEntry::kId);
  const QIcon themed = QIcon::fromTheme(id);
  if (!themed.isNull()) return themed;
  const QString beside = AppFolders::Current().DataDir() + QStringLiteral("icons/") + id +
                         QStringLiteral(".png");
  QIcon icon;
  // One large image beside a build or portable player: the small sizes a task list and a window
  // switcher ask for are made from it once, smoothly, rather than by each of them.
  const QPixmap large(QFileInfo::exists(beside) ? beside : QString());
  if (!large.isNull()) {
    for (int size : {16, 22, 24, 32, 48, 64, 128})
      icon.addPixmap(large.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon.addPixmap(large);
    return icon;
  }
  for (int size : {16, 22, 24, 32, 48, 64, 128}) icon.addPixmap(Pixmap(size));
  return icon;
}

}  // namespace vireo
