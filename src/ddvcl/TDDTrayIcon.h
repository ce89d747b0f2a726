#pragma once

#include <QIcon>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "ddvcl/DDEvents.h"

class QSessionManager;

namespace vireo {

// The mouse actions a tray icon can be asked to react to.
enum class TDDTrayIconClicks : std::uint8_t {
  ticNone = 0,
  ticLeftClick = 1,  // left button pressed
  ticLeftDblClick = 2,
  ticLeftClickUp = 3,  // left button released
  ticRightClick = 4,
  ticRightDblClick = 5,
  ticRightClickUp = 6,
};

// The application's icon in the desktop's tray (QSystemTrayIcon): a tool tip, a popup menu and
// restoring the owner window on configurable mouse actions, an optional icon animation, and, with
// HideOnMinimize, the owner leaves the taskbar while minimised so the tray icon is the way back.
// When the tray host restarts the icon comes back by itself. When the desktop has no tray, Enabled
// becomes false and nothing else changes (a minimised window then keeps its taskbar entry).
//
// The tray reports fewer actions than the component names. They map as follows:
//   left click (QSystemTrayIcon::Trigger)        -> ticLeftClick, then ticLeftClickUp
//   left double click (DoubleClick)              -> ticLeftDblClick (after the click's two)
//   right click / menu request (Context)         -> ticRightClick, then ticRightClickUp
//   ticRightDblClick is never reported; a middle click reports nothing.
// For each action: restore when RestoreOn names it, show PopupMenu when PopupMenuOn names it, then
// the matching mouse event.
//
// The main window owns one:
//   trycn_main = new TDDTrayIcon(this);   // this: the window that is minimised and restored
//   trycn_main->SetHint(QStringLiteral("维雀"));
//   trycn_main->SetPopupMenu(pm_main);
//   trycn_main->SetRestoreOn(TDDTrayIconClicks::ticLeftClick);
//   trycn_main->SetPopupMenuOn(TDDTrayIconClicks::ticRightClick);
//
// UI thread only.
class TDDTrayIcon : public QObject {
  Q_OBJECT
 public:
  // Tool tips are cut to this many characters.
  static constexpr int kTipLength = 127;

  using TQueryEndSessionEvent = std::function<void(QObject* sender, bool& canEnd)>;

  // Shows the icon at once when the desktop has a tray; owner is the window that is minimised and
  // restored (it owns the component).
  explicit TDDTrayIcon(QWidget* owner);
  ~TDDTrayIcon() override;

  QWidget* Owner() const { return m_owner; }

  // Whether the icon is in the tray. Turning it on when the desktop has no tray leaves it false.
  bool Enabled() const { return m_enabled; }
  void SetEnabled(bool value);
  const QString& Hint() const { return m_hint; }
  void SetHint(const QString& value);
  // The tool tip in the tray: Hint cut to kTipLength characters (never inside a surrogate pair).
  QString ToolTip() const { return m_tray.toolTip(); }
  QMenu* PopupMenu() const { return m_popupMenu; }
  void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }
  TDDTrayIconClicks RestoreOn() const { return m_restoreOn; }
  void SetRestoreOn(TDDTrayIconClicks value) { m_restoreOn = value; }
  TDDTrayIconClicks PopupMenuOn() const { return m_popupMenuOn; }
  void SetPopupMenuOn(TDDTrayIconClicks value) { m_popupMenuOn = value; }
  bool HideOnMinimize() const { return m_hideOnMinimize; }
  void SetHideOnMinimize(bool value) { m_hideOnMinimize = value; }
  const QList<QIcon>& Icons() const { return m_icons; }
  // Replacing the list applies IconIndex again.
  void SetIcons(const QList<QIcon>& icons);
  int IconIndex() const { return m_iconIndex; }
  // An index inside Icons shows that icon; any other shows the application's icon.
  void SetIconIndex(int value);
  bool Animate() const { return m_timer.isActive(); }
  void SetAnimate(bool value);
  int Interval() const { return m_timer.interval(); }
  void SetInterval(int ms) { m_timer.setInterval(ms); }
  // The icon in the tray now.
  QIcon CurrentIcon() const { return m_tray.icon(); }
  // Where the desktop shows the icon (empty when it does not say).
  QRect Geometry() const { return m_tray.geometry(); }

  bool InPopup() const { return m_inPopup; }
  bool InRestore() const { return m_inRestore; }

  // The reaction to one mouse action on the icon (the tray's reports arrive here).
  void Click(TDDTrayIconClicks action);
  // Brings the owner back from the tray or the taskbar and to the front; ignored while the popup
  // menu is open.
  void Restore();
  // Minimises the owner; the component's minimise reaction follows from the window's state change.
  void Minimize();
  // One animation step: the next icon of Icons, the first after the last.
  void AnimationTick();

  TNotifyEvent OnLButtonDown, OnLButtonUp, OnLButtonDblClick;
  TNotifyEvent OnRButtonDown, OnRButtonUp, OnRButtonDblClick;
  TNotifyEvent OnMinimizeApp, OnRestoreApp;
  // The desktop's tray reports no balloon closing, so the first two are never raised.
  TNotifyEvent OnBalloonHintHide, OnBalloonHintClose, OnBalloonHintClick;
  TQueryEndSessionEvent OnQueryEndSession;
  TNotifyEvent OnEndSession;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Add();
  void ApplyIcon();
  void ShowPopup();
  void Minimized();
  void HideMinimized();
  void Unminimize();
  void Activated(QSystemTrayIcon::ActivationReason reason);
  void CommitData(QSessionManager& manager);
  void HookOwner();
  static void Raise(const TNotifyEvent& event, QObject* sender) {
    if (event) event(sender);
  }

  QPointer<QWidget> m_owner;
  QSystemTrayIcon m_tray;
  QTimer m_timer;
  QIcon m_appIcon;
  bool m_enabled = false;
  QString m_hint;
  QPointer<QMenu> m_popupMenu;
  TDDTrayIconClicks m_restoreOn = TDDTrayIconClicks::ticLeftDblClick;
  TDDTrayIconClicks m_popupMenuOn = TDDTrayIconClicks::ticRightClickUp;
  bool m_hideOnMinimize = true;
  QList<QIcon> m_icons;
  int m_iconIndex = 0;
  bool m_inPopup = false;
  bool m_inRestore = false;
  bool m_sessionEnding = false;
  bool m_settling = false;  // ignoring the window manager's echo of a restore (at most 1 s)
  int m_settleRetries = 0;
  QTimer m_settleTimer;
  bool m_pendingHide = false;  // minimised, waiting for the window manager before hiding
  QTimer m_hideTimer;
};

}  // namespace vireo
