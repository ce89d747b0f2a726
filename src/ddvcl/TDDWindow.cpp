#include "ddvcl/TDDWindow.h"

#include <QEvent>
#include <QPainter>
#include <exception>

#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TSkinScale.h"

namespace vireo {

TDDWindow::TDDWindow(QWidget* parent) : TDDGraphicControlEx(parent) {
  unsetCursor();
  SetColor(clBlack);
  if (parent) {
    parent->installEventFilter(this);
    FollowParent();
  }
  if (auto* form = qobject_cast<TDDFormEx*>(parent)) form->SetFrame(this);
  lower();
}

void TDDWindow::Invalidate() {
  ++m_generation;
  if (!m_frameCurrent) return;
  m_frameCurrent = false;
  if (parentWidget()) parentWidget()->update();
}

void TDDWindow::RenderIntoForm() const {
  auto* form = qobject_cast<TDDFormEx*>(parentWidget());
  if (!form) return;
  TDDBitmap32& target = form->m_backBuffer;
  if (m_frameCurrent && target.Width() == width() && target.Height() == height()) return;
  RenderFrame(target, width(), height());
  m_frameCurrent = true;
}

TDDWindow::~TDDWindow() {
  FreeRegions();
}

void TDDWindow::FollowParent() {
  if (parentWidget()) setGeometry(parentWidget()->rect());
}

bool TDDWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) FollowParent();
  return TDDGraphicControlEx::eventFilter(watched, event);
}

void TDDWindow::changeEvent(QEvent* event) {
  TDDGraphicControlEx::changeEvent(event);
  // A disabled frame lets the pointer through to the form, which moves the window.
  if (event->type() == QEvent::EnabledChange)
    setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
}

void TDDWindow::SetTopLeft(TSpriteRect r) {
  Invalidate();
  m_tl = r;
}
void TDDWindow::SetTopMiddle(TSpriteRect r) {
  Invalidate();
  if (r.W <= 0) r.W = 5;
  m_tm = r;
}
void TDDWindow::SetTopRight(TSpriteRect r) {
  Invalidate();
  m_tr = r;
}
void TDDWindow::SetBottomLeft(TSpriteRect r) {
  Invalidate();
  m_bl = r;
}
void TDDWindow::SetBottomMiddle(TSpriteRect r) {
  Invalidate();
  if (r.W <= 0) r.W = 5;
  m_bm = r;
}
void TDDWindow::SetBottomRight(TSpriteRect r) {
  Invalidate();
  m_br = r;
}
void TDDWindow::SetLeftMiddle(TSpriteRect r) {
  Invalidate();
  if (r.H <= 0) r.H = 5;
  m_lm = r;
}
void TDDWindow::SetRightMiddle(TSpriteRect r) {
  Invalidate();
  m_rm = r;
}
void TDDWindow::SetTopCenter(TSpriteRect r) {
  Invalidate();
  m_tc = r;
}

void TDDWindow::RenderFrame(TDDBitmap32& target, int w, int h, double scale) const {
  if (scale == 1.0 && !target.IsCanvas()) {
    target.SetSize(w, h);
  } else {
    target.SetSize(TSkinScale::ToPixel(scale, w), TSkinScale::ToPixel(scale, h));
    target.MakeCanvas(scale, QPoint(0, 0), QPoint(0, 0), QSize(w, h));
  }
  if (target.Empty()) return;
  target.Clear(Color32FromColor(Color()));
  const TDDBitmap32& img = Image();
  auto put = [&](TSpriteRect piece, int x, int y) { img.CopyRectTo(target, x, y, piece.ToRect()); };
  put(m_tl, 0, 0);
  // Whole tiles; the last one may reach under the corner or centre piece drawn after it.
  if (m_tc.W <= 0) {
    for (int x = m_tl.W; x <= w - m_tr.W; x += m_tm.W) put(m_tm, x, 0);
  } else {
    const int c = w / 2 - m_tc.W / 2;
    for (int x = m_tl.W; x <= c; x += m_tm.W) put(m_tm, x, 0);
    put(m_tc, c, 0);
    for (int x = c + m_tc.W; x <= w - m_tr.W; x += m_tm.W) put(m_tm, x, 0);
  }
  put(m_tr, w - m_tr.W, 0);
  for (int y = m_tl.H; y <= h - m_bl.H; y += m_lm.H) {
    put(m_lm, 0, y);
    put(m_rm, w - m_rm.W, y);
  }
  put(m_bl, 0, h - m_bl.H);
  for (int x = m_bl.W; x <= w - m_br.W; x += m_bm.W) put(m_bm, x, h - m_bm.H);
  put(m_br, w - m_br.W, h - m_br.H);
}

