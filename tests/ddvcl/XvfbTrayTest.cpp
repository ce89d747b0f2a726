// The tray icon in a real tray host (trayer, an XEmbed system tray) under Xvfb and openbox: a
// minimised window leaves the screen, a click on its icon brings it back, the icon returns by
// itself when the host restarts, and a window hidden when the host goes away comes back to the
// taskbar. Needs DISPLAY, trayer and xdotool.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QWindow>
#include <memory>

#include "TestEnv.h"
#include "XPointer.h"
#include "ddvcl/TDDTrayIcon.h"

using namespace vireo;
using vireo::test::WaitUntil;
using vireo::test::XPointer;

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

// Clicks once the icon has the pointer and waits for the press; not for the release, which may
// come after the window it restores has taken the pointer.
void ClickAt(QPoint p) {
  XPointer pointer;
  // From elsewhere, so that arriving on an icon that came back where the last one was is an event.
  XPointer::Xdo({QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")});
  EXPECT_TRUE(pointer.MoveTo(p)) << "the pointer did not reach the icon";
  EXPECT_TRUE(pointer.Press()) << "the icon did not get the press";
  XPointer::Xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
}

// The icon is docked and its window is on the screen where the tray says it is, so the pointer
// can reach it there.
bool IconShown(const TDDTrayIcon& tray) {
  const QRect at = tray.Geometry();
  if (!at.isValid()) return false;
  for (QWindow* win : QGuiApplication::allWindows())
    if (win->isExposed() && QRect(win->mapToGlobal(QPoint(0, 0)), win->size()) == at) return true;
  return false;
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
  if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "no X display";
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
  ASSERT_TRUE(WaitUntil([&] { return IconShown(tray); }, 10000)) << "icon not docked";

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    w.showMinimized();
    // Minimised and hidden: no taskbar entry, the tray is the way back.
    ASSERT_TRUE(WaitUntil([&] { return !w.isVisible(); }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return IconShown(tray); }, 5000));
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
      ASSERT_TRUE(WaitUntil([&] { return IconShown(tray); }, 10000))
          << "the icon did not come back";
      EXPECT_TRUE(tray.Enabled());
    }
  }

  // Without a tray to come back through, a hidden window returns to the taskbar, minimised.
  w.showMinimized();
  ASSERT_TRUE(WaitUntil([&] { return !w.isVisible(); }, 5000));
  Stop(*host);
  EXPECT_TRUE(WaitUntil([&] { return w.isVisible(); }, 5000));
  EXPECT_TRUE(w.isMinimized());
  // And it stays there: minimising it without a tray must not hide it again.
  EXPECT_FALSE(WaitUntil([&] { return !w.isVisible(); }, 1500)) << "hidden again without a tray";
}
