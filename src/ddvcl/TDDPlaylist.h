#pragma once

#include <QCursor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <cstdint>

#include "ddvcl/Color32.h"
#include "ddvcl/DDEvents.h"
#include "ddvcl/PlaylistTextCache.h"
#include "ddvcl/TDDBitmapEx32.h"
#include "ddvcl/TDDCustomControl.h"
#include "ddvcl/TRect.h"
#include "playlist/TDDPlaylistModel.h"

class QTimer;

namespace vireo {

class TDDScrollBar;

// The playlist control: rows of 14 pixels with an optional number column and length column, the
// selected rows on SelectionColor, the playing row in TextCurrentColor, its own skinned scroll bar
// on the right, selection with mouse and keyboard, play with a double click or Enter, and moving
// the selected rows by dragging them.
//
// The entries, the current entry and the selection live in Model(); this control owns everything
// about pixels: the first visible row (TopIndex), the drop position while dragging, the
// double-click flag. It listens to the model's signals and repaints at once (synchronously) when
// the rows it shows change. A paint composes only the visible rows in one off-screen bitmap.
//
// What the main window uses:
//   Model()                      the entries; connect to its signals (see TDDPlaylistModel.h).
//                                Model().OnDeleteItem is raised for every entry really deleted.
//   SetCurrentItem(i)            plays-from-here: sets the model's current entry and scrolls it
//                                into view (the model's own setter does not scroll).
//   OnItemDblClick, OnItemEnterKey
//                                a row was double-clicked / Enter pressed: the model's CurrentItem
//                                is already that row; start playing it.
//   Model().SelectionChanged     the selection or its anchor (SelectedIndex) changed.
//   SetPopupMenu(menu)           the right-click menu (TDDCustomControl's rule: a menu with
//                                automatic pop-up opens on the context-menu event, one without on
//                                the right-button release, at the cursor).
//   OnMouseDown, OnMouseUp, OnMouseMove, OnDblClick, OnStartDrag, OnEndDrag
//                                the usual events, after the control's own handling.
//
// UI thread only.
class TDDPlaylist : public TDDCustomControl {
  Q_OBJECT
 public:
  static constexpr int ItemHeight = 14;
  static constexpr int DragThreshold = 4;   // pixels the pointer moves before a drag starts
  static constexpr int AutoScrollMs = 450;  // drag auto-scroll period
  static constexpr int DropImageOpacity = 192;

  explicit TDDPlaylist(QWidget* parent = nullptr);
  ~TDDPlaylist() override;

  TDDPlaylistModel& Model() { return m_model; }
  const TDDPlaylistModel& Model() const { return m_model; }
  TDDPlaylistItems& Items() { return m_model.Items(); }
  int Count() const { return m_model.Count(); }
  int CurrentItem() const { return m_model.CurrentItem(); }
  // The model's SetCurrentItem, then a new current row (>= 0) is scrolled into view.
  void SetCurrentItem(int value);
  int SelectedIndex() const { return m_model.SelectedIndex(); }
  QString TimeFormat() const { return m_model.TimeFormat(); }
  void SetTimeFormat(const QString& format) { m_model.SetTimeFormat(format); }

  // --- geometry ---
  int TopIndex() const { return m_topIndex; }
  // Clamped to 0..max(0, Count() - VisibleRows()); repaints.
  void SetTopIndex(int value);
  // Whole rows that fit: height div ItemHeight.
  int VisibleRows() const { return height() / ItemHeight; }
  // (0, y, R, y + ItemHeight) with y = (index - TopIndex) * ItemHeight and R the row area's right
  // edge, for index >= TopIndex - 1 and y above the bottom; otherwise the empty rectangle.
  TRect ItemRect(int index) const;
  // The row under a point, or -1 above the rows, below the last entry or below the whole rows.
  int ItemAtPos(QPoint p) const;
  // The right edge of the row area: the scroll bar's left edge while it shows, else the width.
  int RowAreaWidth() const;
  int DropY() const { return m_dropY; }
  bool Rearranging() const { return m_rearranging; }
  bool InDblClick() const { return m_inDblClick; }
  bool DragInProgress() const { return m_dragging; }

