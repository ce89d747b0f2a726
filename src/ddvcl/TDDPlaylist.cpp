#include "ddvcl/TDDPlaylist.h"

#include "ddvcl/TScaledBlock.h"
#include "ddvcl/TSkinScale.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <exception>

#include "ddvcl/DDEvents.h"
#include "ddvcl/PlaylistTextCache.h"
#include "ddvcl/TDDScrollBar.h"
#include "playlist/DateTimeFormat.h"

namespace vireo {

namespace {

QColor Opaque(TColor32 c) {
  return QColor::fromRgb(QRgb(c | 0xFF000000u));
}

}  // namespace

TDDPlaylist::TDDPlaylist(QWidget* parent) : TDDCustomControl(parent) {
  m_selectionColor = QApplication::palette().color(QPalette::Highlight).rgb() | 0xFF000000u;
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(9);
  m_font = font;
  setFont(font);
  m_dragCursor = QCursor(Qt::BusyCursor);  // the application-start cursor
  setFocusPolicy(Qt::StrongFocus);
  resize(150, 150);

  m_scrollBar = new TDDScrollBar(this);
  m_scrollBar->SetMax(1);
  m_scrollBar->OnChange = [this](QObject*) {
    if (m_syncing) return;
    m_topIndex = m_scrollBar->Position();
    Paint();
  };
  m_autoScroll = new QTimer(this);
  m_autoScroll->setInterval(AutoScrollMs);
  connect(m_autoScroll, &QTimer::timeout, this, &TDDPlaylist::AutoScrollTick);

  connect(&m_model, &TDDPlaylistModel::RowsInserted, this, [this] { ModelSignal(true); });
  connect(&m_model, &TDDPlaylistModel::RowsRemoved, this, [this] {
    ClampTopAfterRemoval();
    ModelSignal(true);
  });
  connect(&m_model, &TDDPlaylistModel::RowsChanged, this, [this](int first, int last) {
    // Edits of rows out of sight need no paint.
    ModelSignal(last >= m_topIndex && first <= m_topIndex + VisibleRows());
  });
  connect(&m_model, &TDDPlaylistModel::Reset, this, [this](bool toTop) {
    if (toTop)
      m_topIndex = 0;
    else
      ClampTopAfterRemoval();
    ModelSignal(true);
  });
  connect(&m_model, &TDDPlaylistModel::CurrentChanged, this, [this] { ModelSignal(true); });
  connect(&m_model, &TDDPlaylistModel::SelectionChanged, this, [this] { ModelSignal(true); });
  connect(&m_model, &TDDPlaylistModel::Changed, this, &TDDPlaylist::ModelChanged);
  SyncScrollBar();
}

TDDPlaylist::~TDDPlaylist() {
  // The scroll bar's handler reaches back into this control; the child dies after us.
  m_scrollBar->OnChange = nullptr;
}

void TDDPlaylist::ModelSignal(bool repaint) {
  m_heardDetail = true;
  m_detailNeedsPaint = m_detailNeedsPaint || repaint;
}

void TDDPlaylist::ModelChanged() {
  // Changed alone is a plain request to redraw (the model's Repaint).
  const bool paint = !m_heardDetail || m_detailNeedsPaint;
  m_heardDetail = m_detailNeedsPaint = false;
  if (paint) Paint();
}

void TDDPlaylist::ClampTopAfterRemoval() {
  const int count = Count(), rows = VisibleRows();
  if (count < m_topIndex) m_topIndex = 0;
  if (count - 1 < m_topIndex + rows) m_topIndex = std::max(0, count - rows);
}

void TDDPlaylist::SetCurrentItem(int value) {
  // Scrolled first, so that the model's notification paints once, already in place. The model
  // takes exactly these values (0..Count()) as a new current entry.
  if (value != m_model.CurrentItem() && Count() > 0 && value >= 0 && value <= Count())
    ScrollIntoView(value);
  m_model.SetCurrentItem(value);
}

void TDDPlaylist::ScrollIntoView(int index) {
  const int rows = VisibleRows(), count = Count();
  if (index < m_topIndex) {
    m_topIndex = index;
  } else if (index > m_topIndex + rows - 1) {
    int top = index - rows + 1;
    if (top < 0)
      top = 0;
    else if (top > count - rows)
      top = count - rows;
    m_topIndex = top;
  }
}

void TDDPlaylist::SetTopIndex(int value) {
  m_topIndex = std::clamp(value, 0, std::max(0, Count() - VisibleRows()));
  Paint();
}

TRect TDDPlaylist::ItemRect(int index) const {
  const int y = (index - m_topIndex) * ItemHeight;
  if (index >= m_topIndex - 1 && y < height()) return {0, y, RowAreaWidth(), y + ItemHeight};
  return {};
}

int TDDPlaylist::ItemAtPos(QPoint p) const {
  if (p.y() < 0) return -1;
  const int i = m_topIndex + p.y() / ItemHeight;
  if (i > Count() - 1 || i > m_topIndex + VisibleRows() - 1) return -1;
  return i;
}

int TDDPlaylist::RowAreaWidth() const {
  return m_scrollBar->isHidden() ? width() : m_scrollBar->x();
}

// --- properties --------------------------------------------------------------------------------

void TDDPlaylist::SetBackColor(TColor32 value) {
  m_backColor = value;
  Paint();
}
void TDDPlaylist::SetTextColor(TColor32 value) {
  m_textColor = value;
  Paint();
}
void TDDPlaylist::SetTextCurrentColor(TColor32 value) {
  m_textCurrentColor = value;
  Paint();
}
void TDDPlaylist::SetTextSelectedColor(TColor32 value) {
  m_textSelectedColor = value;
  Paint();
}
void TDDPlaylist::SetSelectionColor(TColor32 value) {
  m_selectionColor = value;
  Paint();
}
void TDDPlaylist::SetDropImage(const TDDBitmap32& image) {
  m_dropImage.Assign(&image);
  Paint();
}
void TDDPlaylist::SetScrollBarWidth(std::uint8_t value) {
  m_scrollBarWidth = value;
  Paint();
}
void TDDPlaylist::SetScrollBarTopMargin(std::uint8_t value) {
  m_scrollBarTopMargin = value;
  Paint();
}
void TDDPlaylist::SetScrollBarBottomMargin(std::uint8_t value) {
  m_scrollBarBottomMargin = value;
  Paint();
}
void TDDPlaylist::SetAutoHideScrollBar(bool value) {
  m_autoHideScrollBar = value;
  Paint();
}
void TDDPlaylist::SetShowNumbers(bool value) {
  if (value == m_showNumbers) return;
  m_showNumbers = value;
  Paint();
}
void TDDPlaylist::SetShowLength(bool value) {
  if (value == m_showLength) return;
  m_showLength = value;
  Paint();
}
void TDDPlaylist::SetFont(const QFont& font) {
  m_font = font;
  setFont(font);  // the skin loader starts from the widget's font
  m_numberWidthCount = -1;
  m_lengthWidth = -1;
  Paint();
}

// --- painting ----------------------------------------------------------------------------------

void TDDPlaylist::SyncScrollBar() {
  const int rows = VisibleRows(), count = Count();
  const int barWidth = m_scrollBarWidth;
  const int barHeight = height() - m_scrollBarBottomMargin - m_scrollBarTopMargin;
  m_scrollBar->setGeometry(width() - barWidth, m_scrollBarTopMargin, barWidth,
                           std::max(barHeight, 0));
  m_syncing = true;
  if (count >= rows) {
    m_scrollBar->SetMax(count - rows);
    m_scrollBar->SetPosition(m_topIndex);
  } else {
    m_scrollBar->SetMax(0);
  }
  m_syncing = false;
  const bool show = !m_autoHideScrollBar || count * ItemHeight > height();
  if (show == m_scrollBar->isHidden()) m_scrollBar->setVisible(show);
}

void TDDPlaylist::Paint() {
  SyncScrollBar();
  if (isVisible()) repaint();
}

TColor32 TDDPlaylist::RowTextColor(int index) const {
  const TDDPlaylistItem& item = m_model.Items()[index];
  if (index == m_model.CurrentItem() && !m_model.CurrentLost()) return m_textCurrentColor;
  return item.Selected ? m_textSelectedColor : m_textColor;
}

void TDDPlaylist::FillRowSelection(TDDBitmapEx32& buffer, int index) {
  if (!m_model.Items()[index].Selected) return;
  const TRect r = ItemRect(index);
  buffer.FillRect(r.Left, r.Top, r.Right,
                  std::min(r.Bottom, buffer.IsCanvas() ? height() : buffer.Height()),
                  m_selectionColor | 0xFF000000u);
}

void TDDPlaylist::DrawRowText(QPainter& painter, int index, int numberWidth, int lengthWidth) {
  const TDDPlaylistItem& item = m_model.Items()[index];
  TRect r = ItemRect(index);
  painter.setPen(Opaque(RowTextColor(index)));
  // Laid-out texts come from the cache; the caption is cut to its room, so nothing runs into the
  // length column. Texts are placed by their top-left corner, top-aligned in the row.
  const QFont& font = painter.font();
  const QFontMetrics& fm = painter.fontMetrics();
  if (m_showNumbers) {
    painter.drawStaticText(r.Left + 3, r.Top,
                           m_texts.Get(QString::number(index + 1) + u'.', -1, font, fm));
    r.Left += numberWidth;
  }
  if (m_showNumbers || m_showLength) r.Right -= lengthWidth + 3;
  if (r.Right > r.Left && !item.Caption.isEmpty())
    painter.drawStaticText(r.Left, r.Top, m_texts.Get(item.Caption, r.Width(), font, fm));
  if (m_showLength) {
    const QString length = FormatDateTime(m_model.TimeFormat(), item.LongTime);
    const QStaticText& text = m_texts.Get(length, -1, font, fm);
    painter.drawStaticText(r.Right + lengthWidth - qCeil(text.size().width()), r.Top, text);
  }
}

void TDDPlaylist::DrawTexts(QPainter& painter, TDDBitmapEx32* fills) {
  const int rows = VisibleRows(), count = Count();
  painter.setFont(m_font);
  // Measuring text is the dear part of a paint: the two column widths are kept until the
  // font, the count or the time format changes.
  const QFontMetrics fm = painter.fontMetrics();
  if (m_showNumbers && m_numberWidthCount != count) {
    m_numberWidth = fm.horizontalAdvance(QString::number(count) + QStringLiteral(".  "));
    m_numberWidthCount = count;
  }
  if (m_showLength && (m_lengthWidthFormat != m_model.TimeFormat() || m_lengthWidth < 0)) {
    m_lengthWidthFormat = m_model.TimeFormat();
    m_lengthWidth = fm.horizontalAdvance(QStringLiteral("M") + m_lengthWidthFormat);
  }
  const int numberWidth = m_showNumbers ? m_numberWidth : 0;
  const int lengthWidth = m_showLength ? m_lengthWidth : 0;
  for (int i = m_topIndex, n = 0; n < rows && i < count; ++i, ++n) {
    if (fills) FillRowSelection(*fills, i);
    DrawRowText(painter, i, numberWidth, lengthWidth);
  }
}

void TDDPlaylist::Compose(TDDBitmapEx32& buffer, bool withText) {
  const int rows = VisibleRows(), count = Count();
  buffer.SetFont(m_font);
  // A canvas (a screen not at 100 %) comes sized for the whole list; its rows are filled in skin
  // pixels there, and the text is drawn afterwards at the screen's own density (DrawTexts).
  if (!buffer.IsCanvas()) buffer.SetSize(RowAreaWidth(), height());
  if (buffer.Empty()) return;
  if (buffer.IsCanvas())
    buffer.FillRect(0, 0, RowAreaWidth(), height(), m_backColor | 0xFF000000u);
  else
    buffer.Clear(m_backColor | 0xFF000000u);
  if (withText) {
    // Every pixel is opaque now, so the text goes through an opaque view of the same memory:
    // the painter then skips the straight-alpha conversions, several times faster.
    QImage opaque(reinterpret_cast<uchar*>(buffer.Bits()), buffer.Width(), buffer.Height(),
                  buffer.Width() * 4, QImage::Format_RGB32);
    QPainter painter(&opaque);
    DrawTexts(painter, &buffer);
  } else {
    for (int i = m_topIndex, n = 0; n < rows && i < count; ++i, ++n) FillRowSelection(buffer, i);
  }
  if (m_rearranging && m_dropY >= 0) {
    const int rowsWidth = buffer.IsCanvas() ? RowAreaWidth() : buffer.Width();
    const int rowsHeight = buffer.IsCanvas() ? height() : buffer.Height();
    if (m_dropImage.Empty()) {
      if (m_dropY < rowsHeight)
        buffer.HorizontalLine(0, m_dropY, rowsWidth - 1, m_textColor | 0xFF000000u);
    } else {
      const int top = std::max(0, m_dropY - m_dropImage.Height() / 2);
      m_dropImage.StretchBlendTo(
          buffer, TRect::FromSize(0, top, rowsWidth, m_dropImage.Height()), DropImageOpacity);
    }
  }
}

void TDDPlaylist::RenderTo(TDDBitmap32& buffer) {
  SyncScrollBar();
  Compose(m_buffer);
  buffer.Assign(&m_buffer);
}

void TDDPlaylist::paintEvent(QPaintEvent*) {
  // A buffer that cannot be had skips this paint; the next one tries again.
  try {
    const double dpr = devicePixelRatioF();
    if (dpr != 1.0) {
      PaintScaled(dpr);
      return;
    }
    Compose(m_buffer);
    QPainter p(this);
    m_buffer.CopyToDC(p, 0, 0);
    // The margins above and below the scroll bar belong to nobody else: nothing would paint
    // them on an opaque control.
    if (!m_scrollBar->isHidden()) {
      const QRect bar = m_scrollBar->geometry();
      const QColor back = Opaque(m_backColor);
      p.fillRect(QRect(bar.left(), 0, width() - bar.left(), bar.top()), back);
      p.fillRect(QRect(bar.left(), bar.bottom() + 1, width() - bar.left(), height()), back);
    }
  } catch (const std::exception&) {
  }
}

void TDDPlaylist::PaintScaled(double dpr) {
  TScaledBlock block(*this, dpr, 1.0, false);
  TDDBitmapEx32& canvas = block.Canvas();
  if (canvas.Empty()) return;
  Compose(canvas, false);
  if (!m_scrollBar->isHidden()) {
    // The margins above and below the scroll bar, as at 100 %.
    const QRect bar = m_scrollBar->geometry();
    const TColor32 back = m_backColor | 0xFF000000u;
    canvas.FillRect(bar.left(), 0, width(), bar.top(), back);
    canvas.FillRect(bar.left(), bar.bottom() + 1, width(), height(), back);
  }
  // The rows are laid out in skin pixels as at 100 %, but their text is drawn at the screen's
  // pixels: composed at the art's density and reduced (2x art at 150 %) it would come out soft.
  QImage device = block.DeviceImage();
  if (device.isNull()) return;
  {
    QPainter text(&device);
    const QTransform toDevice = block.SkinToDevice();
    text.setClipRect(toDevice.mapRect(QRectF(0, 0, RowAreaWidth(), height())));
    text.setTransform(toDevice);
    DrawTexts(text, nullptr);
  }
  QPainter p(this);
  block.Show(p, device);
}

void TDDPlaylist::resizeEvent(QResizeEvent* event) {
  TDDCustomControl::resizeEvent(event);
  // A taller window shows more rows: the last page stays full instead of ending in blank rows
  // the scroll bar cannot reach.
  m_topIndex = std::min(m_topIndex, std::max(0, Count() - VisibleRows()));
  SyncScrollBar();
}

void TDDPlaylist::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) update();
  TDDCustomControl::changeEvent(event);
}

