#include "app/lyrics/TPetrelDeskTopLrc.h"

#include <cmath>

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "app/desktop/X11Desktop.h"
#include "app/lyrics/DesktopLyricSkinTarget.h"
#include "app/lyrics/TPetrelDlrcButton.h"
#include "lyrics/KaraokeTiming.h"
#include "skin/TDDSkin.h"

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
  m_frames.setTimerType(Qt::PreciseTimer);
  connect(&m_frames, &QTimer::timeout, this, [this] { FrameTick(); });
  // Set last: changing window flags afterwards would make a new native window.
  X11Desktop::SetWindowClass(this, QStringLiteral("Vireo 桌面歌词"));
}

TPetrelDeskTopLrc::~TPetrelDeskTopLrc() = default;

void TPetrelDeskTopLrc::SetToolbar(TPetrelDlrcButton* toolbar) {
  m_toolbar = toolbar;
}

void TPetrelDeskTopLrc::RegisterSkin(TDDSkin& skin) {
  TSkinWindow desktop;
  desktop.Form = this;
  desktop.DesktopLyric = std::make_shared<DesktopLyricSkinTarget>(this);
  skin.SetWindow(QStringLiteral("desktoplrc"), desktop);
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
  m_line = TLyricItem{};
  m_given = TLyricItem{};
  m_translation.clear();
  Render();
}

void TPetrelDeskTopLrc::ShowLine(const QString& text, const TLyricItem& line, qint32 end,
                                 qint32 positionMs) {
  const bool textChanged = text != m_currentText || m_image.isNull();
  m_currentText = text;
  const bool karaoke = !line.Words.isEmpty() && line.Text == m_currentText;
  const QString translation = line.Text == m_currentText && !line.Translations.isEmpty()
                                  ? line.Translations.join(QStringLiteral("  "))
                                  : QString();
  // The same line as at the last tick draws nothing again.
  const bool sameLine = line == m_given && end == m_lineEnd;
  m_clock.Set(positionMs);
  if (textChanged || !sameLine || translation != m_translation) {
    m_given = line;
    m_line = karaoke ? line : TLyricItem{};
    m_lineEnd = end;
    m_translation = translation;
    Render();
  }
  UpdateFrames();
  if (karaoke && FillRight() != m_shownFill) update(0, 0, width(), DesktopLyricPainter::LineRowBottom(m_style));
}

void TPetrelDeskTopLrc::SetShowTranslations(bool show) {
  if (show == m_showTranslations) return;
  m_showTranslations = show;
  if (!m_image.isNull()) Render();
}

int TPetrelDeskTopLrc::FillRight() const {
  if (m_line.Words.isEmpty() || m_wordX.isEmpty()) return -1;
  const KaraokeTiming::Fill fill = KaraokeTiming::At(m_line, m_lineEnd, m_clock.Now());
  const qsizetype a = m_wordPos.indexOf(fill.From), b = m_wordPos.indexOf(fill.To);
  if (a < 0 || b < 0) return -1;
  return int(std::lround(m_wordX[a] + fill.Fraction * (m_wordX[b] - m_wordX[a])));
}

void TPetrelDeskTopLrc::UpdateFrames() {
  const bool wanted = isVisible() && !m_line.Words.isEmpty() && m_clock.Running();
  if (wanted && !m_frames.isActive()) {
    const QScreen* s = screen();
    const qreal rate = s && s->refreshRate() > 1 ? s->refreshRate() : 60.0;
    m_frames.start(std::max(4, int(1000.0 / rate)));
  } else if (!wanted && m_frames.isActive()) {
    m_frames.stop();
  }
}

void TPetrelDeskTopLrc::FrameTick() {
  const int right = FillRight();
  // Without position updates (paused, stalled) the clock stands after a moment: so do frames.
  if (right < 0 || !m_clock.Running() || m_clock.Standing()) {
    m_frames.stop();
    return;
  }
  if (right == m_shownFill) return;
  // Only the columns the fill's edge crossed change.
  const int from = m_shownFill < 0 ? 0 : std::min(right, m_shownFill) - 2;
  const int to = m_shownFill < 0 ? width() : std::max(right, m_shownFill) + 2;
  update(from, 0, to - from, DesktopLyricPainter::LineRowBottom(m_style));
}

void TPetrelDeskTopLrc::Render() {
  ++m_renders;
  const QString translation = m_showTranslations ? m_translation : QString();
  // A translation row makes the window taller (its bottom edge stays); without one it has its
  // own height again.
  if (m_baseHeight == 0) m_baseHeight = height();
  const int wanted = translation.isEmpty()
                         ? m_baseHeight
                         : std::max(m_baseHeight, DesktopLyricPainter::HeightWithTranslation(m_style));
  if (wanted != height()) {
    const int bottom = y() + height();
    setGeometry(x(), bottom - wanted, width(), wanted);  // renders again from resizeEvent
    return;
  }
  const qreal dpr = screen() ? screen()->devicePixelRatio() : devicePixelRatioF();
  m_image = DesktopLyricPainter::Render(m_currentText, m_style, width(), height(), dpr, translation);
  m_wordPos.clear();
  m_wordX.clear();
  m_unsung = QImage();
  m_shownFill = -1;
  if (!m_line.Words.isEmpty()) {
    m_unsung = DesktopLyricPainter::Render(m_currentText, DesktopLyricPainter::Unsung(m_style),
                                           width(), height(), dpr);
    m_wordPos.append(0);
    for (const TLyricWord& w : m_line.Words)
      if (!m_wordPos.contains(w.Pos)) m_wordPos.append(w.Pos);
    if (!m_wordPos.contains(int(m_line.Text.size()))) m_wordPos.append(int(m_line.Text.size()));
    m_wordX = DesktopLyricPainter::CursorXs(m_currentText, m_style, width(), m_wordPos);
  }
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
      // Every logical pixel that holds a glyph's device pixel, so that at 125 % or 175 % the
      // shape does not cut the outline's last device column or row away.
      for (const QRect& r : device)
        logical += QRect(QPoint(int(std::floor(r.left() / dpr)), int(std::floor(r.top() / dpr))),
                         QPoint(int(std::ceil((r.right() + 1) / dpr)) - 1,
                                int(std::ceil((r.bottom() + 1) / dpr)) - 1));
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
  if (h <= 0) return;
  m_baseHeight = h;
  if (h == height()) return;
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
  m_frames.stop();
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
  const int right = FillRight();
  m_shownFill = right;
  if (right >= 0 && !m_unsung.isNull()) {
    // What is not sung yet, in the paler colours, over the line's own row.
    const qreal dpr = m_unsung.devicePixelRatio();
    const QRect logical(right, 0, width() - right, DesktopLyricPainter::LineRowBottom(m_style));
    if (logical.width() > 0) {
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.setOpacity(1.0);
      const QRectF source(logical.left() * dpr, 0, logical.width() * dpr, logical.height() * dpr);
      // Source mode replaces the pixels, so the opacity goes into the image's own alpha there.
      if (m_alpha == 255) {
        p.drawImage(QRectF(logical), m_unsung, source);
      } else {
        p.fillRect(logical, Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setOpacity(m_alpha / 255.0);
        p.drawImage(QRectF(logical), m_unsung, source);
      }
    }
  }
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
