#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "ddvcl/Color32.h"
#include "lyrics/LyricClock.h"
#include "lyrics/TLyricHandle.h"

class QPainter;

namespace vireo {

// The scrolling lyric view: every line of the lyric centred, one under the other, the current line
// in its own colour, scrolling so that the current line moves up by one line height over its own
// duration. The lines are rendered into a tall back buffer only when the current line changes (then
// only the rows of the two lines whose colour changed, unless a colour changed meanwhile) or after
// a text, font or size change; every other position update recomputes the offset and copies the
// buffer.
//
// Feeding it (the main window):
//   lrcshw_min->SetLrc(text);             // a lookup completed: parse, take the file's offset
//   lrcshw_min->SetLengthTime(lengthMs);  // then the length: appends the closing line
//   lrcshw_min->SetPosTime(positionMs);   // every progress tick while the lyric button is on
//   lrcshw_min->SetLrc({}); lrcshw_min->SetLengthTime(0);  // the track ended or was stopped
//   desktop text: lrcshw_min->LrcCurrText()
// The offset buttons add or subtract 500 through SetLrcOffset(LrcOffset() +/- 500).
// The skin loader sets, in this order: bounds, LrcSpace, BGColor, LrcColor, LrcCurrColor,
// LrcFontName, LrcFontSize.
//
// Karaoke lines (word tags) fill left to right while current, word by word, in the current-line
// colour over the line colour; the fill moves at the display's rate from a clock that runs on
// between the position updates (a frame timer runs only while such a line is current and the
// view is shown). Lines of one time are one line with translations (TLyricHandle::
// GroupTranslations), drawn under it smaller and dimmer while ShowTranslations is on; every
// line's cell then has room for them. A lyric without either looks as it always did.
//
// Colours are 0x00BBGGRR values as the skins write them. UI thread only.
class TDDLrcShow : public QWidget {
  Q_OBJECT
 public:
  // The line appended by SetLengthTime at the track's length.
  // The source text; the line shows its translation.
  static constexpr const char* kClosingLine =
      QT_TRANSLATE_NOOP("vireo::TDDLrcShow", "维雀 分享音乐 分享快乐");
  // Lyrics longer than this, or whose lines would take more memory than the byte limit, are
  // buffered in a window of lines around the current one rather than all at once.
  static constexpr int kMaxBufferedLines = 1000;
  static constexpr qint64 kMaxBackBufferBytes = qint64(64) << 20;

  explicit TDDLrcShow(QWidget* parent = nullptr);

  // Extra pixels added to each line's height (a byte: values wrap to 0..255). Stored only.
  int LrcSpace() const { return m_lrcSpace; }
  void SetLrcSpace(int value) { m_lrcSpace = std::uint8_t(value); }
  // The lyric text last set. Setting it parses it, takes its [offset:], sorts the lines and forces
  // a full render at the next scroll step; LrcCurrText becomes empty. No repaint.
  const QString& Lrc() const { return m_lrc; }
  void SetLrc(const QString& text);
  // Play position in ms; setting it runs the scroll step, and repaints when the lines moved or were
  // drawn again.
  int PosTime() const { return m_posTime; }
  void SetPosTime(int ms);
  // Track length in ms; setting it appends the closing line at that time (no sort, no repaint).
  int LengthTime() const { return m_lengthTime; }
  void SetLengthTime(int ms);
  TColorRef BGColor() const { return m_bgColor; }
  void SetBGColor(TColorRef color);
  TColorRef LrcCurrColor() const { return m_currColor; }
  void SetLrcCurrColor(TColorRef color);
  TColorRef LrcColor() const { return m_lrcColor; }
  void SetLrcColor(TColorRef color);
  // A positive offset makes lines current earlier. Stored only.
  int LrcOffset() const { return m_lrcOffset; }
  void SetLrcOffset(int ms) { m_lrcOffset = ms; }
  // The current line's text as last rendered (one space for an empty line).
  const QString& LrcCurrText() const { return m_currText; }
  const QString& LrcFontName() const { return m_fontName; }
  void SetLrcFontName(const QString& name);
  int LrcFontSize() const { return m_fontSize; }
  // Points; a negative size is a pixel height as the skins of old gave it, 0 keeps the face's
  // default size.
  void SetLrcFontSize(int points);
  // The control's own colour (white); the view paints with BGColor.
  TColorRef Color() const { return m_color; }
  void SetColor(TColorRef color) { m_color = color; }

