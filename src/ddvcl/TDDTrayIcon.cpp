#include "ddvcl/TDDTrayIcon.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSessionManager>
#include <QWindowStateChangeEvent>

namespace vireo {

namespace {

// The icon for an application that set none: the tray refuses an empty one.
QIcon FallbackIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x2C, 0x7B, 0xD6));
  p.drawEllipse(2, 2, 28, 28);
  p.setBrush(Qt::white);
  const QPointF vee[] = {{9, 10}, {14, 10}, {16, 18}, {18, 10}, {23, 10}, {18, 23}, {14, 23}};
  p.drawPolygon(vee, 7);
  return QIcon(pixmap);
}

QString CutTip(const QString& text) {
  if (text.size() <= TDDTrayIcon::kTipLength) return text;
  int n = TDDTrayIcon::kTipLength;
  if (text.at(n - 1).isHighSurrogate()) --n;
  return text.left(n);
}

}  // namespace

TDDTrayIcon::TDDTrayIcon(QWidget* owner) : QObject(owner), m_owner(owner), m_tray(this) {
  m_appIcon =
      owner && !owner->windowIcon().isNull() ? owner->windowIcon() : QApplication::windowIcon();
  if (m_appIcon.isNull()) m_appIcon = FallbackIcon();
  m_timer.setInterval(1000);
  m_hideTimer.setSingleShot(true);
  m_hideTimer.setInterval(500);
  connect(&m_hideTimer, &QTimer::timeout, this, &TDDTrayIcon::HideMinimized);
  m_hostTimer.setInterval(1000);
  connect(&m_hostTimer, &QTimer::timeout, this, &TDDTrayIcon::CheckHost);
  m_settleTimer.setSingleShot(true);
  m_settleTimer.setInterval(1000);
  connect(&m_settleTimer, &QTimer::timeout, this, [this] { m_settling = false; });
  connect(&m_timer, &QTimer::timeout, this, &TDDTrayIcon::AnimationTick);
  connect(&m_tray, &QSystemTrayIcon::activated, this, &TDDTrayIcon::Activated);
  connect(&m_tray, &QSystemTrayIcon::messageClicked, this,
          [this] { Raise(OnBalloonHintClick, this); });
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    connect(app, &QGuiApplication::commitDataRequest, this, &TDDTrayIcon::CommitData);
    connect(app, &QCoreApplication::aboutToQuit, this, [this] {
      if (!m_sessionEnding) return;
      Raise(OnEndSession, this);
      m_tray.hide();
    });
  }
  HookOwner();
  ApplyIcon();
  SetEnabled(true);
}

TDDTrayIcon::~TDDTrayIcon() {
  m_timer.stop();
  m_tray.hide();
  if (m_owner) m_owner->removeEventFilter(this);
}

void TDDTrayIcon::HookOwner() {
  if (!m_owner) return;
  m_owner->removeEventFilter(this);
  m_owner->installEventFilter(this);
}

void TDDTrayIcon::SetEnabled(bool value) {
  if (value == m_enabled) return;
  m_enabled = value;
  if (value)
    Add();
  else
    m_tray.hide();
}

void TDDTrayIcon::Add() {
  // A desktop without a tray refuses the icon: it stays off and nothing else changes.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    m_enabled = false;
    return;
  }
  m_tray.show();
  if (!m_tray.isVisible()) m_enabled = false;
  HookOwner();
}

void TDDTrayIcon::SetHint(const QString& value) {
  if (value == m_hint) return;
  m_hint = value;
  m_tray.setToolTip(CutTip(value));
}

void TDDTrayIcon::SetIcons(const QList<QIcon>& icons) {
  m_icons = icons;
  SetIconIndex(m_iconIndex);
}

void TDDTrayIcon::SetIconIndex(int value) {
  m_iconIndex = value;
  ApplyIcon();
}

void TDDTrayIcon::ApplyIcon() {
  if (!m_icons.isEmpty() && m_iconIndex >= 0 && m_iconIndex < m_icons.size() &&
      !m_icons.at(m_iconIndex).isNull())
    m_tray.setIcon(m_icons.at(m_iconIndex));
  else
    m_tray.setIcon(m_appIcon);
}

void TDDTrayIcon::SetAnimate(bool value) {
  if (value)
    m_timer.start();
  else
    m_timer.stop();
}

void TDDTrayIcon::AnimationTick() {
  if (m_icons.isEmpty()) return;
  SetIconIndex(m_iconIndex + 1 < m_icons.size() ? m_iconIndex + 1 : 0);
}

void TDDTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      Click(TDDTrayIconClicks::ticLeftClick);
      Click(TDDTrayIconClicks::ticLeftClickUp);
      break;
    case QSystemTrayIcon::DoubleClick:
      Click(TDDTrayIconClicks::ticLeftDblClick);
      break;
    case QSystemTrayIcon::Context:
      Click(TDDTrayIconClicks::ticRightClick);
      Click(TDDTrayIconClicks::ticRightClickUp);
      break;
    default:
      break;
  }
}

