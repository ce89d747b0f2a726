// Every window and dialog of the player with each bundled skin at 100, 150 and 200 %: one start
// per skin and scale that visits them in turn as a user opens them, a screenshot of each in the
// build folder (screenshots/scale-<skin>-<percent>-<window>.png) to be looked at beside the
// 100 % one, and for each what a user would notice: the window wholly on the screen, its colours
// the skin's, its edges and text as sharp as the screen allows.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdlib>

#include "PlayerSession.h"
#include "SlowUpdateService.h"
#include "UserPathSteps.h"

using namespace vireo::test;

namespace {

const QRect kScreen(0, 0, 1280, 1024);

// The widest rise or fall of at least contrast grey levels along the lines of area, in pixel
// steps: a hard edge takes 1 step, an anti-aliased one 2; a picture enlarged or reduced with
// smoothing spreads its edges over more. Also counts the edges looked at and those wider than
// limit steps.
struct Edges {
  int widest = 0;
  int count = 0;
  int wide = 0;
};
Edges EdgesOf(const QImage& img, const QRect& area, bool alongRows, int contrast, int limit) {
  Edges e;
  const QRect r = area.intersected(img.rect());
  const int lines = alongRows ? r.height() : r.width();
  const int n = alongRows ? r.width() : r.height();
  for (int l = 0; l < lines; ++l) {
    auto g = [&](int i) {
      return qGray(alongRows ? img.pixel(r.left() + i, r.top() + l)
                             : img.pixel(r.left() + l, r.top() + i));
    };
    int i = 0;
    while (i + 1 < n) {
      const int d = g(i + 1) - g(i);
      if (std::abs(d) < 6) {
        ++i;
        continue;
      }
      int j = i + 1;
      while (j + 1 < n && (g(j + 1) - g(j)) * d > 0 && std::abs(g(j + 1) - g(j)) >= 6) ++j;
      if (std::abs(g(j) - g(i)) >= contrast) {
        ++e.count;
        e.widest = std::max(e.widest, j - i);
        if (j - i > limit) ++e.wide;
      }
      i = j;
    }
  }
  return e;
}

struct Visit {
  const char* skin;
  double scale;
};

class ScaledWindows : public ::testing::TestWithParam<Visit> {
 protected:
  bool dark() const { return QByteArray(GetParam().skin) == "Default"; }
  int percent() const { return int(GetParam().scale * 100 + 0.5); }
  QString Name(const char* window) const {
    return QStringLiteral("scale-%1-%2-%3.png")
        .arg(QLatin1StringView(GetParam().skin))
        .arg(percent())
        .arg(QLatin1StringView(window));
  }
  // A skin-pixel point of the main window on the screen.
  QPoint OnMain(const PlayerSession& s, QPoint skin) const {
    const double k = GetParam().scale;
    return s.Geometry(QStringLiteral("Vireo")).topLeft() +
           QPoint(int(skin.x() * k + 0.5), int(skin.y() * k + 0.5));
  }
  void ClickMain(const PlayerSession& s, const char* id) const {
    PlayerSession::Click(OnMain(s, PlayerSession::SkinRect(QStringLiteral("main"),
                                                           QString::fromLatin1(id))
                                       .center()));
  }
  // The background's grey is the skin's: dark with Default, light with Light.
  void ExpectSkinGrey(int grey, const char* what) const {
    if (dark())
      EXPECT_LT(grey, 100) << what << " is not dark with the dark skin";
    else
      EXPECT_GT(grey, 170) << what << " is not light with the light skin";
  }
};

}  // namespace