  // Whether translations are drawn under their lines (the player's setting).
  bool ShowTranslations() const { return m_showTranslations; }
  void SetShowTranslations(bool show);
  // The current line with its times on the play position's clock (the offset taken off), and
  // when it stops being current (the next line's time, or its own plus kLastLineMs for the last
  // one); an empty item when no line is current. For the desktop lyrics.
  static constexpr qint32 kLastLineMs = 5000;
  TLyricItem CurrentLine(qint32* end = nullptr) const;
  // The horizontal extent of the current karaoke line's filled part at the clock's time, on the
  // control: [left, right) (left == right: nothing filled yet); nullopt-like -1 when the current
  // line is not a karaoke line.
  int FillRight() const;
  bool FrameTimerActive() const { return m_frames.isActive(); }

  // The timeline, for reading.
  const TLyricHandle& Lyric() const { return m_lyric; }
  // Line height in pixels: the font's text height plus LrcSpace.
  int LineHeight() const { return m_textHeight + m_lrcSpace; }
  // The height each line takes: LineHeight, plus the rows of translations when they are shown.
  int CellHeight() const { return LineHeight() + m_transRows * m_transHeight; }
  // The current-line index of the last full render (-1: none reached).
  int LastCurrent() const { return m_lastCurrent; }
  // How many renders of the back buffer (whole, or the rows of a line change) have run.
  int RenderCount() const { return m_renderCount; }
  const QImage& BackBuffer() const { return m_buffer; }
  // Where the top of all the lines (line 0's cell minus half a view) lands on the control at the
  // last scroll step.
  int BufferTop() const { return m_bufferTop; }
  // The lines the back buffer holds: from FirstBufferedLine, BufferedLineCount of them.
  int FirstBufferedLine() const { return m_firstLine; }
  int BufferedLineCount() const { return m_bufferLines; }

  // The view as a paint would leave it, drawn into target (resized to the control).
  void RenderTo(QImage& target);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // Works out the current line and the vertical offset, and re-renders the back buffer when due.
  void ScrollStep();
  static int BufferedLines(int w, int h, int lineH);
  void Render(int current);
  // Draws the rows of line and its neighbours again (nothing when line is not buffered).
  void RenderAround(int line, int end);
  // Draws lines [from, to) into the back buffer, within clip unless it is null.
  void RenderLines(int from, int to, const QRect& clip);
  void PaintOn(QPainter& painter);
  void FontChanged();
  void LyricChanged();
  bool CurrentIsKaraoke() const;
  // Starts or stops the frame timer as the current line and the clock call for it.
  void UpdateFrames();
  void FrameTick();
  // The control rows of the current line's text.
  QRect CurrentLineRect() const;

  TLyricHandle m_lyric;
  std::vector<int> m_times;  // the items' times, in item order, for the scan of each step
  QImage m_buffer;
  QFont m_font;
  QFont m_transFont;
  int m_textHeight = 0;
  int m_ascent = 0;
  int m_transHeight = 0;
  int m_transAscent = 0;
  int m_transRows = 0;  // translation rows in every cell (0 when none or hidden)
  int m_maxTranslations = 0;
  bool m_showTranslations = true;
  LyricClock m_clock;
  QTimer m_frames;
  QImage m_lit;       // the current karaoke line in the current-line colour, one text row
  int m_litX = 0;     // where its text starts
  int m_shownFill = -1;  // the fill's right edge last painted
  bool m_dirty = true;
  int m_lastCurrent = 0;
  int m_bufferTop = 0;
  int m_renderCount = 0;
  int m_firstLine = 0;
  int m_bufferLines = 0;
  // The background, current-line and line colours the back buffer was last fully drawn in.
  std::array<TColorRef, 3> m_drawnColors{};

  std::uint8_t m_lrcSpace = 0;
  QString m_lrc;
  int m_posTime = 0;
  int m_lengthTime = 0;
  TColorRef m_bgColor = 0;
  TColorRef m_currColor = 0;
  TColorRef m_lrcColor = 0;
  int m_lrcOffset = 0;
  QString m_currText;
  QString m_fontName;
  int m_fontSize = 10;
  TColorRef m_color = 0xFFFFFF;
};

}  // namespace vireo
