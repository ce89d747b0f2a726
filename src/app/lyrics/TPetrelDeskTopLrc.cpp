#include "app/lyrics/TPetrelDeskTopLrc.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <QtMath>
#include <algorithm>
#include <vector>

#include "app/desktop/X11Desktop.h"
#include "app/lyrics/DesktopLyricSkinTarget.h"
#include "app/lyrics/TPetrelDlrcButton.h"
#include "app/skinning/ScreenFit.h"
#include "lyrics/KaraokeTiming.h"
#include "skin/TDDSkin.h"

namespace vireo {

namespace {

// The window pixels the text touches (a device pixel of any alpha makes its window pixel
// one), as bands of rows with the same runs: built straight from the image's rows, without a
// mask image and a bitmap between.
QRegion TouchedPixels(const QImage& image) {
  const qreal dpr = image.devicePixelRatio() > 0 ? image.devicePixelRatio() : 1.0;
  const bool whole = qFuzzyCompare(dpr, 1.0);
  const int w = whole ? image.width() : qCeil(image.width() / dpr);
  const int h = whole ? image.height() : qCeil(image.height() / dpr);
  std::vector<QRect> rects;
  std::vector<std::pair<int, int>> band, runs;
  std::vector<char> covered(std::size_t(std::max(w, 0)));
  const int deviceWidth = image.width();  // QImage::width is a call, not inlined
  int bandTop = 0;
  auto flush = [&](int bottom) {
    for (const auto& [from, to] : band) rects.emplace_back(from, bandTop, to - from, bottom - bandTop);
  };
  for (int y = 0; y < h; ++y) {
    std::fill(covered.begin(), covered.end(), 0);
    const int d0 = whole ? y : qFloor(y * dpr), d1 = whole ? y + 1 : std::min(image.height(), qCeil((y + 1) * dpr));
    for (int dy = d0; dy < d1; ++dy) {
      const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(dy));
      for (int dx = 0; dx < deviceWidth; ++dx)
        if (qAlpha(row[dx])) covered[std::size_t(whole ? dx : std::min(w - 1, int(dx / dpr)))] = 1;
    }
    runs.clear();
    for (int x = 0; x < w;) {
      if (!covered[std::size_t(x)]) {
        ++x;
        continue;
      }
      const int from = x;
      while (x < w && covered[std::size_t(x)]) ++x;
      runs.emplace_back(from, x);
    }
    if (runs != band) {
      flush(y);
      band = runs;
      bandTop = y;
    }
  }
  flush(h);
  QRegion region;
  if (!rects.empty()) region.setRects(rects.data(), int(rects.size()));
  return region;
}

}  // namespace

TPetrelDeskTopLrc::TPetrelDeskTopLrc()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_frames(this, [this](qint32 ms) { return EdgeAt(ms); },
               [this](int from, int to) { FrameMoved(from, to); }) {
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
  const QRect wa = ScreenFit::WorkArea(s);
  resize(sg.width() - 50, height());
  move(sg.left() + 25, wa.bottom() + 1 - height());
}

QPoint TPetrelDeskTopLrc::SyncPlace() {
  const std::optional<QPoint> shown = isVisible() ? X11Desktop::RootPosition(this) : std::nullopt;
  if (shown && *shown != pos()) move(*shown);
  return pos();
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
  if (textChanged || !sameLine || translation != m_translation) {
    m_given = line;
    m_line = karaoke ? line : TLyricItem{};
    m_lineEnd = end;
    m_translation = translation;
    Render();
  }
  // The edge follows the position; a frame repaints only the columns it crossed.
  m_frames.SetPosition(positionMs);
  UpdateFrames();
}

void TPetrelDeskTopLrc::SetShowTranslations(bool show) {
  if (show == m_showTranslations) return;
  m_showTranslations = show;
  if (!m_image.isNull()) Render();
}

qreal TPetrelDeskTopLrc::ImageDpr() const {
  const qreal dpr = m_image.isNull() ? 1.0 : m_image.devicePixelRatio();
  return dpr > 0 ? dpr : 1.0;
}

int TPetrelDeskTopLrc::FillRight() const {
  const int edge = m_frames.Shown();
  return edge < 0 ? -1 : int(std::lround(edge / ImageDpr()));
}

int TPetrelDeskTopLrc::EdgeAt(qint32 ms) const {
  if (m_line.Words.isEmpty() || m_wordX.isEmpty() || m_unsung.isNull()) return -1;
  const KaraokeTiming::Fill fill = KaraokeTiming::At(m_line, m_lineEnd, ms);
  const qsizetype a = m_wordPos.indexOf(fill.From), b = m_wordPos.indexOf(fill.To);
  if (a < 0 || b < 0) return -1;
  const qreal x = m_wordX[a] + fill.Fraction * (m_wordX[b] - m_wordX[a]);
  return std::max(0, int(std::lround(x * ImageDpr())));
}