void TDDWindow::Compose(TDDBitmap32& buffer) {
  RenderFrame(buffer, width(), height());
}

void TDDWindow::paintEvent(QPaintEvent*) {
  try {
    QPainter p(this);
    if (auto* form = qobject_cast<TDDFormEx*>(parentWidget())) {
      if (devicePixelRatioF() == 1.0)
        form->BackBuffer().CopyToDC(p, 0, 0);
      else
        form->DrawScaled(p, *this);
    } else {
      TDDBitmap32 alone;
      RenderFrame(alone, width(), height());
      alone.CopyToDC(p, 0, 0);
    }
  } catch (const std::exception&) {
    // No memory for the frame: this paint is skipped, the next one tries again.
  }
}

QRegion TDDWindow::RegionFromAlpha(const TDDBitmap32& bitmap) {
  QRegion region;
  for (int y = 0; y < bitmap.Height(); ++y) {
    const TColor32* row = bitmap.ScanLine(y);
    int x = 0;
    while (x < bitmap.Width()) {
      if (AlphaOf(row[x]) < 255) {
        const int start = x;
        while (x < bitmap.Width() && AlphaOf(row[x]) < 255) ++x;
        region += QRect(start, y, x - start, 1);
      } else {
        ++x;
      }
    }
  }
  return region;
}

QRegion TDDWindow::CornerRegion(TSpriteRect piece) const {
  TDDBitmap32 corner(piece.W, piece.H);
  if (corner.Empty()) return QRegion();
  Image().CopyRectTo(corner, 0, 0, piece.ToRect());
  return RegionFromAlpha(corner);
}

void TDDWindow::FreeRegions() {
  m_rgnTL = m_rgnBL = m_rgnTR = m_rgnBR = QRegion();
}

bool TDDWindow::Shaped() const {
  return !m_rgnTL.isEmpty() || !m_rgnBL.isEmpty() || !m_rgnTR.isEmpty() || !m_rgnBR.isEmpty();
}

void TDDWindow::SetShaped(bool enabled) {
  FreeRegions();
  if (enabled) {
    m_rgnTL = CornerRegion(m_tl);
    m_rgnBL = CornerRegion(m_bl);
    m_rgnTR = CornerRegion(m_tr);
    m_rgnBR = CornerRegion(m_br);
    ApplyRegion();
  } else {
    m_applied = QRegion();
    if (parentWidget()) parentWidget()->clearMask();
  }
}

void TDDWindow::ApplyRegion() {
  QWidget* form = parentWidget();
  if (!form) return;
  const int pw = form->width(), ph = form->height();
  QRegion r(0, 0, pw, ph);
  r ^= m_rgnTL;
  r ^= m_rgnTR.translated(pw - m_tr.W, 0);
  r ^= m_rgnBL.translated(0, ph - m_bl.H);
  r ^= m_rgnBR.translated(pw - m_br.W, ph - m_br.H);
  m_applied = r;
  form->setMask(r);
}

void TDDWindow::resizeEvent(QResizeEvent* event) {
  TDDGraphicControlEx::resizeEvent(event);
  m_frameCurrent = false;  // the form repaints whole after a resize
  ++m_generation;
  if (Shaped()) ApplyRegion();
}

}  // namespace vireo
