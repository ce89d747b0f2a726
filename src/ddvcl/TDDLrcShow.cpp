#include "ddvcl/TDDLrcShow.h"

#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <algorithm>
#include <climits>
#include <cstdint>

#include "lyrics/KaraokeTiming.h"

namespace vireo {

namespace {

// The scroll arithmetic is 32-bit and wraps like the registers it was designed on; signed overflow
// in C++ would be undefined, so it goes through unsigned values.
int Add32(int a, int b) {
  return int(std::uint32_t(a) + std::uint32_t(b));
}
int Sub32(int a, int b) {
  return int(std::uint32_t(a) - std::uint32_t(b));
}
int Mul32(int a, int b) {
  return int(std::uint32_t(a) * std::uint32_t(b));
}
// Truncating division; the one quotient that does not fit wraps instead of trapping.
int Div32(int a, int b) {
  if (b == 0) return 0;
  if (b == -1) return Sub32(0, a);
  return a / b;
}

// Metrics and text are taken at the resolution the back buffer is painted at (96 dpi), whatever
// screen the view is on.
const QImage& MetricsDevice() {
  static const QImage device(1, 1, QImage::Format_RGB32);
  return device;
}

// A colour taken part of the way towards another: the translations' dimmer look.
QColor Mix(const QColor& a, const QColor& b, double t) {
  return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                          float(a.greenF() + (b.greenF() - a.greenF()) * t),
                          float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

}  // namespace

TDDLrcShow::TDDLrcShow(QWidget* parent) : QWidget(parent), m_fontName(QStringLiteral("宋体")) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_font.setFamily(m_fontName);
  m_font.setPointSize(m_fontSize);
  FontChanged();
  setGeometry(0, 0, 280, 240);
  m_frames.setTimerType(Qt::PreciseTimer);
  connect(&m_frames, &QTimer::timeout, this, [this] { FrameTick(); });
}

void TDDLrcShow::SetLrc(const QString& text) {
  m_lrc = text;
  m_currText.clear();
  m_lyric.Parse(text);
  m_lrcOffset = m_lyric.Info().Offset;
  m_lyric.Sort();
  m_lyric.GroupTranslations();
  LyricChanged();
}

void TDDLrcShow::LyricChanged() {
  m_times.clear();
  m_times.reserve(std::size_t(m_lyric.Count()) + 1);
  m_maxTranslations = 0;
  for (int j = 0; j < m_lyric.Count(); ++j) {
    const TLyricItem item = m_lyric.GetItem(j);
    m_times.push_back(item.Time);
    m_maxTranslations = std::max(m_maxTranslations, int(item.Translations.size()));
  }
  m_transRows = m_showTranslations ? m_maxTranslations : 0;
  m_shownFill = -1;
  m_lit = QImage();
  m_dirty = true;
  UpdateFrames();
}

void TDDLrcShow::SetShowTranslations(bool show) {
  if (show == m_showTranslations) return;
  m_showTranslations = show;
  m_transRows = show ? m_maxTranslations : 0;
  m_dirty = true;
  update();
}

void TDDLrcShow::SetLengthTime(int ms) {
  m_lengthTime = ms;
  m_lyric.Add(TLyricItem{tr(kClosingLine), QString(), ms});
  m_times.push_back(ms);
}

void TDDLrcShow::SetPosTime(int ms) {
  m_posTime = ms;
  m_clock.Set(ms);
  const int top = m_bufferTop, first = m_firstLine, renders = m_renderCount;
  ScrollStep();
  // A step that neither moved the lines nor drew them again shows what is on screen already.
  if (m_bufferTop != top || m_firstLine != first || m_renderCount != renders) {
    update();
  } else if (CurrentIsKaraoke() && FillRight() != m_shownFill) {
    update(CurrentLineRect());
  }
  UpdateFrames();
}

bool TDDLrcShow::CurrentIsKaraoke() const {
  return m_lastCurrent >= 0 && m_lastCurrent < m_lyric.Count() &&
         !m_lyric.GetItem(m_lastCurrent).Words.isEmpty();
}

TLyricItem TDDLrcShow::CurrentLine(qint32* end) const {
  const int n = int(m_times.size());
  if (m_lastCurrent < 0 || m_lastCurrent >= n) {
    if (end) *end = 0;
    return {};
  }
  TLyricItem item = m_lyric.GetItem(m_lastCurrent);
  const qint32 stop = m_lastCurrent + 1 < n ? m_times[std::size_t(m_lastCurrent + 1)]
                                            : Add32(item.Time, kLastLineMs);
  item.Time = Sub32(item.Time, m_lrcOffset);
  for (TLyricWord& w : item.Words) w.Time = Sub32(w.Time, m_lrcOffset);
  if (end) *end = Sub32(stop, m_lrcOffset);
  return item;
}

int TDDLrcShow::FillRight() const {
  if (!CurrentIsKaraoke() || m_lit.isNull()) return -1;
  qint32 end = 0;
  const TLyricItem item = CurrentLine(&end);
  const KaraokeTiming::Fill fill = KaraokeTiming::At(item, end, m_clock.Now());
  const QFontMetrics fm(m_font, &MetricsDevice());
  const int a = fm.horizontalAdvance(item.Text.left(fill.From));
  const int b = fill.To > fill.From ? fm.horizontalAdvance(item.Text.left(fill.To)) : a;
  return m_litX + int(std::lround(a + fill.Fraction * (b - a)));
}

QRect TDDLrcShow::CurrentLineRect() const {
  const int y = Add32(m_bufferTop, Add32(Mul32(m_lastCurrent, CellHeight()), height() / 2));
  return QRect(0, y, width(), std::max(m_lit.height(), LineHeight()));
}

void TDDLrcShow::UpdateFrames() {
  const bool wanted = isVisible() && CurrentIsKaraoke() && m_clock.Running();
  if (wanted && !m_frames.isActive()) {
    const QScreen* s = screen();
    const qreal rate = s && s->refreshRate() > 1 ? s->refreshRate() : 60.0;
    m_frames.start(std::max(4, int(1000.0 / rate)));
  } else if (!wanted && m_frames.isActive()) {
    m_frames.stop();
  }
}

void TDDLrcShow::FrameTick() {
  // Without position updates (paused, stalled) the clock stands after a moment: so do frames.
  if (!CurrentIsKaraoke() || !m_clock.Running() || m_clock.Standing()) {
    m_frames.stop();
    return;
  }
  const int right = FillRight();
  if (right == m_shownFill) return;
  // Only the columns between the fill's last edge and its new one change.
  const QRect line = CurrentLineRect();
  const int from = m_shownFill < 0 ? 0 : std::min(right, m_shownFill) - 1;
  const int to = m_shownFill < 0 ? width() : std::max(right, m_shownFill) + 1;
  update(QRect(from, line.top(), to - from, line.height()));
}

void TDDLrcShow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  UpdateFrames();
}