// --- mouse -------------------------------------------------------------------------------------

void TDDPlaylist::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  if (button == Qt::LeftButton) {
    const int a = ItemAtPos(QPoint(x, y));
    m_dragArmed = false;
    m_plainPress = !(shift & (Qt::ShiftModifier | Qt::ControlModifier));
    {
      TDDPlaylistItems::Update update(m_model.Items());
      if (shift & Qt::ShiftModifier) {
        m_model.ClearSelection(false);
        if (a >= 0 && m_model.SelectedIndex() >= 0) m_model.SelectRange(m_model.SelectedIndex(), a);
      } else if (shift & Qt::ControlModifier) {
        if (a >= 0) {
          m_model.SetSelectedIndex(a);
          m_model.ToggleSelected(a);
        }
      } else if (a < 0) {
        m_model.ClearSelection(false);
        m_model.SetSelectedIndex(-1);
      } else if (m_model.IsSelected(a)) {
        // The selection stays so that several rows can be dragged together.
        m_model.SetSelectedIndex(a);
      } else {
        m_model.ClearSelection(false);
        m_model.SetSelectedIndex(a);
        m_model.SetSelected(a, true);
      }
    }
    if (m_plainPress && a >= 0 && !m_inDblClick) {
      m_dragArmed = true;
      m_dragStart = QPoint(x, y);
    }
    update();
    setFocus(Qt::MouseFocusReason);
  }
  TDDCustomControl::MouseDown(button, shift, x, y);
}

