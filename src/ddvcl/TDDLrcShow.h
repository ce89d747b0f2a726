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
#include "ddvcl/TDDFrameClock.h"
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
// colour over the line colour; the fill moves a device pixel at a time from a clock that runs on
// between the position updates (TDDFrameClock: frames only while such a line is current and the
// view is shown, only when the edge moved, at most TDDFrameClock::kMaxRate a second). Lines of one time are one line with translations (TLyricHandle::
// GroupTranslations), drawn under it smaller and dimmer while ShowTranslations is on; every
// line's cell then has room for them. A lyric without either looks as it always did.
//
// The text is drawn at the control's device pixel ratio (crisp at 150 % and 200 %); every
// position, height and width stays in the skin's pixels.
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
  // The right edge of the current karaoke line's filled part as shown, on the control (rounded
  // to a pixel); -1 when the current line is not a karaoke line.
  int FillRight() const;
  // The same in device pixels.
  int FillRightDevice() const { return m_frames.Shown(); }
  bool FrameTimerActive() const { return m_frames.Active(); }
  // Frames that moved the fill so far.
  int FrameCount() const { return m_frames.Frames(); }

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
  // Starts or stops the frames as the current line and the visibility call for them.
  void UpdateFrames();
  // Where the fill's edge stands at a time of the play clock, in device pixels (-1: none).
  int EdgeAt(qint32 ms) const;
  // The shown edge moved between two device columns: repaint what lies between.
  void FrameMoved(int from, int to);
  // Prepares the current karaoke line's lit row and word positions (nothing for others).
  void PrepareLit(int current);
  // The control rows of the current line's text.
  QRect CurrentLineRect() const;
  double Dpr() const;
  // Device row of the back buffer's top on the control at the last scroll step.
  int BufferDeviceTop() const;

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
  TDDFrameClock m_frames;
  // The current karaoke line in the current-line colour: the device rows of the back buffer
  // from m_litRow on, drawn as the buffer draws the line, so the two meet without a seam.
  QImage m_lit;
  int m_litX = 0;       // where its text starts (control pixels)
  int m_litRow = 0;     // the device row of the back buffer it starts at
  TLyricItem m_litLine;  // the line as in the lyric (times without the offset)
  qint32 m_litEnd = 0;
  QList<int> m_wordPos;  // the word boundaries of the line and their x on the control
  QList<double> m_wordX;
  double m_bufferDpr = 1.0;
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
