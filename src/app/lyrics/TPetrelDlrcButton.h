#pragma once

#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QToolButton;
class QFrame;

namespace vireo {

class TPetrelDeskTopLrc;

// The desktop lyrics' translucent toolbar: shown while the pointer is over a glyph and hidden
// 1.0 to 1.3 s after the last hover over either window (a 300 ms check re-arms a 1000 ms hide
// timer that any hover disarms). Dragging it moves the lyrics along. UI thread only.
class TPetrelDlrcButton : public QWidget {
  Q_OBJECT
 public:
  explicit TPetrelDlrcButton(TPetrelDeskTopLrc* lyrics);

  // Above the desktop lyrics: 25 pixels higher, 800 wide, centred on the work area, 5 pixels
  // taller than the lyrics.
  void PlaceOver();
  // The pointer is over a glyph of the lyrics: show the toolbar and keep it.
  void LyricsHovered();

  QToolButton* btn_b5 = nullptr;
  QToolButton* btn_f5 = nullptr;
  QFrame* bvl1 = nullptr;
  QToolButton* btn_sh = nullptr;
  QToolButton* btn_lrcwindow = nullptr;
  QFrame* bvl2 = nullptr;
  QToolButton* btn_close = nullptr;
  QTimer tmr_hide;
  QTimer tmr_ck;

 Q_SIGNALS:
  void ShiftLyrics(int ms);     // -500 / +500 on the window lyric view
  void SearchLyrics();          // the lyric search dialog
  void SwitchToWindowLyrics();  // LyricMode 1, the lyric window instead
  void CloseLyrics();           // uncheck the lyrics, close both windows
  void Dragged();               // a drag of both windows ended

 protected:
  void enterEvent(QEnterEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutButtons();
  void ShapeForDesktop();

  QPointer<TPetrelDeskTopLrc> m_lyrics;
  // The press on the screen and where both windows were then: a window manager moves a window
  // some time after it is asked to, so a point in the moving window's own coordinates would
  // drift and the lyrics would stop short of the pointer.
  QPoint m_downGlobal;
  QPoint m_startPos;
  QPoint m_lyricsStartPos;
  bool m_dragging = false;
};

}  // namespace vireo