void TDDPlaylist::MouseMove(Qt::KeyboardModifiers shift, int x, int y) {
  const bool leftHeld = m_buttonsHeld & Qt::LeftButton;
  if (m_dragging) {
    if (rect().contains(x, y)) DragOver(x, y);
  } else if (leftHeld && !m_inDblClick && m_plainPress) {
    if (!m_dragArmed && m_model.SelectedIndex() >= 0) {
      m_dragArmed = true;
      m_dragStart = QPoint(x, y);
    }
    if (m_dragArmed && (std::abs(x - m_dragStart.x()) >= DragThreshold ||
                        std::abs(y - m_dragStart.y()) >= DragThreshold)) {
      StartDrag();
      if (rect().contains(x, y)) DragOver(x, y);
    }
  }
  TDDCustomControl::MouseMove(shift, x, y);
}

void TDDPlaylist::MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  m_inDblClick = false;
  if (button == Qt::LeftButton) {
    if (m_dragging || m_dragArmed) EndDrag(m_dragging && rect().contains(x, y), QPoint(x, y));
    m_plainPress = false;
  }
  TDDCustomControl::MouseRelease(button, shift, x, y);
}

void TDDPlaylist::mouseMoveEvent(QMouseEvent* e) {
  m_buttonsHeld = e->buttons();
  TDDCustomControl::mouseMoveEvent(e);
}