void TDDLrcShow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  m_frames.stop();
}

void TDDLrcShow::SetBGColor(TColorRef color) {
  m_bgColor = color;
  update();
}

void TDDLrcShow::SetLrcCurrColor(TColorRef color) {
  m_currColor = color;
  update();
}

void TDDLrcShow::SetLrcColor(TColorRef color) {
  m_lrcColor = color;
  update();
}

void TDDLrcShow::SetLrcFontName(const QString& name) {
  m_fontName = name;
  m_font.setFamily(name);
  FontChanged();
}

void TDDLrcShow::SetLrcFontSize(int points) {
  m_fontSize = points;
  if (points > 0)
    m_font.setPointSize(points);
  else if (points < 0)
    m_font.setPixelSize(int((qint64(-points) * 96 + 36) / 72));
  FontChanged();
}

void TDDLrcShow::FontChanged() {
  const QFontMetrics fm(m_font, &MetricsDevice());
  m_textHeight = fm.height();
  m_ascent = fm.ascent();
  // Translations a size smaller than their lines.
  m_transFont = m_font;
  if (m_font.pixelSize() > 0)
    m_transFont.setPixelSize(std::max(1, m_font.pixelSize() * 4 / 5));
  else
    m_transFont.setPointSizeF(std::max(1.0, m_font.pointSizeF() * 0.8));
  const QFontMetrics tm(m_transFont, &MetricsDevice());
  m_transHeight = tm.height();
  m_transAscent = tm.ascent();
  m_lit = QImage();
  m_dirty = true;
  update();
}

void TDDLrcShow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  m_dirty = true;
}

