#include "app/lyrics/TPetrelDlrcButton.h"

#include <QFrame>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <algorithm>

#include "app/desktop/X11Desktop.h"
#include "app/lyrics/TPetrelDeskTopLrc.h"
#include "app/skinning/ScreenFit.h"

namespace vireo {

namespace {
// The toolbar's design width: the buttons keep their distance to its right edge.
constexpr int kDesignWidth = 310;
// The strip that holds the buttons, above the lyrics' own top.
constexpr int kStripHeight = 31;
// Its width over the lyrics.
constexpr int kWidth = 800;
}  // namespace

TPetrelDlrcButton::TPetrelDlrcButton(TPetrelDeskTopLrc* lyrics)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_lyrics(lyrics) {
  setObjectName(QStringLiteral("PetrelDlrcButton"));
  setWindowTitle(tr("Vireo 桌面歌词操作"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowOpacity(120.0 / 255.0);
  setCursor(Qt::SizeAllCursor);
  setMouseTracking(true);
  resize(kDesignWidth, 98);

  QFont f(QStringLiteral("WenQuanYi Micro Hei"));
  f.setPixelSize(12);
  f.setBold(true);
  auto button = [&](const char* name, const QString& caption, const QString& hint) {
    auto* b = new QToolButton(this);
    b->setObjectName(QLatin1StringView(name));
    b->setText(caption);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFont(f);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QToolButton { color: navy; }"));
    b->installEventFilter(this);
    return b;
  };
  auto bevel = [&] {
    auto* b = new QFrame(this);
    b->setFrameShape(QFrame::VLine);
    b->setFrameShadow(QFrame::Sunken);
    return b;
  };
  btn_b5 = button("btn_b5", QStringLiteral("<"), tr("后退0.5秒"));
  btn_f5 = button("btn_f5", QStringLiteral(">"), tr("前进0.5秒"));
  bvl1 = bevel();
  btn_sh = button("btn_sh", tr("搜索歌词"), QString());
  btn_lrcwindow = button("btn_lrcwindow", tr("切换"), tr("切换到窗口歌词"));
  bvl2 = bevel();
  btn_close = button("btn_close", QStringLiteral("X"), tr("关闭歌词"));
  LayoutButtons();

  connect(btn_b5, &QToolButton::clicked, this, [this] { Q_EMIT ShiftLyrics(-500); });
  connect(btn_f5, &QToolButton::clicked, this, [this] { Q_EMIT ShiftLyrics(500); });
  connect(btn_sh, &QToolButton::clicked, this, [this] { Q_EMIT SearchLyrics(); });
  connect(btn_lrcwindow, &QToolButton::clicked, this, [this] {
    Q_EMIT SwitchToWindowLyrics();
    close();
  });
  connect(btn_close, &QToolButton::clicked, this, [this] {
    Q_EMIT CloseLyrics();
    if (m_lyrics) m_lyrics->close();
    close();
  });

  tmr_hide.setInterval(1000);
  connect(&tmr_hide, &QTimer::timeout, this, [this] {
    tmr_hide.stop();
    close();
  });
  tmr_ck.setInterval(300);
  // Re-arms the hide timer; arming an armed timer keeps its count.
  connect(&tmr_ck, &QTimer::timeout, this, [this] {
    if (!tmr_hide.isActive()) tmr_hide.start();
  });
  // The check runs while the toolbar shows (showEvent, hideEvent): hidden, all it could do is
  // hide a hidden window, three times a second for as long as the player runs.
  // Set last: changing window flags afterwards would make a new native window.
  X11Desktop::SetWindowClass(this, QStringLiteral("Vireo 桌面歌词操作"));
}

void TPetrelDlrcButton::LayoutButtons() {
  const int shift = width() - kDesignWidth;
  btn_b5->setGeometry(80 + shift, 6, 23, 22);
  btn_f5->setGeometry(104 + shift, 6, 23, 22);
  bvl1->setGeometry(136 + shift, 5, 9, 23);
  btn_sh->setGeometry(144 + shift, 5, 62, 23);
  btn_lrcwindow->setGeometry(208 + shift, 5, 49, 23);
  bvl2->setGeometry(264 + shift, 5, 9, 23);
  btn_close->setGeometry(272 + shift, 6, 23, 22);
}

void TPetrelDlrcButton::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutButtons();
  ShapeForDesktop();
}

void TPetrelDlrcButton::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  tmr_ck.start();
  ShapeForDesktop();
}

void TPetrelDlrcButton::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  tmr_ck.stop();
  tmr_hide.stop();
}