void TDDPlaylist::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    TDDCustomControl::mouseDoubleClickEvent(e);
    return;
  }
  const QPoint p = e->position().toPoint();
  // A double click is no drag: the flag goes up before the press is handled.
  m_inDblClick = true;
  MouseDown(e->button(), e->modifiers(), p.x(), p.y());
  const int a = ItemAtPos(p);
  if (Count() > 0 && a >= 0) {
    m_model.PlayItem(a);
    Paint();
    if (OnItemDblClick) OnItemDblClick(this);
  }
  if (OnDblClick) OnDblClick(this);
}

void TDDPlaylist::wheelEvent(QWheelEvent* e) {
  // Whole notches of 120; touchpads deliver parts of one, which add up.
  m_wheelRest += e->angleDelta().y();
  const int notches = m_wheelRest / 120;
  m_wheelRest -= notches * 120;
  if (notches != 0)
    m_scrollBar->SetPosition(m_scrollBar->Position() - notches * QApplication::wheelScrollLines());
  e->accept();
}

// --- keyboard ----------------------------------------------------------------------------------

void TDDPlaylist::keyPressEvent(QKeyEvent* e) {
  // The Menu key opens the list's menu under the selected row (or the list's top-left corner
  // while no row is selected and shown).
  if (e->key() == Qt::Key_Menu && PopupMenu()) {
    const int sel = m_model.SelectedIndex();
    const bool shown = sel >= m_topIndex && sel < m_topIndex + VisibleRows();
    PopupMenuAt(PopupMenu(), mapToGlobal(QPoint(0, shown ? (sel - m_topIndex + 1) * ItemHeight : 0)));
    e->accept();
    return;
  }
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  if (Count() > 0 && NavigationKey(e->key(), shift)) {
    e->accept();
    return;
  }
  TDDCustomControl::keyPressEvent(e);
}

