#include "ddvcl/TDDForm.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>

#include "ddvcl/FormSnapping.h"

namespace vireo {

namespace {
QList<QPointer<TDDForm>>& Registry() {
  static QList<QPointer<TDDForm>> forms;
  return forms;
}
TDDForm::PositionProbe& Probe() {
  static TDDForm::PositionProbe probe;
  return probe;
}
}  // namespace

void TDDForm::SetPositionProbe(PositionProbe probe) {
  Probe() = std::move(probe);
}

QPoint TDDForm::ScreenPosition() const {
  if (Probe() && isWindow() && isVisible())
    if (const std::optional<QPoint> real = Probe()(this)) return *real;
  return pos();
}

void TDDForm::SyncPosition() {
  if (!Probe() || !isWindow() || !isVisible()) return;
  const std::optional<QPoint> real = Probe()(this);
  // Moving to where the window already is costs the window manager nothing and tells Qt.
  if (real && *real != pos()) move(*real);
}

TDDForm::TDDForm(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_NoSystemBackground);
  // Moves without a pressed button reach OnMouseMove, which sets the edge-sizing cursors.
  setMouseTracking(true);
  Registry().append(this);
}

TDDForm::~TDDForm() {
  Registry().removeAll(this);
}

QList<TDDForm*> TDDForm::Forms() {
  QList<TDDForm*> out;
  for (const QPointer<TDDForm>& f : Registry())
    if (f) out.append(f.data());
  return out;
}

void TDDForm::SetBorderless(bool borderless) {
  m_borderless = borderless;
  setWindowFlag(Qt::FramelessWindowHint, borderless);
}

QRect TDDForm::WorkArea() const {
  const QScreen* s = screen();
  if (!s) s = QGuiApplication::primaryScreen();
  return s ? s->availableGeometry() : QRect();
}

QRect TDDForm::FormRect() const {
  return m_borderless ? QRect(pos(), size()) : frameGeometry();
}

bool TDDForm::ShiftHeld() const {
  return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

void TDDForm::EnterSizeMove() {
  SyncPosition();
  if (m_tag != snap::kMaster) return;
  const QList<TDDForm*> forms = Forms();
  for (TDDForm* f : forms)
    if (f != this) f->SyncPosition();
  if (forms.isEmpty()) return;
  m_moving = true;
  std::vector<snap::Peer> peers;
  QList<TDDForm*> others;
  for (TDDForm* f : forms) {
    if (f == this) continue;
    others.append(f);
    peers.push_back({f->FormRect(), f->Tag(), f->isVisible(), f->Borderless()});
  }
  const std::vector<bool> docked = snap::DockingGroup(FormRect(), peers);
  m_groupOffsets.clear();
  for (qsizetype i = 0; i < others.size(); ++i) {
    if (!docked[std::size_t(i)]) continue;
    others[i]->SetTag(snap::kDocked);
    m_groupOffsets.append({others[i], others[i]->FormRect().topLeft() - FormRect().topLeft()});
  }
}

void TDDForm::ReleaseGroup() {
  m_moving = false;
  m_groupOffsets.clear();
  if (m_tag != snap::kMaster) return;
  for (TDDForm* f : Forms())
    if (f != this && f->isVisible() && f->Tag() == snap::kDocked) f->SetTag(snap::kOrdinary);
}

void TDDForm::ExitSizeMove() {
  ReleaseGroup();
}

QRect TDDForm::WindowPosChanging(const QRect& proposed) {
  snap::Request rq;
  rq.Current = FormRect();
  rq.Proposed = proposed;
  rq.Tag = m_tag;
  rq.NormalState =
      (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) == 0;
  rq.Shift = ShiftHeld();
  rq.Moving = m_moving;
  rq.WorkArea = WorkArea();
  rq.SnapBuffer = m_snapBuffer;
  QList<TDDForm*> others;
  for (TDDForm* f : Forms()) {
    if (f == this) continue;
    others.append(f);
    rq.Others.push_back({f->FormRect(), f->Tag(), f->isVisible(), f->Borderless()});
  }
  const snap::Result res = snap::SnapWindowPos(rq);
  if (res.ReleaseGroup) ReleaseGroup();
  for (std::size_t i = 0; i < res.MovedPeers.size(); ++i) {
    TDDForm* peer = others[res.MovedPeers[i]];
    QPoint to = res.MovedTo[i];
    for (const auto& [form, offset] : std::as_const(m_groupOffsets))
      if (form == peer) to = res.Rect.topLeft() + offset;
    peer->move(to);
  }
  return res.Rect;
}

void TDDForm::mousePressEvent(QMouseEvent* e) {
  const bool defaultCursor =
      !testAttribute(Qt::WA_SetCursor) || cursor().shape() == Qt::ArrowCursor;
  const bool normal =
      (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) == 0;
  if (m_borderless && e->button() == Qt::LeftButton && normal && defaultCursor && isWindow()) {
    // Our own move loop: it runs from this press to the release.
    m_inMoveLoop = true;
    m_pressGlobal = e->globalPosition().toPoint();
    EnterSizeMove();
    m_startPos = FormRect().topLeft();
    e->accept();
    return;
  }
  const QPoint p = e->position().toPoint();
  if (OnMouseDown) OnMouseDown(this, e->button(), e->modifiers(), p.x(), p.y());
}

void TDDForm::mouseMoveEvent(QMouseEvent* e) {
  if (m_inMoveLoop) {
    if (!(e->buttons() & Qt::LeftButton)) {
      // The release went elsewhere (a grab was taken away): the move is over.
      EndMoveLoop();
    } else {
      const QPoint delta = e->globalPosition().toPoint() - m_pressGlobal;
      const QRect target = WindowPosChanging(QRect(m_startPos + delta, FormRect().size()));
      if (target.topLeft() != FormRect().topLeft()) move(target.topLeft());
      return;
    }
  }
  const QPoint p = e->position().toPoint();
  if (OnMouseMove) OnMouseMove(this, e->modifiers(), p.x(), p.y());
}

void TDDForm::EndMoveLoop() {
  m_inMoveLoop = false;
  ExitSizeMove();
}

void TDDForm::mouseReleaseEvent(QMouseEvent* e) {
  if (m_inMoveLoop && e->button() == Qt::LeftButton) {
    EndMoveLoop();
    return;
  }
  const QPoint p = e->position().toPoint();
  if (e->button() == Qt::LeftButton) {
    if (OnMouseUp) OnMouseUp(this, e->button(), e->modifiers(), p.x(), p.y());
  } else if (e->button() == Qt::RightButton && m_popupMenu && !IsAutoPopup(m_popupMenu)) {
    PopupMenuAt(m_popupMenu, QCursor::pos());
  }
}

void TDDForm::contextMenuEvent(QContextMenuEvent* e) {
  if (m_popupMenu && IsAutoPopup(m_popupMenu)) PopupMenuAt(m_popupMenu, e->globalPos());
  e->accept();
}

}  // namespace vireo
