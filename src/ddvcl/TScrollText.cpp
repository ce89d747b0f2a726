#include "ddvcl/TScrollText.h"

#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>
#include <cstdlib>

#include "base/Gb18030.h"

namespace vireo {

TScrollText::TScrollText(QWidget* parent) : QLabel(parent) {
  setWordWrap(false);
  QFont f(QStringLiteral("宋体"));
  f.setPixelSize(12);
  setFont(f);
  SetColor(clGreen);
  SetFontColor(clAqua);
  resize(200, height());
  m_timer.setInterval(m_interval);
  connect(&m_timer, &QTimer::timeout, this, [this] {
    if (m_tickAttached) Tick();
  });
  m_timer.start();
}

void TScrollText::SetColor(TColorRef color) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor::fromRgb(ColorRefToRgb(color)));
  setPalette(pal);
  update();
}

void TScrollText::SetFontColor(TColorRef color) {
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, QColor::fromRgb(ColorRefToRgb(color)));
  setPalette(pal);
  update();
}

void TScrollText::SetTransparent(bool transparent) {
  m_transparent = transparent;
  setAttribute(Qt::WA_TranslucentBackground, transparent);
  update();
}

void TScrollText::Measure() {
  const QFontMetrics fm(font(), this);
  const QSize size = fm.size(0, m_text);
  m_textWidth = size.width();
  m_textHeight = size.height();
  // Measured widths of double-byte text can fall short of what it takes to leave the control;
  // half the font height per byte of the longest line is the floor.
  QString longest = m_text;
  const QStringList lines =
      QString(m_text).replace(QLatin1StringView("\r\n"), QStringLiteral("\n")).split(u'\n');
  if (lines.size() > 1) {
    qsizetype best = -1;
    for (const QString& line : lines) {
      const qsizetype n = ToGb18030(line).size();
      if (n > best) {
        best = n;
        longest = line;
      }
    }
  }
  int fontHeight = font().pixelSize();
  if (fontHeight <= 0) fontHeight = QFontInfo(font()).pixelSize();
  const int estimate = std::abs(fontHeight) * int(ToGb18030(longest).size()) / 2;
  if (estimate > m_textWidth) m_textWidth = estimate;
}

void TScrollText::SetScrollingText(const QString& text) {
  m_text = text;
  Measure();
  m_offset = 0;
  update();
}

void TScrollText::SetActive(bool active) {
  if (active == m_active) return;
  m_active = active;
  if (active)
    m_timer.start();
  else
    m_timer.stop();
}

void TScrollText::SetInterval(int ms) {
  if (ms == m_interval) return;
  m_interval = ms;
  m_timer.setInterval(ms);
}

void TScrollText::SetStep(int step) {
  if (step != m_step && step < contentsRect().width()) m_step = step;
}

void TScrollText::SetScrollDirection(TScrollDirect direction) {
  if (direction == m_direction) return;
  m_direction = direction;
  if (direction == TScrollDirect::sdLeft || direction == TScrollDirect::sdRight) {
    m_wordWrap = false;
    m_alignment = Qt::AlignLeft;
  } else {
    m_wordWrap = true;
    m_layout = Qt::AlignTop;
  }
  SetScrollingText(m_text);
}

void TScrollText::SetTextAlignment(Qt::Alignment horizontal) {
  if (horizontal == m_alignment) return;
  const bool sideways =
      m_direction == TScrollDirect::sdLeft || m_direction == TScrollDirect::sdRight;
  m_alignment = sideways ? Qt::Alignment(Qt::AlignLeft) : horizontal;
  update();
}

void TScrollText::SetTextLayout(Qt::Alignment vertical) {
  if (vertical == m_layout) return;
  const bool sideways =
      m_direction == TScrollDirect::sdLeft || m_direction == TScrollDirect::sdRight;
  m_layout = sideways ? vertical : Qt::Alignment(Qt::AlignTop);
  update();
}

void TScrollText::Tick() {
  if (m_step == 0) return;
  SetActive(false);
  m_tickAttached = false;
  bool abort = false;
  const QRect client = contentsRect();
  const int w = client.width(), h = client.height();
  auto raise = [&] {
    if (OnFrameScrolled) OnFrameScrolled(m_direction, m_offset, abort);
  };
  switch (m_direction) {
    case TScrollDirect::sdLeft:
      m_offset -= m_step;
      if (m_offset < 0 && -m_offset > m_textWidth) {
        raise();
        if (!abort) m_offset = w - 1;
      }
      break;
    case TScrollDirect::sdRight:
      m_offset += m_step;
      if (m_offset > 0 && m_offset > w) {
        raise();
        if (!abort) m_offset = 1 - m_textWidth;
      }
      break;
    case TScrollDirect::sdUp:
      m_offset -= m_step;
      if (m_offset < 0 && -m_offset > m_textHeight) {
        raise();
        if (!abort) m_offset = h - 1;
      }
      break;
    case TScrollDirect::sdDown:
      m_offset += m_step;
      if (m_offset > 0 && m_offset > h) {
        raise();
        if (!abort) m_offset = 1 - m_textHeight;
      }
      break;
  }
  update();
  if (!abort) SetActive(true);
  m_tickAttached = true;
}

void TScrollText::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!m_transparent) p.fillRect(rect(), palette().color(QPalette::Window));
  QRect r = contentsRect();
  if (m_direction == TScrollDirect::sdLeft || m_direction == TScrollDirect::sdRight)
    r.setLeft(r.left() + m_offset);
  else
    r.setTop(r.top() + m_offset);
  int flags = int(m_alignment | m_layout);
  if (m_wordWrap) flags |= Qt::TextWordWrap;
  p.setFont(font());
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(r, flags, m_text);
}

}  // namespace vireo

namespace vireo {

void TScrollText::mousePressEvent(QMouseEvent* e) {
  e->accept();
  const QPoint p = e->position().toPoint();
  if (OnMouseDown) OnMouseDown(this, e->button(), e->modifiers(), p.x(), p.y());
}

void TScrollText::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (OnMouseMove) OnMouseMove(this, e->modifiers(), p.x(), p.y());
}

void TScrollText::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (e->button() == Qt::LeftButton && rect().contains(p) && OnClick) OnClick(this);
  if (OnMouseUp) OnMouseUp(this, e->button(), e->modifiers(), p.x(), p.y());
}

void TScrollText::mouseDoubleClickEvent(QMouseEvent* e) {
  e->accept();
  if (e->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
}

}  // namespace vireo