bool TDDPlaylist::NavigationKey(int key, bool shift) {
  const int count = Count(), rows = VisibleRows();
  const int anchor = m_model.SelectedIndex();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    if (anchor >= 0) {
      m_model.PlayItem(anchor);
      ScrollIntoView(anchor);
      Paint();
      if (OnItemEnterKey) OnItemEnterKey(this);
    }
    return true;
  }
  TDDPlaylistItems::Update update(m_model.Items());
  switch (key) {
    case Qt::Key_PageUp: {
      const int t = std::max(0, m_topIndex - rows);
      m_model.ClearSelection(false);
      m_topIndex = t;
      m_model.SetSelectedIndex(t);
      m_model.SetSelected(t, true);
      break;
    }
    case Qt::Key_PageDown: {
      const int s = std::min(m_topIndex + rows, count - 1);
      m_model.ClearSelection(false);
      m_topIndex = rows >= count ? 0 : std::min(s, count - rows);
      m_model.SetSelectedIndex(s);
      m_model.SetSelected(s, true);
      break;
    }
    case Qt::Key_Home:
      m_model.ClearSelection(false);
      if (!shift)
        m_model.SetSelected(0, true);
      else if (anchor >= 0)
        m_model.SelectRange(anchor, 0);
      m_model.SetSelectedIndex(0);
      m_topIndex = 0;
      break;
    case Qt::Key_End:
      m_model.ClearSelection(false);
      if (!shift)
        m_model.SetSelected(count - 1, true);
      else if (anchor >= 0)
        m_model.SelectRange(anchor, count - 1);
      m_model.SetSelectedIndex(count - 1);
      m_topIndex = std::max(0, count - rows);
      break;
    case Qt::Key_Up:
      KeyUp(shift);
      break;
    case Qt::Key_Down:
      KeyDown(shift);
      break;
    default:
      return false;
  }
  m_model.Repaint();  // the closing bracket redraws even when only TopIndex moved
  return true;
}

