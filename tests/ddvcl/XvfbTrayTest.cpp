// The tray icon in a real tray host (trayer, an XEmbed system tray) under Xvfb and openbox: a
// minimised window leaves the screen, a click on its icon brings it back, and the icon returns by
// itself when the host restarts. Needs DISPLAY, trayer and xdotool.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QWindow>
#include <memory>

#include "TestEnv.h"
#include "ddvcl/TDDTrayIcon.h"

using namespace vireo;
using vireo::test::Pump;
using vireo::test::WaitUntil;

namespace {

std::unique_ptr<QProcess> StartTrayer() {
  auto p = std::make_unique<QProcess>();
  p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p->start(QStringLiteral("trayer"),
           {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
            QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
            QStringLiteral("--width"), QStringLiteral("96"), QStringLiteral("--heighttype"),
            QStringLiteral("pixel"), QStringLiteral("--height"), QStringLiteral("32"),
            QStringLiteral("--SetDockType"), QStringLiteral("true"), QStringLiteral("--expand"),
            QStringLiteral("false")});
  return p;
}

void Stop(QProcess& p) {
  p.kill();
  p.waitForFinished(5000);
}

bool Xdo(const QStringList& args) {
  return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
}

void ClickAt(QPoint p) {
  Xdo({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
  Pump(150);
  Xdo({QStringLiteral("click"), QStringLiteral("1")});
}

bool Restored(QWidget& w) {
  return w.isVisible() && !w.isMinimized() && w.windowHandle() && w.windowHandle()->isExposed();
}

std::string Props(QWidget& w) {
  QProcess p;
  p.start(QStringLiteral("sh"),
          {QStringLiteral("-c"),
           QStringLiteral("xprop -id %1 WM_STATE _NET_WM_STATE; xwininfo -id %1 | grep -i state")
               .arg(w.winId())});
  p.waitForFinished();
  return p.readAllStandardOutput().toStdString();
}

}  // namespace

TEST(XvfbTray, ClickOnTheIconRestoresTheMinimisedWindowAlsoAfterTheHostRestarts) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) GTEST_SKIP() << "no X display";
  if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty() ||
      QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty())
    GTEST_SKIP() << "xdotool or trayer missing";

  QWidget w;
  w.setWindowTitle(QStringLiteral("tray owner"));
  w.setGeometry(300, 300, 200, 100);
  // A window manager that is still starting can leave a first window unexposed: map it again.
  bool shown = false;
  for (int attempt = 0; attempt < 4 && !shown; ++attempt) {
    w.show();
    shown = WaitUntil([&] { return Restored(w); }, 4000);
    if (!shown) w.hide();
  }
  ASSERT_TRUE(shown);

  auto host = StartTrayer();
  ASSERT_TRUE(host->waitForStarted(5000));
  ASSERT_TRUE(WaitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000))
      << "the tray host did not come up";

  TDDTrayIcon tray(&w);
  tray.SetHint(QStringLiteral("维雀"));
  tray.SetRestoreOn(TDDTrayIconClicks::ticLeftClick);
  int restores = 0, downs = 0;
  tray.OnRestoreApp = [&](QObject*) { ++restores; };
  tray.OnLButtonDown = [&](QObject*) { ++downs; };
  ASSERT_TRUE(tray.Enabled());
  ASSERT_TRUE(WaitUntil([&] { return tray.Geometry().isValid(); }, 10000)) << "icon not docked";
  Pump(300);

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    w.showMinimized();
    // Minimised and hidden: no taskbar entry, the tray is the way back.
    ASSERT_TRUE(WaitUntil([&] { return !w.isVisible(); }, 5000));
    Pump(300);
    const QRect icon = tray.Geometry();
    ASSERT_TRUE(icon.isValid());
    ClickAt(icon.center());
    EXPECT_TRUE(WaitUntil([&] { return Restored(w); }, 5000))
        << "visible " << w.isVisible() << " minimised " << w.isMinimized() << Props(w);
    EXPECT_EQ(restores, round + 1);
    EXPECT_EQ(downs, round + 1);

    if (round == 0) {
      // The tray host goes away and a new one starts: the icon docks again by itself.
      Stop(*host);
      ASSERT_TRUE(WaitUntil([&] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));
      host = StartTrayer();
      ASSERT_TRUE(host->waitForStarted(5000));
      ASSERT_TRUE(WaitUntil([&] { return tray.Geometry().isValid(); }, 10000))
          << "the icon did not come back";
      EXPECT_TRUE(tray.Enabled());
      Pump(300);
    }
  }
  Stop(*host);
}
