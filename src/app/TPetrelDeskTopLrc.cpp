#include "app/TPetrelDeskTopLrc.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "app/TPetrelDlrcButton.h"
#include "app/X11Desktop.h"

namespace vireo {

TPetrelDeskTopLrc::TPetrelDeskTopLrc()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus) {
  setObjectName(QStringLiteral("PetrelDeskTopLrc"));
  setWindowTitle(tr("Vireo 桌面歌词"));
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_QuitOnClose, false);
  setMouseTracking(true);
  resize(574, 92);
  m_composited = X11Desktop::CompositorRunning();
  // A compositing manager may start or stop while the player runs; the window follows it.
  m_compositorCheck.setInterval(2000);
  connect(&m_compositorCheck, &QTimer::timeout, this, [this] { FollowCompositor(); });
  PlaceDefault();
  // Set last: changing window flags afterwards would make a new native window.
  X11Desktop::SetWindowClass(this, QStringLiteral("Vireo 桌面歌词"));
}

TPetrelDeskTopLrc::~TPetrelDeskTopLrc() = default;

void TPetrelDeskTopLrc::SetToolbar(TPetrelDlrcButton* toolbar) {
  m_toolbar = toolbar;
}

void TPetrelDeskTopLrc::PlaceDefault() {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  const QRect sg = s->geometry();
  const QRect wa = s->availableGeometry();
  resize(sg.width() - 50, height());
  move(sg.left() + 25, wa.bottom() + 1 - height());
}

void TPetrelDeskTopLrc::ShowText(const QString& text) {
  if (text == m_currentText && !m_image.isNull()) return;
  m_currentText = text;
  Render();
}

void TPetrelDeskTopLrc::Render() {
  ++m_renders;
  const qreal dpr = screen() ? screen()->devicePixelRatio() : devicePixelRatioF();
  m_image = DesktopLyricPainter::Render(m_currentText, m_style, width(), height(), dpr);
  ApplyShape();
  update();
}

void TPetrelDeskTopLrc::ApplyShape() {
  if (m_alpha == 0 || m_image.isNull()) {
    m_region = QRegion();
  } else {
    // Every pixel the text touches belongs to the glyphs.
    QImage mask = m_image.createAlphaMask(Qt::AutoColor | Qt::DiffuseDither);
    mask.setDevicePixelRatio(1.0);
    QRegion device(QBitmap::fromImage(mask));
    const qreal dpr = m_image.devicePixelRatio();
    if (qFuzzyCompare(dpr, 1.0)) {
      m_region = device;
    } else {
      QRegion logical;
      for (const QRect& r : device)
        logical += QRect(QPoint(int(r.left() / dpr), int(r.top() / dpr)),
                         QPoint(int(r.right() / dpr), int(r.bottom() / dpr)));
      m_region = logical;
    }
  }
  if (!isVisible()) return;
  if (m_composited) {
    clearMask();
    // An empty input shape makes the window untouchable; Qt's mask cannot say "nothing".
    X11Desktop::SetInputShape(this, m_region);
  } else {
    // Without a compositor only the glyphs are part of the window at all.
    setMask(m_region.isEmpty() ? QRegion(0, 0, 1, 1) : m_region);
    X11Desktop::SetInputShape(this, m_region);
  }
}

void TPetrelDeskTopLrc::FollowCompositor() {
  const bool now = X11Desktop::CompositorRunning();
  if (now == m_composited) return;
  m_composited = now;
  ApplyShape();
  update();
}

void TPetrelDeskTopLrc::SetColorBegin(const QColor& c) {
  m_style.ColorBegin = c;
  if (!m_image.isNull()) Render();
}
void TPetrelDeskTopLrc::SetColorEnd(const QColor& c) {
  m_style.ColorEnd = c;
  if (!m_image.isNull()) Render();
}
void TPetrelDeskTopLrc::SetOutlineColor(const QColor& c) {
  m_style.OutlineColor = c;
  if (!m_image.isNull()) Render();
}
void TPetrelDeskTopLrc::SetAlpha(int alpha) {
  m_alpha = qBound(0, alpha, 255);
  ApplyShape();
  update();
}
void TPetrelDeskTopLrc::SetTextFont(const QString& face, int size) {
  if (!face.isEmpty()) m_style.Face = face;
  if (size > 0) m_style.Size = size;
  if (!m_image.isNull()) Render();
}
void TPetrelDeskTopLrc::SetWindowHeight(int h) {
  if (h <= 0 || h == height()) return;
  // The line stays on the bottom of the work area: a skin's height keeps the bottom edge.
  const int bottom = y() + height();
  setGeometry(x(), bottom - h, width(), h);
}

void TPetrelDeskTopLrc::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!m_image.isNull()) Render();
}

void TPetrelDeskTopLrc::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  m_composited = X11Desktop::CompositorRunning();
  m_compositorCheck.start();
  ShowText(tr(kWelcome));
  ApplyShape();
  // A window manager that reparents the window learns its input shape only from the shape events
  // it gets once it manages the window; a shape set before that is lost on its frame, which
  // would then take every click. The first paint comes after the map, so the shape goes again.
  m_reshapeWhenMapped = true;
}

void TPetrelDeskTopLrc::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  m_compositorCheck.stop();
}

void TPetrelDeskTopLrc::paintEvent(QPaintEvent*) {
  if (m_reshapeWhenMapped) {
    m_reshapeWhenMapped = false;
    X11Desktop::SetInputShape(this, m_region);
  }
  QPainter p(this);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.fillRect(rect(), Qt::transparent);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setOpacity(m_alpha / 255.0);
  p.drawImage(QPoint(0, 0), m_image);
}

void TPetrelDeskTopLrc::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  Q_EMIT Hovered();
}

void TPetrelDeskTopLrc::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  Q_EMIT Hovered();
}

}  // namespace vireo
