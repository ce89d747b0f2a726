// The bundled skins on real X11 windows (Xvfb with openbox): a main window holding every
// main-window control and a lyric window are skinned with Default and with Light, shown, and
// photographed into the build folder (tests/skin/skin-<name>.png, and -resized.png after the main
// window grew), for people to look at. Skips without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QWindow>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "SkinArtWindows.h"
#include "TestEnv.h"
#include "ddvcl/TDDButton.h"
#include "ddvcl/TDDCheckedButton.h"
#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TDDLinkLabel.h"
#include "ddvcl/TDDLrcShow.h"
#include "ddvcl/TDDPlaylist.h"
#include "ddvcl/TDDSliderBlendEx.h"
#include "ddvcl/TDDVIS.h"
#include "ddvcl/TDDWindow.h"
#include "ddvcl/TScrollText.h"
#include "skin/TDDSkin.h"
#include "skin/TSkinLyricViewAdapter.h"
#include "skin/TSkinPlaylistAdapter.h"
#include "skin/TSkinVisAdapter.h"

using namespace vireo;
using vireo::test::Pump;
using vireo::test::WaitUntil;
using vireo::test::LyricWindow;
using vireo::test::MainWindow;

namespace {

bool Shown(QWidget& w) {
  return WaitUntil([&] { return w.windowHandle() && w.windowHandle()->isExposed(); }, 10000);
}

QImage Shot(const QWidget& main, const QWidget& lrc) {
  const QRect area = main.frameGeometry().united(lrc.frameGeometry()).adjusted(-10, -10, 10, 10);
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
      .toImage();
}

void SkinAndPhotograph(const char* name) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) GTEST_SKIP() << "no X display";
  const QString skinXml =
      QStringLiteral(VIREO_SOURCE_DIR "/skins/") + QLatin1StringView(name) + u"/skin.xml";
  if (!QFileInfo::exists(skinXml)) GTEST_SKIP() << "no bundled skin " << name;

  MainWindow main;
  LyricWindow lrc;
  TDDSkin skin(QStringLiteral(VIREO_SOURCE_DIR), QStringLiteral(VIREO_BINARY_DIR "/no-user-skins"));
  skin.SetWindow(QStringLiteral("main"), main.table);
  skin.SetWindow(QStringLiteral("lrc"), lrc.table);
  ASSERT_TRUE(skin.LoadSkin(skinXml)) << skin.LastError().toStdString();
  // What the skin gave the list's background: the pixels below the last row must show it.
  const TSkinScript script = TSkinScript::FromFile(skinXml);
  std::optional<TColor32> listBack;
  for (const TSkinStep& step : script.steps)
    if (const auto* v = std::get_if<TSkinListValues>(&step.values))
      listBack = v->BackColor.ToOpaque32();

  main.form.move(40, 40);
  lrc.form.move(40 + main.form.width(), 40);
  main.form.show();
  lrc.form.show();
  ASSERT_TRUE(Shown(main.form));
  ASSERT_TRUE(Shown(lrc.form));
  lrc.view->SetPosTime(6000);
  main.FeedSpectrum();
  Pump(500);

  const QString dir = QStringLiteral(VIREO_BINARY_DIR "/tests/skin");
  QDir().mkpath(dir);
  const QString base = dir + QStringLiteral("/skin-") + QLatin1StringView(name);
  const QImage shot = Shot(main.form, lrc.form);
  EXPECT_TRUE(shot.save(base + QStringLiteral(".png")));
  if (listBack) {
    const QRect rows = main.list->geometry();
    const QPoint below = main.form.mapToGlobal(QPoint(rows.left() + 20, rows.bottom() - 2));
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    EXPECT_EQ(screen.pixel(below) & 0xFFFFFFu, *listBack & 0xFFFFFFu);
  }

  // The main window grown: anchored controls follow, the frame stretches.
  main.form.resize(main.form.width() + 80, main.form.height() + 120);
  lrc.form.move(40 + main.form.width(), 40);
  Pump(500);
  EXPECT_TRUE(Shot(main.form, lrc.form).save(base + QStringLiteral("-resized.png")));
}

}  // namespace

TEST(SkinArtXvfb, DefaultSkin) {
  SkinAndPhotograph("Default");
}

TEST(SkinArtXvfb, LightSkin) {
  SkinAndPhotograph("Light");
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests) || qEnvironmentVariableIsEmpty("DISPLAY")) return RUN_ALL_TESTS();
  // Windows mapped while the window manager is still coming up can stay unexposed: wait for it.
  for (int i = 0; i < 150; ++i) {
    if (std::system("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'") == 0)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