void TDDLrcShow::ScrollStep() {
  const int w = width(), h = height();
  const int lineH = CellHeight();
  const int n = int(m_times.size());

  int centre = h / 2 + lineH / 2 + m_lrcSpace;
  int i = 0;
  while (i < n && Sub32(m_times[std::size_t(i)], m_lrcOffset) < m_posTime) ++i;
  const int cur = i - 1;

  int y;
  if (1 < i && i < n) {
    const int t0 = Sub32(m_times[std::size_t(i - 1)], m_lrcOffset);
    const int t1 = Sub32(m_times[std::size_t(i)], m_lrcOffset);
    centre = Add32(centre, Div32(Mul32(Sub32(m_posTime, t0), lineH), Sub32(t0, t1)));
    y = Sub32(centre, Mul32(i - 1, lineH));
  } else {
    y = centre - lineH;
  }

  // The buffer holds every line plus one view height. A lyric too long for that (a downloaded file
  // may hold any number of tags) gets a buffer of the lines around the current one instead, moved
  // when the current line nears its edge; what the view shows is the same.
  const int maxLines = BufferedLines(w, h, lineH);
  if (n <= maxLines) {
    m_firstLine = 0;
    m_bufferLines = n;
  } else {
    m_bufferLines = maxLines;
    const int margin = h / std::max(lineH, 1) + 2;
    const int lo = m_firstLine == 0 ? -1 : m_firstLine + margin;
    const int hi = m_firstLine + m_bufferLines >= n ? n : m_firstLine + m_bufferLines - margin;
    if (cur < lo || cur >= hi || m_firstLine + m_bufferLines > n) {
      m_firstLine = std::clamp(cur - m_bufferLines / 2, 0, n - m_bufferLines);
      m_dirty = true;
    }
  }

  // A buffer of a new size has no lines yet.
  const qint64 bufH = qint64(m_bufferLines) * lineH + h;
  if (m_buffer.width() != w || m_buffer.height() != bufH) {
    m_buffer = (w > 0 && bufH > 0 && bufH <= INT_MAX) ? QImage(w, int(bufH), QImage::Format_RGB32)
                                                      : QImage();
    m_dirty = true;
  }

  if (cur != m_lastCurrent || m_dirty) Render(cur);
  m_bufferTop = Sub32(y, (h + lineH) / 2);
}

int TDDLrcShow::BufferedLines(int w, int h, int lineH) {
  const qint64 rows = kMaxBackBufferBytes / (qint64(std::max(w, 1)) * 4) - h;
  const qint64 fit = rows / std::max(lineH, 1);
  // At least the lines of three view heights, so the window moves only now and then.
  const qint64 least = 3 * (h / std::max(lineH, 1) + 2);
  return int(std::max(std::min<qint64>(fit, kMaxBufferedLines), least));
}

void TDDLrcShow::Render(int current) {
  const int previous = m_lastCurrent;
  // Only the colour of two lines changes when the buffer holds the same lines in the same colours:
  // those are drawn again, not the whole lyric (every line of it, each time a line is reached).
  const bool twoLines = !m_dirty && !m_buffer.isNull() && m_drawnColors[0] == m_bgColor &&
                        m_drawnColors[1] == m_currColor && m_drawnColors[2] == m_lrcColor;
  m_lastCurrent = current;
  m_dirty = false;
  ++m_renderCount;
  const int n = int(m_times.size());
  if (current >= 0 && current < n) {
    m_currText = m_lyric.GetItem(current).Text;
    if (m_currText.isEmpty()) m_currText = QStringLiteral(" ");
  }
  m_lit = QImage();
  m_shownFill = -1;
  if (m_buffer.isNull()) return;

  const int end = std::min(n, m_firstLine + m_bufferLines);
  if (CurrentIsKaraoke()) {
    // The sung part is copied from a row of its own in the current-line colour.
    const QString text = m_lyric.GetItem(current).Text;
    const QFontMetrics fm(m_font, &MetricsDevice());
    m_litX = (m_buffer.width() - fm.horizontalAdvance(text)) / 2;
    m_lit = QImage(m_buffer.width(), std::max(1, m_textHeight), QImage::Format_RGB32);
    const QColor bg = QColor::fromRgb(ColorRefToRgb(m_bgColor));
    m_lit.fill(bg);
    QPainter p(&m_lit);
    p.setFont(m_font);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(bg);
    p.setPen(QColor::fromRgb(ColorRefToRgb(m_currColor)));
    p.drawText(QPoint(m_litX, m_ascent), text);
  }
  if (twoLines) {
    RenderAround(previous, end);
    RenderAround(current, end);
    return;
  }
  m_drawnColors = {m_bgColor, m_currColor, m_lrcColor};
  m_buffer.fill(QColor::fromRgb(ColorRefToRgb(m_bgColor)));
  RenderLines(m_firstLine, end, QRect());
}

