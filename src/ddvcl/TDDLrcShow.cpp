#include "ddvcl/TDDLrcShow.h"

#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <algorithm>
#include <climits>
#include <cmath>
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

TDDLrcShow::TDDLrcShow(QWidget* parent)
    : QWidget(parent),
      m_frames(this, [this](qint32 ms) { return EdgeAt(ms); },
               [this](int from, int to) { FrameMoved(from, to); }),
      m_fontName(QStringLiteral("宋体")) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_font.setFamily(m_fontName);
  m_font.setPointSize(m_fontSize);
  FontChanged();
  setGeometry(0, 0, 280, 240);
}

double TDDLrcShow::Dpr() const {
  const double dpr = devicePixelRatioF();
  return dpr > 0 ? dpr : 1.0;
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
  m_lit = QImage();
  m_litLine = TLyricItem{};
  m_frames.Reset();
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
  const int top = m_bufferTop, first = m_firstLine, renders = m_renderCount;
  ScrollStep();
  // A step that neither moved the lines nor drew them again shows what is on screen already
  // (the fill's edge follows the position through the frame clock, repainting what it crossed).
  if (m_bufferTop != top || m_firstLine != first || m_renderCount != renders) update();
  m_frames.SetPosition(ms);
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
  const int edge = m_frames.Shown();
  return edge < 0 ? -1 : int(std::lround(edge / m_bufferDpr));
}

int TDDLrcShow::EdgeAt(qint32 ms) const {
  if (m_lit.isNull() || m_wordX.isEmpty()) return -1;
  // The line's own times are without the offset: the clock's time is moved instead.
  const KaraokeTiming::Fill fill = KaraokeTiming::At(m_litLine, m_litEnd, Add32(ms, m_lrcOffset));
  const qsizetype a = m_wordPos.indexOf(fill.From), b = m_wordPos.indexOf(fill.To);
  if (a < 0 || b < 0) return -1;
  const double x = m_wordX[a] + fill.Fraction * (m_wordX[b] - m_wordX[a]);
  return int(std::lround(x * m_bufferDpr));
}

void TDDLrcShow::FrameMoved(int from, int to) {
  if (from < 0 || to < 0) {
    update(CurrentLineRect());
    return;
  }
  // Only the columns between the fill's last edge and its new one change.
  const QRect line = CurrentLineRect();
  const int left = int(std::floor(std::min(from, to) / m_bufferDpr)) - 1;
  const int right = int(std::ceil(std::max(from, to) / m_bufferDpr)) + 1;
  update(QRect(left, line.top(), right - left, line.height()));
}

QRect TDDLrcShow::CurrentLineRect() const {
  const int y = Add32(m_bufferTop, Add32(Mul32(m_lastCurrent, CellHeight()), height() / 2));
  return QRect(0, y - 1, width(), LineHeight() + 2);
}

void TDDLrcShow::UpdateFrames() {
  m_frames.Run(isVisible() && CurrentIsKaraoke() && !m_lit.isNull());
}

void TDDLrcShow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  UpdateFrames();
}

void TDDLrcShow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  m_frames.Stop();
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
  m_frames.Reset();
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
  const double dpr = Dpr();
  // The buffer's budget is in device pixels: the same lines take dpr^2 times the bytes.
  const int maxLines = BufferedLines(int(std::ceil(w * dpr * dpr)), h, lineH);
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

  // A buffer of a new size has no lines yet. It is drawn at the device pixel ratio, its
  // painter in control pixels.
  const qint64 bufH = qint64(m_bufferLines) * lineH + h;
  const qint64 devW = qint64(std::ceil(w * dpr)), devH = qint64(std::ceil(bufH * dpr));
  if (m_buffer.width() != devW || m_buffer.height() != devH || m_bufferDpr != dpr) {
    m_buffer = (w > 0 && bufH > 0 && devH <= INT_MAX && devW <= INT_MAX)
                   ? QImage(int(devW), int(devH), QImage::Format_RGB32)
                   : QImage();
    m_buffer.setDevicePixelRatio(dpr);
    m_bufferDpr = dpr;
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
  if (m_buffer.isNull()) {
    m_frames.Reset();
    return;
  }
  const int end = std::min(n, m_firstLine + m_bufferLines);
  if (twoLines) {
    RenderAround(previous, end);
    RenderAround(current, end);
  } else {
    m_drawnColors = {m_bgColor, m_currColor, m_lrcColor};
    m_buffer.fill(QColor::fromRgb(ColorRefToRgb(m_bgColor)));
    RenderLines(m_firstLine, end, QRect());
  }
  PrepareLit(current);
  m_frames.Reset();
}