void TPetrelDlrcButton::ShapeForDesktop() {
  // Its opacity needs a compositing manager. Without one the toolbar would be an opaque slab
  // over the very lyrics the user pointed at: it keeps its button strip and a one-pixel outline
  // around the lyrics, and the lyrics show through the rest.
  if (X11Desktop::CompositorRunning()) {
    clearMask();
    return;
  }
  const QRect all = rect();
  QRegion shape(all);
  shape -= QRegion(all.adjusted(1, kStripHeight, -1, -1));
  setMask(shape);
}

void TPetrelDlrcButton::PlaceOver() {
  if (!m_lyrics) return;
  // Centred over the lyrics: at their first place that is the middle of the work area, and
  // after a drag the toolbar comes up where the lyrics went. On a screen narrower than the
  // toolbar (a small one, or a large scale) it takes the screen's width and stays on it, so its
  // buttons, anchored to its right edge, can always be reached.
  const QPoint lyrics = m_lyrics->SyncPlace();
  QRect bar(lyrics.x() + (m_lyrics->width() - kWidth) / 2, lyrics.y() - 25, kWidth,
            m_lyrics->height() + 5);
  const QScreen* screen = m_lyrics->screen();
  if (screen) {
    const QRect area = ScreenFit::WorkArea(screen);
    bar.setWidth(std::min(kWidth, area.width()));
    bar.moveLeft(lyrics.x() + (m_lyrics->width() - bar.width()) / 2);
    bar.moveLeft(std::clamp(bar.left(), area.left(), area.right() + 1 - bar.width()));
    bar.moveTop(std::max(bar.top(), area.top()));
  }
  setGeometry(bar);
}

void TPetrelDlrcButton::LyricsHovered() {
  if (!isVisible()) show();
  tmr_hide.stop();
}

void TPetrelDlrcButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0xd7, 0xdd, 0xe6));
  p.setPen(QColor(0x7d, 0x87, 0x94));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool TPetrelDlrcButton::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) tmr_hide.stop();
  return QWidget::eventFilter(watched, event);
}

void TPetrelDlrcButton::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  tmr_hide.stop();
}

void TPetrelDlrcButton::mousePressEvent(QMouseEvent* event) {
  m_downGlobal = event->globalPosition().toPoint();
  // Qt's record of a window just shown can still be the frame's first place.
  m_startPos = X11Desktop::RootPosition(this).value_or(pos());
  if (m_lyrics) m_lyricsStartPos = m_lyrics->SyncPlace();
  if (event->button() == Qt::LeftButton) m_dragging = true;
}

void TPetrelDlrcButton::mouseMoveEvent(QMouseEvent* event) {
  tmr_hide.stop();
  if (!m_dragging) return;
  // Both windows go by the same amount: how far the pointer went since the press.
  const QPoint delta = event->globalPosition().toPoint() - m_downGlobal;
  if (pos() == m_startPos + delta) return;
  move(m_startPos + delta);
  if (m_lyrics) m_lyrics->move(m_lyricsStartPos + delta);
}

void TPetrelDlrcButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && m_dragging) {
    m_dragging = false;
    Q_EMIT Dragged();
  }
}

}  // namespace vireo