  // --- display properties (the skin's "list" element sets them) ---
  TColor32 BackColor() const { return m_backColor; }
  void SetBackColor(TColor32 value);
  TColor32 TextColor() const { return m_textColor; }
  void SetTextColor(TColor32 value);
  TColor32 TextCurrentColor() const { return m_textCurrentColor; }
  void SetTextCurrentColor(TColor32 value);
  TColor32 TextSelectedColor() const { return m_textSelectedColor; }
  void SetTextSelectedColor(TColor32 value);
  TColor32 SelectionColor() const { return m_selectionColor; }
  void SetSelectionColor(TColor32 value);
  const TDDBitmap32& DropImage() const { return m_dropImage; }
  // Copies the image.
  void SetDropImage(const TDDBitmap32& image);
  std::uint8_t ScrollBarWidth() const { return m_scrollBarWidth; }
  void SetScrollBarWidth(std::uint8_t value);
  std::uint8_t ScrollBarTopMargin() const { return m_scrollBarTopMargin; }
  void SetScrollBarTopMargin(std::uint8_t value);
  std::uint8_t ScrollBarBottomMargin() const { return m_scrollBarBottomMargin; }
  void SetScrollBarBottomMargin(std::uint8_t value);
  bool AutoHideScrollBar() const { return m_autoHideScrollBar; }
  void SetAutoHideScrollBar(bool value);
  bool ShowNumbers() const { return m_showNumbers; }
  void SetShowNumbers(bool value);
  bool ShowLength() const { return m_showLength; }
  void SetShowLength(bool value);
  const QFont& Font() const { return m_font; }
  void SetFont(const QFont& font);
  const QCursor& DragCursor() const { return m_dragCursor; }
  void SetDragCursor(const QCursor& cursor) { m_dragCursor = cursor; }
  // The scroll bar child: the skin sets its sprites, track piece and image.
  TDDScrollBar* ScrollBar() const { return m_scrollBar; }

  // --- events ---
  TNotifyEvent OnItemDblClick;
  TNotifyEvent OnItemEnterKey;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnStartDrag;
  TNotifyEvent OnEndDrag;

  // Brings the scroll bar in line with the rows (range, position, bounds, visibility) and
  // repaints at once when visible. Every state change calls it.
  void Paint();
  // The row area as a paint composes it (RowAreaWidth() x height), for tests and benchmarks.
  void RenderTo(TDDBitmap32& buffer);

 protected:
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
  void MouseMove(Qt::KeyboardModifiers shift, int x, int y) override;
  void MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void SyncScrollBar();
  // The rows' background, selections and drop mark; their text too when withText.
  void Compose(TDDBitmapEx32& buffer, bool withText = true);
  // The paint on a screen that is not at 100 %, through the window's canvas.
  void PaintScaled(double dpr);
  // The visible rows' text on painter (in the list's skin pixels), each row's selection filled
  // into fills first when given.
  void DrawTexts(QPainter& painter, TDDBitmapEx32* fills);
  void FillRowSelection(TDDBitmapEx32& buffer, int index);
  void DrawRowText(QPainter& painter, int index, int numberWidth, int lengthWidth);
  TColor32 RowTextColor(int index) const;
  // Keeps TopIndex within the list after rows went away.
  void ClampTopAfterRemoval();
  void ScrollIntoView(int index);
  // Keys of the navigation table; true when handled.
  bool NavigationKey(int key, bool shift);
  void KeyUp(bool shift);
  void KeyDown(bool shift);
  // Index of the row a drop at y lands before (the row whose top the drop line marks).
  int DropIndexAt(int y) const;
  void StartDrag();
  void DragOver(int x, int y);
  void EndDrag(bool overList, QPoint at);
  void AutoScrollTick();
  void ModelSignal(bool repaint);
  void ModelChanged();

  TDDPlaylistModel m_model;
  PlaylistTextCache m_texts;
  int m_numberWidthCount = -1;  // the count m_numberWidth was measured for
  int m_numberWidth = 0;
  QString m_lengthWidthFormat;  // the time format m_lengthWidth was measured for
  int m_lengthWidth = -1;
  TDDScrollBar* m_scrollBar = nullptr;
  TDDBitmapEx32 m_buffer;

  int m_topIndex = 0;
  int m_dropY = -1;
  bool m_rearranging = false;
  bool m_inDblClick = false;
  bool m_syncing = false;
  bool m_heardDetail = false;
  bool m_detailNeedsPaint = false;
  int m_wheelRest = 0;
  Qt::MouseButtons m_buttonsHeld;

  // Drag arming: a plain left press on a row arms; moving DragThreshold pixels starts the drag.
  bool m_dragArmed = false;
  bool m_plainPress = false;
  bool m_dragging = false;
  QPoint m_dragStart;
  QTimer* m_autoScroll = nullptr;
  QCursor m_cursorBeforeDrag;

  TColor32 m_backColor = 0xFFFFFFFF;
  TColor32 m_textColor = 0xFF000000;
  TColor32 m_textCurrentColor = 0xFF00FF00;
  TColor32 m_textSelectedColor = 0xFF000000;
  TColor32 m_selectionColor;
  TDDBitmap32 m_dropImage;
  std::uint8_t m_scrollBarWidth = 0;
  std::uint8_t m_scrollBarTopMargin = 0;
  std::uint8_t m_scrollBarBottomMargin = 0;
  bool m_autoHideScrollBar = false;
  bool m_showNumbers = true;
  bool m_showLength = true;
  QFont m_font;
  QCursor m_dragCursor;
};

}  // namespace vireo
