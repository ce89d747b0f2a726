#pragma once

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "app/desktop/X11LyricStrips.h"
#include "app/lyrics/DesktopLyricPainter.h"
#include "ddvcl/TDDFrameClock.h"
#include "lyrics/TLyricItem.h"

namespace vireo {

class TDDSkin;
class TPetrelDlrcButton;

// The desktop lyrics: one line of large outlined gradient text floating above every window,
// with nothing around the glyphs. With a compositing manager the window is per-pixel
// translucent; without one its shape is cut from the glyphs. Either way only the glyphs take
// the mouse: a press between them reaches the window below. Hovering a glyph shows the toolbar.
// UI thread only.
class TPetrelDeskTopLrc : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kWelcome =
      QT_TRANSLATE_NOOP("vireo::TPetrelDeskTopLrc", "维雀 分享音乐 分享快乐");

  TPetrelDeskTopLrc();
  ~TPetrelDeskTopLrc() override;

  // Where the window is on the screen, as the X server has it; Qt's own record is made right
  // when it has gone stale. Qt takes a top-level window's place from its configure events, and
  // under a reparenting window manager one of them can come while the frame still stands at
  // the screen's corner: Qt then keeps (0, 0) for a window that is shown at the bottom, and
  // whatever is placed from it (the toolbar, a taller line keeping its bottom edge) lands at the
  // top of the screen.
  QPoint SyncPlace();

  // Renders text unless it is the text last rendered.
  void ShowText(const QString& text);
  // The current lyric line as the lyric view has it (times on the play clock, end when it stops
  // being current) and the play position, every position tick: a karaoke line that is the text
  // shown fills word by word, in the skin's colours over paler ones, a device pixel at a time
  // (TDDFrameClock: a frame only when the edge moved, at most TDDFrameClock::kMaxRate a second);
  // its translation (when shown) is a second row.
  // text is what ShowText would show (". . ." for a blank line); one render at most.
  void ShowLine(const QString& text, const TLyricItem& line, qint32 end, qint32 positionMs);
  void SetShowTranslations(bool show);
  bool ShowTranslations() const { return m_showTranslations; }
  QString Translation() const { return m_translation; }
  // The right edge of the sung part on the window as shown (-1: not a karaoke line).
  int FillRight() const;
  bool FrameTimerActive() const { return m_frames.Active(); }
  // Frames that moved the fill so far.
  int FrameCount() const { return m_frames.Frames(); }
  QString CurrentText() const { return m_currentText; }
  // How many times a line was really rendered (the same line twice renders once).
  int RenderCount() const { return m_renders; }
  // Paints through Qt, and karaoke frames copied within the X server instead.
  int PaintCount() const { return m_paints; }
  int StripCopies() const { return m_strips.Copies(); }

  // Set by the skin's "desktoplrc" element; each re-renders the current line.
  QColor ColorBegin() const { return m_style.ColorBegin; }
  QColor ColorEnd() const { return m_style.ColorEnd; }
  QColor OutlineColor() const { return m_style.OutlineColor; }
  int Alpha() const { return m_alpha; }
  void SetColorBegin(const QColor& c);
  void SetColorEnd(const QColor& c);
  void SetOutlineColor(const QColor& c);
  void SetAlpha(int alpha);  // 0..255, over the per-pixel alpha
  // The font face and size (pixels) of the text, and the window's height.
  void SetTextFont(const QString& face, int size);
  void SetWindowHeight(int height);
  QString FontFace() const { return m_style.Face; }
  int FontSize() const { return m_style.Size; }

  void SetToolbar(TPetrelDlrcButton* toolbar);
  // Hands the window to the skin object as "desktoplrc" (its height, colours and font).
  void RegisterSkin(TDDSkin& skin);
  // Where FormCreate puts the window: 25 pixels in, screen width - 50 wide, at the bottom of
  // the work area.
  void PlaceDefault();
  // The rendered line (logical size W x H); its alpha decides what is glyph and what is not.
  const QImage& Rendered() const { return m_image; }
  // The part of the window that takes the mouse: the glyphs (empty at alpha 0).
  QRegion GlyphRegion() const { return m_region; }

 Q_SIGNALS:
  // The pointer is over a glyph.
  void Hovered();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Render();
  void UpdateFrames();
  // Where the fill's edge stands at a time of the play clock, in device pixels (-1: none).
  int EdgeAt(qint32 ms) const;
  // The shown edge moved between two device columns: repaint what lies between.
  void FrameMoved(int from, int to);
  qreal ImageDpr() const;
  void ApplyShape();
  // Gives the X server the karaoke line's row in both colourings for the frames to copy from.
  void LoadStrips();
  void FollowCompositor();

  QString m_currentText;
  DesktopLyricStyle m_style;
  int m_alpha = 255;
  QImage m_image;
  QImage m_unsung;  // a karaoke line's own row in the paler colours
  QRegion m_region;
  QString m_translation;
  bool m_showTranslations = true;
  TLyricItem m_line;  // the karaoke line shown (no words: none)
  TLyricItem m_given;  // the line as last given, karaoke or not
  qint32 m_lineEnd = 0;
  QList<int> m_wordPos;   // the word boundaries of m_line and their x on the window
  QList<qreal> m_wordX;
  TDDFrameClock m_frames;
  int m_baseHeight = 0;  // the height without a translation row
  int m_renders = 0;
  int m_paints = 0;
  X11LyricStrips m_strips;
  bool m_composited = false;
  bool m_reshapeWhenMapped = false;
  QTimer m_compositorCheck;
  QPointer<TPetrelDlrcButton> m_toolbar;
};

}  // namespace vireo