void TPetrelDeskTopLrc::FrameMoved(int from, int to) {
  // Only the columns the fill's edge crossed change: copied within the X server where it can,
  // else repainted through Qt. (The row's height is the unsung row's: working it out from the
  // style would make a font and its metrics at every frame.)
  if (from >= 0 && to >= 0 &&
      (to > from ? m_strips.Copy(from, to, true) : m_strips.Copy(to, from, false)))
    return;
  const int rows = m_unsung.isNull() ? DesktopLyricPainter::LineRowBottom(m_style)
                                     : qCeil(m_unsung.height() / ImageDpr());
  if (from < 0 || to < 0) {
    update(0, 0, width(), rows);
    return;
  }
  const qreal dpr = ImageDpr();
  const int left = int(std::floor(std::min(from, to) / dpr)) - 1;
  const int right = int(std::ceil(std::max(from, to) / dpr)) + 1;
  update(left, 0, right - left, rows);
}

void TPetrelDeskTopLrc::UpdateFrames() {
  m_frames.Run(isVisible() && !m_line.Words.isEmpty());
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
    const int bottom = SyncPlace().y() + height();
    setGeometry(x(), bottom - wanted, width(), wanted);  // renders again from resizeEvent
    return;
  }
  const qreal dpr = screen() ? screen()->devicePixelRatio() : devicePixelRatioF();
  m_wordPos.clear();
  m_wordX.clear();
  m_unsung = QImage();
  if (m_line.Words.isEmpty()) {
    m_image =
        DesktopLyricPainter::Render(m_currentText, m_style, width(), height(), dpr, translation);
  } else {
    // Both colourings from one layout and one outline.
    DesktopLyricPainter::RenderKaraoke(m_currentText, m_style, width(), height(), dpr,
                                       translation, &m_image, &m_unsung);
    m_wordPos.append(0);
    for (const TLyricWord& w : m_line.Words)
      if (!m_wordPos.contains(w.Pos)) m_wordPos.append(w.Pos);
    if (!m_wordPos.contains(int(m_line.Text.size()))) m_wordPos.append(int(m_line.Text.size()));
    m_wordX = DesktopLyricPainter::CursorXs(m_currentText, m_style, width(), m_wordPos);
  }
  m_frames.Reset();
  ApplyShape();
  LoadStrips();
  update();
}

void TPetrelDeskTopLrc::LoadStrips() {
  m_strips.Clear();
  if (m_unsung.isNull() || !isVisible()) return;
  m_strips.Load(this, m_image, m_unsung, m_alpha / 255.0);
  // The window is its strips' from now on wherever Qt's backing store is behind: when the
  // server shows it again, it repaints through Qt first.
  if (QWindow* w = windowHandle()) w->installEventFilter(this);
}

bool TPetrelDeskTopLrc::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Expose && watched == windowHandle() && m_strips.Loaded())
    update();  // marked before Qt answers the expose, so it paints rather than flushes
  return QWidget::eventFilter(watched, event);
}

void TPetrelDeskTopLrc::ApplyShape() {
  if (m_alpha == 0 || m_image.isNull()) {
    m_region = QRegion();
  } else {
    // Every pixel the text touches belongs to the glyphs.
    m_region = TouchedPixels(m_image);
  }
  if (!isVisible()) return;
  if (m_composited) {
    X11Desktop::SetBoundingShape(this, std::nullopt);
    // An empty input shape makes the window untouchable; Qt's mask cannot say "nothing".
    X11Desktop::SetInputShape(this, m_region);
  } else {
    // Without a compositor only the glyphs are part of the window at all: the X server's
    // bounding shape, not Qt's mask, so the karaoke frames' strips stay one rectangle each.
    if (!X11Desktop::SetBoundingShape(
            this, m_region.isEmpty() ? QRegion(0, 0, 1, 1) : m_region))
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
  LoadStrips();
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
  const int bottom = SyncPlace().y() + height();
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
  m_frames.Stop();
  m_strips.Clear();
}

void TPetrelDeskTopLrc::paintEvent(QPaintEvent*) {
  if (m_reshapeWhenMapped) {
    m_reshapeWhenMapped = false;
    if (!m_composited)
      X11Desktop::SetBoundingShape(this, m_region.isEmpty() ? QRegion(0, 0, 1, 1) : m_region);
    X11Desktop::SetInputShape(this, m_region);
  }
  ++m_paints;
  QPainter p(this);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.fillRect(rect(), Qt::transparent);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setOpacity(m_alpha / 255.0);
  p.drawImage(QPoint(0, 0), m_image);
  const int right = m_frames.Shown();
  if (right >= 0 && !m_unsung.isNull() && right < m_unsung.width()) {
    // What is not sung yet, in the paler colours, over the line's own row, from the device
    // column the edge stands on.
    const qreal dpr = m_unsung.devicePixelRatio();
    const QRectF source(right, 0, m_unsung.width() - right, m_unsung.height());
    const QRectF logical(right / dpr, 0, source.width() / dpr, source.height() / dpr);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setOpacity(1.0);
    // Source mode replaces the pixels, so the opacity goes into the image's own alpha there.
    if (m_alpha == 255) {
      p.drawImage(logical, m_unsung, source);
    } else {
      p.fillRect(logical, Qt::transparent);
      p.setCompositionMode(QPainter::CompositionMode_SourceOver);
      p.setOpacity(m_alpha / 255.0);
      p.drawImage(logical, m_unsung, source);
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
