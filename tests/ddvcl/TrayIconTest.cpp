// The tray icon's own reactions, on a desktop without a tray (the offscreen platform): what each
// tray report does, the popup's hold on restoring, the tip length, the icon list.
#include <gtest/gtest.h>

#include <QMenu>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include "TestEnv.h"
#include "ddvcl/TDDTrayIcon.h"

using namespace vireo;
using vireo::test::Pump;
using vireo::test::WaitUntil;

namespace {

struct Owner {
  QWidget w;
  TDDTrayIcon* tray;
  QStringList log;
  Owner() {
    w.resize(100, 60);
    w.show();
    tray = new TDDTrayIcon(&w);
    auto note = [this](const char* what) {
      return [this, what](QObject*) { log << QString::fromLatin1(what); };
    };
    tray->OnLButtonDown = note("ldown");
    tray->OnLButtonUp = note("lup");
    tray->OnLButtonDblClick = note("ldbl");
    tray->OnRButtonDown = note("rdown");
    tray->OnRButtonUp = note("rup");
    tray->OnRButtonDblClick = note("rdbl");
    tray->OnRestoreApp = note("restore");
    tray->OnMinimizeApp = note("minimize");
  }
  std::string Log() const { return log.join(u' ').toStdString(); }
  void Report(QSystemTrayIcon::ActivationReason reason) {
    Q_EMIT tray->findChild<QSystemTrayIcon*>()->activated(reason);
  }
};

QIcon Solid(QRgb colour) {
  QPixmap p(16, 16);
  p.fill(QColor::fromRgb(colour));
  return QIcon(p);
}

QRgb Centre(const QIcon& icon) {
  return icon.pixmap(16, 16).toImage().pixel(8, 8) & 0xFFFFFFu;
}

}  // namespace

TEST(TrayIcon, WithoutATrayStaysOffAndMinimisingKeepsTheWindow) {
  Owner o;
  EXPECT_FALSE(o.tray->Enabled());
  o.tray->SetEnabled(true);
  EXPECT_FALSE(o.tray->Enabled());
  EXPECT_EQ(o.tray->RestoreOn(), TDDTrayIconClicks::ticLeftDblClick);
  EXPECT_EQ(o.tray->PopupMenuOn(), TDDTrayIconClicks::ticRightClickUp);
  EXPECT_TRUE(o.tray->HideOnMinimize());
  EXPECT_EQ(o.tray->Interval(), 1000);
  EXPECT_FALSE(o.tray->Animate());

  o.w.showMinimized();
  EXPECT_EQ(o.log, QStringList{QStringLiteral("minimize")});
  Pump(700);                     // longer than the wait for the window manager before hiding
  EXPECT_TRUE(o.w.isVisible());  // no tray: the taskbar stays the way back
}

TEST(TrayIcon, EachTrayReportRunsItsActions) {
  Owner o;  // restores on a double click by default
  o.Report(QSystemTrayIcon::Trigger);
  o.Report(QSystemTrayIcon::DoubleClick);
  o.Report(QSystemTrayIcon::Context);
  o.Report(QSystemTrayIcon::MiddleClick);
  EXPECT_EQ(o.Log(), "ldown lup restore ldbl rdown rup");

  // Restore on the press: the minimised window comes back, the release does nothing more.
  o.tray->SetRestoreOn(TDDTrayIconClicks::ticLeftClick);
  o.w.showMinimized();
  o.log.clear();
  o.tray->Click(TDDTrayIconClicks::ticLeftClick);
  EXPECT_FALSE(o.w.isMinimized());
  o.tray->Click(TDDTrayIconClicks::ticLeftClickUp);
  EXPECT_EQ(o.Log(), "restore ldown lup");

  // Someone else restoring the window runs the restore reaction once.
  o.w.showMinimized();
  o.log.clear();
  o.w.showNormal();
  EXPECT_EQ(o.Log(), "restore");
  EXPECT_FALSE(o.tray->InRestore());
}

TEST(TrayIcon, RestoreIsIgnoredWhileThePopupMenuIsOpen) {
  Owner o;
  QMenu menu;
  menu.addAction(QStringLiteral("Exit"));
  o.tray->SetPopupMenu(&menu);
  o.tray->SetPopupMenuOn(TDDTrayIconClicks::ticRightClick);
  o.tray->SetRestoreOn(TDDTrayIconClicks::ticLeftClick);
  o.w.showMinimized();
  o.log.clear();

  bool sawPopup = false, stayedMinimised = false;
  QTimer::singleShot(0, [&] {
    WaitUntil([&] { return menu.isVisible(); }, 3000);
    sawPopup = o.tray->InPopup() && menu.isVisible();
    o.tray->Click(TDDTrayIconClicks::ticLeftClick);
    stayedMinimised = o.w.isMinimized();
    menu.close();
  });
  o.tray->Click(TDDTrayIconClicks::ticRightClick);  // returns when the menu closes
  EXPECT_TRUE(sawPopup);
  EXPECT_TRUE(stayedMinimised);
  EXPECT_FALSE(o.tray->InPopup());
  EXPECT_EQ(o.Log(), "ldown rdown");
  o.tray->Click(TDDTrayIconClicks::ticLeftClick);
  EXPECT_FALSE(o.w.isMinimized());
}

TEST(TrayIcon, HintIsCutToTheTipLength) {
  Owner o;
  o.tray->SetHint(QString(200, u'x'));
  EXPECT_EQ(o.tray->Hint().size(), 200);
  EXPECT_EQ(o.tray->ToolTip(), QString(127, u'x'));
  // A character outside the basic plane is never cut in half.
  o.tray->SetHint(QString(126, u'y') + QStringLiteral("\U0001F426") + QStringLiteral("zz"));
  EXPECT_EQ(o.tray->ToolTip(), QString(126, u'y'));
  o.tray->SetHint(QStringLiteral("维雀"));
  EXPECT_EQ(o.tray->ToolTip(), QStringLiteral("维雀"));
  o.tray->SetHint(QString());
  EXPECT_TRUE(o.tray->ToolTip().isEmpty());
}

TEST(TrayIcon, IconIndexAndAnimation) {
  Owner o;
  const QRgb app = Centre(o.tray->CurrentIcon());
  o.tray->SetIconIndex(1);
  EXPECT_EQ(Centre(o.tray->CurrentIcon()), app);  // no list yet
  o.tray->SetIcons({Solid(0xFF0000), Solid(0x00FF00), Solid(0x0000FF)});
  EXPECT_EQ(Centre(o.tray->CurrentIcon()), 0x00FF00u);  // the list applies the index
  o.tray->AnimationTick();
  EXPECT_EQ(o.tray->IconIndex(), 2);
  o.tray->AnimationTick();
  EXPECT_EQ(o.tray->IconIndex(), 0);
  EXPECT_EQ(Centre(o.tray->CurrentIcon()), 0xFF0000u);
  o.tray->SetIconIndex(3);
  EXPECT_EQ(Centre(o.tray->CurrentIcon()), app);
  o.tray->SetIconIndex(-1);
  EXPECT_EQ(Centre(o.tray->CurrentIcon()), app);

  o.tray->SetIconIndex(0);
  o.tray->SetInterval(20);
  o.tray->SetAnimate(true);
  EXPECT_TRUE(o.tray->Animate());
  EXPECT_TRUE(WaitUntil([&] { return o.tray->IconIndex() == 2; }, 3000));
  o.tray->SetAnimate(false);
  EXPECT_FALSE(o.tray->Animate());
}
