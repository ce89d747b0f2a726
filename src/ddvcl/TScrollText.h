#pragma once

#include <QLabel>
#include <QTimer>
#include <functional>

#include "ddvcl/Color32.h"
#include "ddvcl/DDEvents.h"

namespace vireo {

enum class TScrollDirect { sdLeft, sdRight, sdUp, sdDown };

// A marquee label: its text moves Step pixels on every tick of its own timer and starts over from
// the opposite edge once it has left the control. The main window shows the playing title in one.
// UI thread only.
class TScrollText : public QLabel {
  Q_OBJECT
 public:
  // Raised when the text has left the control; setting abort stops the marquee there.
  using TFrameScrolledEvent = std::function<void(TScrollDirect direct, int curPos, bool& abort)>;

  explicit TScrollText(QWidget* parent = nullptr);

  // The text shown (the label's own text is not drawn).
  QString ScrollingText() const { return m_text; }
  // Stores, measures, restarts at offset 0 and repaints.
  void SetScrollingText(const QString& text);

  bool Active() const { return m_active; }
  void SetActive(bool active);
  int Interval() const { return m_interval; }
  void SetInterval(int ms);
  int Offset() const { return m_offset; }
  int Step() const { return m_step; }
  // Taken only when it differs and is smaller than the client width.
  void SetStep(int step);
  int TextWidth() const { return m_textWidth; }
  int TextHeight() const { return m_textHeight; }
  TScrollDirect ScrollDirection() const { return m_direction; }
  void SetScrollDirection(TScrollDirect direction);

  Qt::Alignment TextAlignment() const { return m_alignment; }
  void SetTextAlignment(Qt::Alignment horizontal);
  Qt::Alignment TextLayout() const { return m_layout; }
  void SetTextLayout(Qt::Alignment vertical);
  bool Transparent() const { return m_transparent; }
  void SetTransparent(bool transparent);
  void SetColor(TColorRef color);
  void SetFontColor(TColorRef color);
  bool TextWordWrap() const { return m_wordWrap; }

  // One tick of the timer, callable directly.
  void Tick();

  TFrameScrolledEvent OnFrameScrolled;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // The label takes its own clicks: a press on the title does not move the window.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void Measure();

  QTimer m_timer;
  QString m_text;
  bool m_active = true;
  int m_interval = 200;
  int m_offset = 0;
  int m_step = 5;
  int m_textWidth = 0;
  int m_textHeight = 0;
  TScrollDirect m_direction = TScrollDirect::sdLeft;
  Qt::Alignment m_alignment = Qt::AlignLeft;
  Qt::Alignment m_layout = Qt::AlignVCenter;
  bool m_transparent = false;
  bool m_wordWrap = false;
  bool m_tickAttached = true;
};

}  // namespace vireo