void TDDLrcShow::RenderAround(int line, int end) {
  if (line < m_firstLine || line >= end) return;
  // The rows of the line and of its neighbours, drawn again as a full render draws them: what a
  // line's glyphs spill into the rows beside it comes out the same.
  const int lineH = CellHeight();
  const int top = (line - m_firstLine) * lineH + height() / 2;
  const QRect band =
      QRect(0, top - lineH, m_buffer.width(), 3 * lineH).intersected(m_buffer.rect());
  if (band.isEmpty()) return;
  QPainter(&m_buffer).fillRect(band, QColor::fromRgb(ColorRefToRgb(m_bgColor)));
  RenderLines(std::max(m_firstLine, line - 2), std::min(end, line + 3), band);
}

void TDDLrcShow::RenderLines(int from, int to, const QRect& clip) {
  const int h = height();
  const int lineH = CellHeight();
  const QColor bg = QColor::fromRgb(ColorRefToRgb(m_bgColor));
  const QColor curColor = QColor::fromRgb(ColorRefToRgb(m_currColor));
  const QColor lineColor = QColor::fromRgb(ColorRefToRgb(m_lrcColor));
  QPainter p(&m_buffer);
  if (!clip.isNull()) p.setClipRect(clip);
  p.setFont(m_font);
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(bg);
  const QFontMetrics fm(m_font, &MetricsDevice());
  const QFontMetrics tm(m_transFont, &MetricsDevice());
  for (int j = from; j < to; ++j) {
    const TLyricItem item = m_lyric.GetItem(j);
    QString text = item.Text;
    if (text.isEmpty()) text = QStringLiteral(" ");
    const int x = (m_buffer.width() - fm.horizontalAdvance(text)) / 2;
    const bool current = j == m_lastCurrent;
    // A karaoke line is drawn unsung; the paint lays the sung part over it.
    p.setPen(current && item.Words.isEmpty() ? curColor : lineColor);
    const int top = (j - m_firstLine) * lineH + h / 2;
    p.drawText(QPoint(x, top + m_ascent), text);
    const int rows = std::min(m_transRows, int(item.Translations.size()));
    if (rows == 0) continue;
    p.setFont(m_transFont);
    p.setPen(Mix(current ? curColor : lineColor, bg, current ? 0.3 : 0.5));
    for (int r = 0; r < rows; ++r) {
      const QString& t = item.Translations[r];
      p.drawText(QPoint((m_buffer.width() - tm.horizontalAdvance(t)) / 2,
                        top + m_textHeight + r * m_transHeight + m_transAscent),
                 t);
    }
    p.setFont(m_font);
  }
}

void TDDLrcShow::PaintOn(QPainter& painter) {
  painter.fillRect(QRect(0, 0, width(), height()), QColor::fromRgb(ColorRefToRgb(m_bgColor)));
  ScrollStep();
  if (!m_buffer.isNull())
    painter.drawImage(QPoint(0, Add32(m_bufferTop, Mul32(m_firstLine, CellHeight()))), m_buffer);
  const int right = FillRight();
  m_shownFill = right;
  if (right > m_litX) {
    const QRect line = CurrentLineRect();
    const int w = right - m_litX;
    painter.drawImage(QRect(m_litX, line.top(), w, m_lit.height()), m_lit,
                      QRect(m_litX, 0, w, m_lit.height()));
  }
}

void TDDLrcShow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  PaintOn(p);
}

void TDDLrcShow::RenderTo(QImage& target) {
  if (target.size() != size() || target.format() != QImage::Format_RGB32)
    target = QImage(size(), QImage::Format_RGB32);
  if (target.isNull()) return;
  QPainter p(&target);
  PaintOn(p);
}

}  // namespace vireo
