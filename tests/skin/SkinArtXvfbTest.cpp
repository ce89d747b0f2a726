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

namespace {

template <class T>
T* Make(QWidget* parent, const char* name, TSkinWindow& table) {
  auto* w = new T(parent);
  w->setObjectName(QLatin1StringView(name));
  table.Add({w});
  return w;
}

// The main window as its design builds it, before any skin.
struct MainWindow {
  TDDFormEx form;
  TSkinWindow table;
  TDDPlaylist* list = nullptr;
  TDDVIS* vis = nullptr;

  MainWindow() {
    form.SetTag(1);
    table.Form = &form;
    table.Frame = Make<TDDWindow>(&form, "frame", table);
    for (const char* name : {"btn_previous", "btn_next", "btn_menu", "btn_min", "btn_rndlist",
                             "btn_addfile", "btn_del", "btn_listm", "btn_mode", "btn_close"})
      Make<TDDButton>(&form, name, table);
    for (const char* name : {"btn_play", "btn_sound", "btn_share", "btn_lrc"})
      Make<TDDCheckedButton>(&form, name, table);
    qobject_cast<TDDCheckedButton*>(table.Controls.value(QStringLiteral("btn_play")).data())
        ->SetChecked(true);
    Make<QLabel>(&form, "lbl_time", table)->setText(QStringLiteral("01:23 / 04:56"));
    Make<QLabel>(&form, "lbl_mode", table)->setText(QStringLiteral("顺序播放"));
    Make<QLabel>(&form, "lbl_stack", table)->setText(QStringLiteral("播放中"));
    Make<TScrollText>(&form, "lbl_title", table)
        ->SetScrollingText(QStringLiteral("陈绮贞 - 旅行的意义 (Vireo 维雀)"));
    auto* music = Make<TDDSliderBlendEx>(&form, "sldr_music", table);
    music->SetMax(100);
    music->SetPosition(40);
    auto* volume = Make<TDDSliderBlendEx>(&form, "sldr_volume", table);
    volume->SetMax(100);
    volume->SetPosition(65);
    auto* panel = Make<QWidget>(&form, "pnl_1", table);
    auto* open = Make<TDDLinkLabel>(panel, "lbl_open", table);
    open->setText(QStringLiteral("打开文件"));
    open->adjustSize();
    auto* rnd = Make<TDDLinkLabel>(panel, "lbl_rnd", table);
    rnd->setText(QStringLiteral("随便听听"));
    rnd->adjustSize();
    panel->hide();  // shown only instead of an empty list

    list = new TDDPlaylist(&form);
    list->SetAutoHideScrollBar(true);
    list->SetTimeFormat(QStringLiteral("nn:ss"));
    const char* titles[] = {"旅行的意义",     "Clair de lune",  "晴天",   "Blue in Green",
                            "夜空中最亮的星", "So What",        "稻香",   "Gymnopédie No.1",
                            "平凡之路",       "Take Five",      "南山南", "Autumn Leaves",
                            "成都",           "Round Midnight", "董小姐", "Naima",
                            "小幸运",         "Giant Steps",    "演员",   "My Favorite Things"};
    int n = 0;
    for (const char* t : titles) {
      TDDPlaylistItem& item = list->Items().Add();
      item.Caption = QString::fromUtf8(t) + QStringLiteral(" - Artist %1").arg(++n);
      item.LongTime = (150.0 + 13 * n) / 86400.0;
    }
    list->SetTimeFormat(QStringLiteral("nn:ss"));
    list->SetCurrentItem(0);
    list->Model().SetSelected(3, true);
    table.Playlist = std::make_shared<TSkinPlaylistAdapter>(list);

    vis = new TDDVIS(&form);
    table.Spectrum = std::make_shared<TSkinVisAdapter>(vis);
  }

  // A spectrum falling off with frequency, for a picture that looks like music.
  void FeedSpectrum() {
    std::vector<float> fft(TDDVIS::kFftSingles);
    for (int i = 0; i < 512; ++i)
      fft[std::size_t(i)] = float(0.09 * std::exp(-i / 40.0) * (1.0 + 0.5 * std::sin(i * 0.7)));
    for (int frame = 0; frame < 3; ++frame) vis->SetData(fft.data());
  }
};

struct LyricWindow {
  TDDFormEx form;
  TSkinWindow table;
  TDDLrcShow* view;

  LyricWindow() {
    table.Form = &form;
    table.Frame = Make<TDDWindow>(&form, "frame", table);
    for (const char* name : {"btn_lrc", "btn_close", "btn_b5", "btn_f5", "btn_Slrc"})
      Make<TDDButton>(&form, name, table);
    view = new TDDLrcShow(&form);
    view->SetLrc(
        QStringLiteral("[00:01.00]第一行歌词\n[00:05.00]当前这一行\n[00:09.00]下一行\n"
                       "[00:13.00]再下一行"));
    view->SetLengthTime(20000);
    table.LyricView = std::make_shared<TSkinLyricViewAdapter>(view);
  }
};

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