TEST_P(ScaledWindows, EveryWindowIsWhollyOnTheScreenInTheSkinsColoursAndSharp) {
  const Visit v = GetParam();
  const double k = v.scale;
  SlowUpdateService updates;
  PlayerSession s;
  s.UseTestSigningKey();
  s.SetEnv(QStringLiteral("QT_SCALE_FACTOR"), QString::number(v.scale));
  WriteConfig(s, QStringLiteral("<SKIN NAME=\"%1\"/><SERVICE HOST=\"%2\"/>")
                     .arg(QLatin1StringView(v.skin), updates.Host()));
  ASSERT_TRUE(s.Start({Track(QStringLiteral("Scale Test 缩放"), 60.0)})) << s.Output().toStdString();
  ASSERT_TRUE(Eventually([&] { return s.Count() == 1; }));

  // The update dialog comes up by itself at the start; looked at once its download was refused,
  // then closed from its frame.
  const QString update = PlayerSession::WaitWindowByTitle(QStringLiteral("维雀 升级"), 15000);
  ASSERT_FALSE(update.isEmpty()) << "no update dialog";
  EXPECT_TRUE(Eventually([&] { return s.Output().contains(QStringLiteral("failed its signature check")); }, 15000));
  const QRect updateRect = PlayerSession::GeometryOf(update);
  const QImage updateShot = GrabStill(updateRect, Name("update"));
  EXPECT_TRUE(kScreen.contains(updateRect)) << updateRect.x() << "," << updateRect.y();
  ExpectSkinGrey(qGray(updateShot.pixel(int(8 * k), updateShot.height() - int(8 * k))),
                 "the update dialog");
  EXPECT_GT(EdgesOf(updateShot, updateShot.rect(), true, 90, 2).count, 20) << "no text";
  PlayerSession::Xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), update});
  PlayerSession::Key(QStringLiteral("alt+F4"));
  ASSERT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("维雀 升级")).isEmpty(); }));

  // The service answered, so the library window is up beside the main window (over it where
  // the screen has no room beside it); looked at, then closed by its own button.
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo SHARE"), true, 20000));
  const QRect share = s.SettledGeometry(QStringLiteral("Vireo SHARE"));
  EXPECT_TRUE(kScreen.contains(share)) << share.x() << "," << share.y() << " " << share.width();
  const QImage shareShot = GrabStill(share, Name("library"), 20000);
  ExpectSkinGrey(qGray(shareShot.pixel(int(3 * k), shareShot.height() / 2)), "the library's frame");
  const QRect close = PlayerSession::SkinRect(QStringLiteral("share"), QStringLiteral("close"));
  const auto closeLibrary = [&](const QRect& at) {
    PlayerSession::Click(at.topLeft() + QPoint(int(close.center().x() * k), int(close.center().y() * k)));
    return s.WaitVisible(QStringLiteral("Vireo SHARE"), false);
  };
  ASSERT_TRUE(closeLibrary(share));
  // Opened again from the main window's button: wholly on the screen again.
  ClickMain(s, "share");
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo SHARE"), true, 20000));
  const QRect again = s.SettledGeometry(QStringLiteral("Vireo SHARE"));
  EXPECT_TRUE(kScreen.contains(again)) << again.x() << "," << again.y() << " " << again.width();
  ASSERT_TRUE(closeLibrary(again));
  // The rest of the walk in a start without the service, as most users have it.
  ASSERT_TRUE(s.Quit(40000, v.scale));
  WriteConfig(s, QStringLiteral("<SKIN NAME=\"%1\"/>").arg(QLatin1StringView(v.skin)));
  ASSERT_TRUE(s.Start({Track(QStringLiteral("Scale Test 缩放"), 60.0)})) << s.Output().toStdString();
  ASSERT_TRUE(Eventually([&] { return s.Current() >= 0; }));

  // The main window: on the screen, the list in the skin's colour, the spectrum's bars and the
  // frame's edges hard, the list's text no softer than anti-aliasing makes it.
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词"), true));
  PlayerSession::MoveTo(QPoint(2, 2));
  const QRect main = s.SettledGeometry(QStringLiteral("Vireo"));
  EXPECT_TRUE(kScreen.contains(main)) << main.x() << "," << main.y() << " " << main.width();
  // The spectrum moves while the track plays: the list is what must have settled.
  const QRect list = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("playlist"));
  auto dev = [&](const QRect& r) {
    return QRect(int(r.x() * k + 0.5), int(r.y() * k + 0.5), int(r.width() * k), int(r.height() * k));
  };
  GrabStill(dev(list).translated(main.topLeft()), Name("main"));
  const QImage mainShot = Grab(main, Name("main"));
  ExpectSkinGrey(qGray(mainShot.pixel(dev(list).center())), "the playlist");
  const QRect rows = dev(QRect(list.x() + 2, list.y(), list.width() - 20, 14));
  const Edges text = EdgesOf(mainShot, rows, true, 90, 2);
  EXPECT_GT(text.count, 10) << "no text in the playlist's first row";
  // Hinted, anti-aliased text at 100 % has about one edge in eight over three device pixels;
  // text enlarged from 100 % pixels would have most of them so.
  EXPECT_LE(text.wide * 5, text.count) << "of " << text.count << " text edges " << text.wide
                                        << " spread over more than 2 device pixels";
  const QRect spectrum =
      dev(PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("ost")));
  const Edges bars = EdgesOf(mainShot, spectrum.adjusted(0, spectrum.height() * 3 / 4, 0, 0),
                             true, 40, 1);
  EXPECT_EQ(bars.wide, 0) << "of " << bars.count << " bar edges, widest " << bars.widest;
  // The frame's outer edge down the middle of the title strip: one step from the desktop.
  const Edges frame = EdgesOf(mainShot, QRect(main.width() / 2, 0, 1, int(6 * k)), false, 20, 2);
  EXPECT_LE(frame.widest, 2) << "the frame's top edge is soft";

  // A drop-down menu: wholly on the screen, in the skin's colours. (The first click after a
  // modal dialog closed may be lost, as it may for a user: then pressed again.)
  ClickMain(s, "menu");
  QRect menu = PlayerSession::WaitMenu();
  if (!menu.isValid()) {
    ClickMain(s, "menu");
    menu = PlayerSession::WaitMenu();
  }
  ASSERT_TRUE(menu.isValid());
  const QImage menuShot = GrabStill(menu, Name("menu"));
  EXPECT_TRUE(kScreen.contains(menu));
  ExpectSkinGrey(qGray(menuShot.pixel(4, menu.height() / 2)), "the menu");
  EXPECT_GT(EdgesOf(menuShot, menuShot.rect(), true, 90, 2).count, 20) << "a menu without text";

  // The about box, from the menu.
  PlayerSession::ChooseInMenu({0});
  const QString about = PlayerSession::WaitWindowByTitle(QStringLiteral("关于 维雀"));
  ASSERT_FALSE(about.isEmpty());
  const QRect aboutRect = PlayerSession::GeometryOf(about);
  const QImage aboutShot = GrabStill(aboutRect, Name("about"));
  EXPECT_TRUE(kScreen.contains(aboutRect));
  ExpectSkinGrey(qGray(aboutShot.pixel(aboutShot.width() - 20, int(40 * k))), "the about box");
  PlayerSession::Key(QStringLiteral("Return"));
  ASSERT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("关于 维雀")).isEmpty(); }));

  // The open-file dialog, from the add button.
  ClickMain(s, "addfile");
  const QString open = PlayerSession::WaitWindowByTitle(QStringLiteral("打开本地歌曲"));
  ASSERT_FALSE(open.isEmpty());
  const QRect openRect = PlayerSession::GeometryOf(open);
  const QImage openShot = GrabStill(openRect, Name("open"));
  EXPECT_TRUE(kScreen.contains(openRect));
  ExpectSkinGrey(qGray(openShot.pixel(openShot.width() / 2, openShot.height() - int(12 * k))),
                 "the open dialog");
  PlayerSession::Key(QStringLiteral("Escape"));
  ASSERT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("打开本地歌曲")).isEmpty(); }));

  // The desktop lyrics and their toolbar; the lyric search dialog from the toolbar.
  ASSERT_TRUE(s.HoverDesktopLyrics(Name("desktop-hover")));
  const QRect bar = s.Geometry(QStringLiteral("Vireo 桌面歌词操作"));
  const QRect lyrics = s.Geometry(QStringLiteral("Vireo 桌面歌词"));
  EXPECT_TRUE(kScreen.contains(bar)) << bar.x() << "," << bar.y() << " " << bar.width();
  EXPECT_TRUE(kScreen.contains(lyrics)) << lyrics.x() << "," << lyrics.y() << " " << lyrics.width()
                                        << "x" << lyrics.height();
  GrabStill(bar.united(lyrics), Name("desktop"));
  // The toolbar (310 skin pixels, anchored right): "搜索歌词" 144 in, "切换" 208 in.
  const auto onBar = [&](int skinX) {
    return QPoint(bar.right() + 1 - int((310 - skinX) * k), bar.top() + int(16 * k));
  };
  // A press right after the toolbar came up may be lost, as it may for a user: then the line
  // is hovered and the button pressed again.
  PlayerSession::Click(onBar(144 + 31));
  QString search = PlayerSession::WaitWindowByTitle(QStringLiteral("歌词搜索"), 5000);
  if (search.isEmpty() && s.HoverDesktopLyrics(Name("desktop-hover"))) {
    PlayerSession::Click(onBar(144 + 31));
    search = PlayerSession::WaitWindowByTitle(QStringLiteral("歌词搜索"));
  }
  ASSERT_FALSE(search.isEmpty());
  const QRect searchRect = PlayerSession::GeometryOf(search);
  const QImage searchShot = GrabStill(searchRect, Name("lyric-search"));
  EXPECT_TRUE(kScreen.contains(searchRect));
  // The dialog's own ground is the skin's; its result list keeps its light rows.
  ExpectSkinGrey(qGray(searchShot.pixel(int(4 * k), int(20 * k))), "the lyric search");
  PlayerSession::Key(QStringLiteral("Escape"));
  ASSERT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("歌词搜索")).isEmpty(); }));

  // The lyric window instead of the desktop lyrics, from the toolbar's 切换.
  ASSERT_TRUE(s.HoverDesktopLyrics(Name("desktop-hover")));
  PlayerSession::Click(onBar(208 + 24));
  if (!s.WaitVisible(QStringLiteral("Vireo LRC"), true, 5000) &&
      s.HoverDesktopLyrics(Name("desktop-hover")))
    PlayerSession::Click(onBar(208 + 24));
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo LRC"), true));
  PlayerSession::MoveTo(QPoint(2, 2));
  const QRect lrc = s.SettledGeometry(QStringLiteral("Vireo LRC"));
  EXPECT_TRUE(kScreen.contains(lrc)) << lrc.x() << "," << lrc.y() << " " << lrc.width();
  const QImage lrcShot = GrabStill(lrc, Name("lyric"));
  ExpectSkinGrey(qGray(lrcShot.pixel(lrcShot.width() / 2, lrcShot.height() - int(20 * k))),
                 "the lyric view");
  EXPECT_TRUE(s.Quit(40000, v.scale));
}

INSTANTIATE_TEST_SUITE_P(BothSkinsAtThreeScales, ScaledWindows,
                         ::testing::Values(Visit{"Default", 1.0}, Visit{"Default", 1.5},
                                           Visit{"Default", 2.0}, Visit{"Light", 1.0},
                                           Visit{"Light", 1.5}, Visit{"Light", 2.0}),
                         [](const ::testing::TestParamInfo<Visit>& p) {
                           return std::string(p.param.skin) +
                                  std::to_string(int(p.param.scale * 100 + 0.5));
                         });