void TDDTrayIcon::Click(TDDTrayIconClicks action) {
  if (action == TDDTrayIconClicks::ticNone) return;
  // The menu runs its own loop; the component may be gone when it returns (Exit chosen).
  const QPointer<TDDTrayIcon> self(this);
  if (m_restoreOn == action) Restore();
  if (!self) return;
  if (m_popupMenuOn == action) ShowPopup();
  if (!self) return;
  switch (action) {
    case TDDTrayIconClicks::ticLeftClick:
      Raise(OnLButtonDown, this);
      break;
    case TDDTrayIconClicks::ticLeftClickUp:
      Raise(OnLButtonUp, this);
      break;
    case TDDTrayIconClicks::ticLeftDblClick:
      Raise(OnLButtonDblClick, this);
      break;
    case TDDTrayIconClicks::ticRightClick:
      Raise(OnRButtonDown, this);
      break;
    case TDDTrayIconClicks::ticRightClickUp:
      Raise(OnRButtonUp, this);
      break;
    case TDDTrayIconClicks::ticRightDblClick:
      Raise(OnRButtonDblClick, this);
      break;
    case TDDTrayIconClicks::ticNone:
      break;
  }
}

void TDDTrayIcon::ShowPopup() {
  QMenu* menu = m_popupMenu;
  if (!menu) return;
  const QPoint at = QCursor::pos();
  if (m_owner && m_owner->isVisible()) m_owner->activateWindow();
  const QPointer<TDDTrayIcon> self(this);
  m_inPopup = true;
  menu->exec(at);
  if (self) m_inPopup = false;
}

void TDDTrayIcon::Restore() {
  if (m_inPopup || !m_owner) return;
  m_pendingHide = false;
  m_inRestore = true;
  // A window brought back from hiding still carries the iconic state the window manager gave it
  // until the manager maps it again; those echoes are not the user's doing.
  if (!m_owner->isVisible()) {
    m_settling = true;
    m_settleRetries = 3;
    m_settleTimer.start();
  }
  m_owner->setWindowState(m_owner->windowState() & ~Qt::WindowMinimized);
  if (m_enabled) {
    m_owner->show();
    m_owner->raise();
    m_owner->activateWindow();
  }
  Raise(OnRestoreApp, this);
  m_inRestore = false;
}

void TDDTrayIcon::Unminimize() {
  if (!m_owner || !m_owner->isMinimized()) return;
  const bool was = m_inRestore;
  m_inRestore = true;
  m_owner->setWindowState(m_owner->windowState() & ~Qt::WindowMinimized);
  m_owner->activateWindow();
  m_inRestore = was;
}

void TDDTrayIcon::Minimize() {
  if (m_owner) m_owner->showMinimized();
}

void TDDTrayIcon::Minimized() {
  // Hidden while minimised: the window leaves the taskbar and the tray icon is the way back. The
  // hide waits until the window manager has iconified the window (its spontaneous hide), or half a
  // second without one: withdrawing a window the manager is still iconifying leaves it believing
  // the window iconic when it comes back. Without a tray to come back through it stays in the
  // taskbar: hiding it there would lose it.
  if (m_enabled && m_hideOnMinimize && m_owner && QSystemTrayIcon::isSystemTrayAvailable()) {
    m_pendingHide = true;
    m_hideTimer.start();
  }
  Raise(OnMinimizeApp, this);
}

void TDDTrayIcon::HideMinimized() {
  m_hideTimer.stop();
  if (!m_pendingHide) return;
  m_pendingHide = false;
  if (m_owner && m_owner->isMinimized() && QSystemTrayIcon::isSystemTrayAvailable()) {
    m_owner->hide();
    m_hostTimer.start();
  }
}

void TDDTrayIcon::CheckHost() {
  if (!m_owner || m_owner->isVisible()) {
    m_hostTimer.stop();
    return;
  }
  // The tray went away while it was the only way back: the window returns to the taskbar,
  // minimised as the user left it.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    m_hostTimer.stop();
    m_owner->showMinimized();
  }
}

bool TDDTrayIcon::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_owner && event->type() == QEvent::Hide && event->spontaneous() && m_pendingHide)
    QMetaObject::invokeMethod(this, &TDDTrayIcon::HideMinimized, Qt::QueuedConnection);
  if (watched == m_owner && event->type() == QEvent::WindowStateChange) {
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool was = change->oldState() & Qt::WindowMinimized;
    const bool is = m_owner->windowState() & Qt::WindowMinimized;
    // What the window manager reports about a window we hid (withdrawing it clears its iconic
    // state) or one we are just bringing back is not the user's doing. A manager that kept the
    // old hidden state on the window iconifies it again as it maps it: ask again for normal.
    if (event->spontaneous() && (m_settling || !m_owner->isVisible())) {
      if (m_settling && m_owner->isVisible()) {
        if (!is)
          m_settling = false;
        else if (m_settleRetries-- > 0)
          QMetaObject::invokeMethod(this, &TDDTrayIcon::Unminimize, Qt::QueuedConnection);
      }
      return QObject::eventFilter(watched, event);
    }
    if (is && !was)
      Minimized();
    else if (was && !is && !m_inRestore)
      Restore();
  }
  return QObject::eventFilter(watched, event);
}

void TDDTrayIcon::CommitData(QSessionManager& manager) {
  bool canEnd = true;
  if (OnQueryEndSession) OnQueryEndSession(this, canEnd);
  if (!canEnd)
    manager.cancel();
  else
    m_sessionEnding = true;
}

}  // namespace vireo