void TDDLrcShow::PrepareLit(int current) {
  m_wordPos.clear();
  m_wordX.clear();
  m_litLine = TLyricItem{};
  if (!CurrentIsKaraoke() || current < m_firstLine || current >= m_firstLine + m_bufferLines)
    return;
  const int n = int(m_times.size());
  m_litLine = m_lyric.GetItem(current);
  m_litEnd = current + 1 < n ? m_times[std::size_t(current + 1)] : Add32(m_litLine.Time, kLastLineMs);
  const QString& text = m_litLine.Text;
  // Where the words meet, once per line: a frame only interpolates between them.
  const QFontMetrics fm(m_font, &MetricsDevice());
  const QFontMetricsF fmf(m_font, &MetricsDevice());
  m_litX = (width() - fm.horizontalAdvance(text)) / 2;
  m_wordPos.append(0);
  for (const TLyricWord& w : m_litLine.Words)
    if (!m_wordPos.contains(w.Pos)) m_wordPos.append(w.Pos);
  if (!m_wordPos.contains(int(text.size()))) m_wordPos.append(int(text.size()));
  for (int pos : m_wordPos)
    m_wordX.append(m_litX + fmf.horizontalAdvance(text.left(std::clamp(pos, 0, int(text.size())))));

  // The sung part is copied from rows of their own in the current-line colour: the device rows
  // of the back buffer that hold the line, drawn exactly as the buffer draws it there.
  const double dpr = m_bufferDpr;
  const int top = (current - m_firstLine) * CellHeight() + height() / 2;
  m_litRow = int(std::floor(top * dpr));
  const int rows = std::max(1, int(std::ceil((top + LineHeight()) * dpr)) - m_litRow);
  m_lit = QImage(m_buffer.width(), rows, QImage::Format_RGB32);
  m_lit.setDevicePixelRatio(dpr);
  const QColor bg = QColor::fromRgb(ColorRefToRgb(m_bgColor));
  m_lit.fill(bg);
  QPainter p(&m_lit);
  p.translate(0, -m_litRow / dpr);
  p.setFont(m_font);
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(bg);
  p.setPen(QColor::fromRgb(ColorRefToRgb(m_currColor)));
  p.drawText(QPoint(m_litX, top + m_ascent), text);
}

void TDDLrcShow::RenderAround(int line, int end) {
  if (line < m_firstLine || line >= end) return;
  // The rows of the line and of its neighbours, drawn again as a full render draws them: what a
  // line's glyphs spill into the rows beside it comes out the same.
  const int lineH = CellHeight();
  const int top = (line - m_firstLine) * lineH + height() / 2;
  const QRect band = QRect(0, top - lineH, width(), 3 * lineH)
                         .intersected(QRect(QPoint(0, 0), m_buffer.deviceIndependentSize().toSize()));
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
    const int x = (width() - fm.horizontalAdvance(text)) / 2;
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
      p.drawText(QPoint((width() - tm.horizontalAdvance(t)) / 2,
                        top + m_textHeight + r * m_transHeight + m_transAscent),
                 t);
    }
    p.setFont(m_font);
  }
}

void TDDLrcShow::PaintOn(QPainter& painter) {
  painter.fillRect(QRect(0, 0, width(), height()), QColor::fromRgb(ColorRefToRgb(m_bgColor)));
  ScrollStep();
  if (m_buffer.isNull()) return;
  // The buffer lands on a whole device row, so the sung rows laid over it meet it exactly.
  const double dpr = m_bufferDpr;
  const double top = Add32(m_bufferTop, Mul32(m_firstLine, CellHeight()));
  const double deviceTop = std::round(top * dpr);
  painter.drawImage(QPointF(0, deviceTop / dpr), m_buffer);
  const int right = m_frames.Shown();
  const int left = int(std::floor(m_litX * dpr));
  if (!m_lit.isNull() && right > left) {
    const QRectF source(left, 0, right - left, m_lit.height());
    painter.drawImage(QRectF(left / dpr, (deviceTop + m_litRow) / dpr, source.width() / dpr,
                             source.height() / dpr),
                      m_lit, source);
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