void TDDPlaylist::KeyUp(bool shift) {
  const int sel = m_model.SelectedIndex(), count = Count();
  if (sel < m_topIndex || sel > m_topIndex + VisibleRows()) {
    m_model.SetSelectedIndex(m_topIndex);
    if (!shift) m_model.ClearSelection(false);
    m_model.SetSelected(m_topIndex, true);
    return;
  }
  if (sel <= 0 || sel >= count) return;
  if (sel == m_topIndex && m_topIndex > 0) --m_topIndex;
  if (!shift) m_model.ClearSelection(false);
  m_model.SetSelectedIndex(sel - 1);
  m_model.SetSelected(sel - 1, true);
}

void TDDPlaylist::KeyDown(bool shift) {
  const int sel = m_model.SelectedIndex(), count = Count();
  if (sel < m_topIndex || sel > m_topIndex + VisibleRows()) {
    m_model.SetSelectedIndex(m_topIndex);
    if (!shift) m_model.ClearSelection(false);
    m_model.SetSelected(m_topIndex, true);
    return;
  }
  if (sel < 0 || sel >= count - 1) return;
  if (!shift) m_model.ClearSelection(false);
  m_model.SetSelectedIndex(sel + 1);
  m_model.SetSelected(sel + 1, true);
  if (sel + 1 - m_topIndex > VisibleRows() - 1) ++m_topIndex;
}

// --- dragging rows -----------------------------------------------------------------------------

int TDDPlaylist::DropIndexAt(int y) const {
  return std::min(m_topIndex + std::max(y, 0) / ItemHeight, Count());
}

void TDDPlaylist::StartDrag() {
  m_dragArmed = false;
  m_dragging = true;
  m_autoScroll->stop();
  m_cursorBeforeDrag = cursor();
  setCursor(m_dragCursor);
  if (OnStartDrag) OnStartDrag(this);
}

void TDDPlaylist::DragOver(int /*x*/, int y) {
  m_rearranging = true;
  if (y < 0) return;
  const int dropY = ItemRect(DropIndexAt(y)).Top;
  if (!m_autoScroll->isActive()) m_autoScroll->start();
  if (dropY != m_dropY) {
    m_dropY = dropY;
    Paint();
  }
}

void TDDPlaylist::AutoScrollTick() {
  if (m_scrollBar->Max() <= 0) return;
  if (m_dropY >= height() - ItemHeight)
    m_scrollBar->SetPosition(m_scrollBar->Position() + 1);
  else if (m_dropY <= 0)
    m_scrollBar->SetPosition(m_scrollBar->Position() - 1);
}

void TDDPlaylist::EndDrag(bool overList, QPoint at) {
  const bool started = m_dragging;
  m_autoScroll->stop();
  m_dragArmed = false;
  m_dragging = false;
  if (started) setCursor(m_cursorBeforeDrag);
  if (m_rearranging) {
    if (overList) {
      // The rows land where the drop line showed them.
      m_model.MoveSelected(DropIndexAt(at.y()));
    }
    m_rearranging = false;
    m_dropY = -1;
    Paint();
  } else {
    // Never over the list (or a click that did not move far enough): only the anchor row stays.
    TDDPlaylistItems::Update update(m_model.Items());
    m_model.ClearSelection(false);
    if (m_model.SelectedIndex() >= 0) m_model.SetSelected(m_model.SelectedIndex(), true);
  }
  if (started && OnEndDrag) OnEndDrag(this);
}

}  // namespace vireo
