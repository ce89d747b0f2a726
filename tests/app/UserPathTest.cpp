// The player as a new user meets it: every drop-down button, menu item and dialog reached the way
// a user reaches it (a click on its place on the skinned window, the keys in a menu, a file
// dialog typed into, a drop from another program), and checked where the user would notice: a
// window or menu on the screen, the list, the files on disk, the settings after a restart.
// docs/USER-PATHS.md maps each control to the test here that covers it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "MediaFactory.h"
#include "MonitorRecording.h"
#include "PlayerSession.h"
#include "PrivatePulse.h"
#include "SeamMeter.h"
#include "UserPathSteps.h"

using namespace vireo::test;

namespace {

// A playlist of the files, one absolute path a line, in the folder; its path.
QString WriteList(const QTemporaryDir& folder, const QStringList& files) {
  const QString path = folder.filePath(QStringLiteral("list-%1.m3u").arg(files.size()));
  QFile m3u(path);
  EXPECT_TRUE(m3u.open(QIODevice::WriteOnly));
  m3u.write(files.join(QLatin1Char('\n')).toUtf8() + '\n');
  return path;
}

}  // namespace


TEST(UserPaths, EachDropDownButtonOpensItsMenuJustBelowItAndThePlaylistOpensItsOwn) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Drop A"), QStringLiteral("Drop B")});
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  for (const char* id : {"menu", "delfile", "listm", "pmode"}) {
    SCOPED_TRACE(id);
    const QRect button = PlayerSession::SkinRect(QStringLiteral("main"), QLatin1StringView(id));
    s.ClickMain(QLatin1StringView(id));
    const QRect menu = PlayerSession::WaitMenu();
    ASSERT_TRUE(menu.isValid()) << "no menu opened";
    PlayerSession::Screenshot(QStringLiteral("paths-menu-%1.png").arg(QLatin1StringView(id)));
    EXPECT_EQ(menu.topLeft(), main.topLeft() + QPoint(button.left(), button.bottom() + 1))
        << "at " << menu.x() << "," << menu.y();
    PlayerSession::Key(QStringLiteral("Escape"));
    EXPECT_TRUE(PlayerSession::WaitMenuClosed());
  }
  // A right click on a row selects it and opens the delete menu at the pointer; so does the
  // Menu key with the list focused.
  const QPoint row = Row(s, 1);
  PlayerSession::Click(row, 3);
  QRect menu = PlayerSession::WaitMenu();
  ASSERT_TRUE(menu.isValid());
  EXPECT_LE((menu.topLeft() - row).manhattanLength(), 4);
  PlayerSession::Key(QStringLiteral("Escape"));
  ASSERT_TRUE(PlayerSession::WaitMenuClosed());
  PlayerSession::Click(row);
  PlayerSession::Key(QStringLiteral("Menu"));
  EXPECT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::Key(QStringLiteral("Escape"));
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, DeleteAndClearAskFirstAndSortingReordersTheList) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Sort C"), QStringLiteral("Sort A"), QStringLiteral("Sort B")});
  // Sorted by name: A, B, C; the playing entry (C) stays current.
  s.ClickMain(QStringLiteral("listm"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({1});  // 按名称排列
  ASSERT_TRUE(PlayerSession::WaitMenuClosed());
  // Delete the selected row, answering Cancel first (the default), then OK.
  PlayerSession::Click(Row(s, 0));
  for (const bool ok : {false, true}) {
    s.ClickMain(QStringLiteral("delfile"));
    ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
    PlayerSession::ChooseInMenu({0});  // 删除选择文件
    ASSERT_FALSE(PlayerSession::WaitWindowByTitle(QStringLiteral("提示")).isEmpty());
    PlayerSession::Screenshot(QStringLiteral("paths-confirm-delete.png"));
    if (ok) PlayerSession::Key(QStringLiteral("shift+Tab"));
    PlayerSession::Key(ok ? QStringLiteral("space") : QStringLiteral("Return"));
    EXPECT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("提示")).isEmpty(); }));
    EXPECT_TRUE(Eventually([&] { return s.Count() == (ok ? 2 : 3); })) << s.Count();
  }
  // Deleting saves: the file holds B and C.
  EXPECT_EQ(s.SavedTitles(), (QStringList{QStringLiteral("Sort B"), QStringLiteral("Sort C")}));
  // Clear, confirmed.
  s.ClickMain(QStringLiteral("delfile"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({1});  // 清空播放列表
  ASSERT_FALSE(PlayerSession::WaitWindowByTitle(QStringLiteral("提示")).isEmpty());
  PlayerSession::Key(QStringLiteral("shift+Tab"));
  PlayerSession::Key(QStringLiteral("space"));
  EXPECT_TRUE(Eventually([&] { return s.Count() == 0; }));
  EXPECT_TRUE(s.SavedTitles().isEmpty());
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, MenuChoicesAreKeptAcrossARestart) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Kept")});
  // 皮肤 → Light, 均衡器 → the third preset, 音量均衡 on, play mode 单曲循环.
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({4, 1});
  ASSERT_TRUE(PlayerSession::WaitMenuClosed());
  // The switch minimises and restores the window: wait until it is back.
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo"), true));
  s.SettledGeometry(QStringLiteral("Vireo"));
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({6, 2});
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({5});
  s.ClickMain(QStringLiteral("pmode"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({2});
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  const QImage light = Grab(main, QStringLiteral("paths-light-skin.png"));
  // The Light skin's list is light, the Default one's dark.
  const QPoint listCentre =
      PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("playlist")).center();
  EXPECT_GT(qGray(light.pixel(listCentre)), 160);
  // The controls stand on the new frame too, not on squares of the old one.
  for (const char* id : {"previous", "sound", "close"}) {
    const QPoint corner =
        PlayerSession::SkinRect(QStringLiteral("main"), QLatin1StringView(id)).topLeft() +
        QPoint(1, 1);
    EXPECT_GT(qGray(light.pixel(corner)), 160) << id;
  }
  ASSERT_TRUE(s.Quit());
  const auto kept = [&] {
    const QString cfg = s.SettingsText();
    EXPECT_TRUE(cfg.contains(QStringLiteral("NAME=\"Light\""))) << cfg.toStdString();
    EXPECT_TRUE(cfg.contains(QStringLiteral("<EQ ID=\"3\""))) << cfg.toStdString();
    EXPECT_TRUE(cfg.contains(QStringLiteral("<DBGain Value=\"1\""))) << cfg.toStdString();
    EXPECT_TRUE(cfg.contains(QStringLiteral("<PLAY PATTERN=\"3\""))) << cfg.toStdString();
  };
  kept();
  // Started again, the player shows them, and closing again keeps them.
  ASSERT_TRUE(s.Start());
  const QImage again = Grab(s.Geometry(QStringLiteral("Vireo")), QStringLiteral("paths-light-again.png"));
  EXPECT_GT(qGray(again.pixel(listCentre)), 160);
  ASSERT_TRUE(s.Quit());
  kept();
}

TEST(UserPaths, TheMainMenuOpensTheAboutBoxTheViewsAndQuits) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Menu One"), QStringLiteral("Menu Two")});
  // 关于维雀...: the about box, closed by its button (the default one).
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({0});
  const QString about = PlayerSession::WaitWindowByTitle(QStringLiteral("关于 维雀"));
  ASSERT_FALSE(about.isEmpty());
  PlayerSession::Screenshot(QStringLiteral("paths-about.png"));
  // Centred on the desktop, as its frame says.
  const QPoint centre = PlayerSession::GeometryOf(about).center();
  EXPECT_LE((centre - QPoint(640, 512)).manhattanLength(), 40) << centre.x() << "," << centre.y();
  PlayerSession::Key(QStringLiteral("Return"));
  EXPECT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("关于 维雀")).isEmpty(); }));
  // 播放 → 上一首.
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({2, 1});
  EXPECT_TRUE(Eventually([&] { return s.Current() == 0; }));
  // 查看 → 歌词 hides the desktop lyrics, → 乐库 opens the library window.
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词"), true));
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({3, 1});
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词"), false));
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({3, 0});
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo SHARE"), true, 15000));
  // Its frame names it as its caption does, and its search box shows the hint until the user
  // goes into it (the hint goes then: the box looks different).
  const QString library = s.WindowId(QStringLiteral("Vireo SHARE"));
  EXPECT_TRUE(PlayerSession::Property(library, QStringLiteral("_NET_WM_NAME"))
                  .contains(QStringLiteral("维雀 - 分享平台")));
  const QRect share = s.SettledGeometry(QStringLiteral("Vireo SHARE"));
  const QRect box = PlayerSession::SkinRect(QStringLiteral("share"), QStringLiteral("sinput"))
                        .translated(share.topLeft());
  const QImage hinted = GrabStill(box, QStringLiteral("paths-library.png"));
  PlayerSession::Click(box.center());
  EXPECT_NE(GrabChanged(box, QStringLiteral("paths-library-search.png"), hinted), hinted)
      << "the search box had the focus and no hint when the window opened";
  EXPECT_TRUE(s.Quit(40000));
}

TEST(UserPaths, TheExitItemEndsThePlayerAndWritesTheListAndSettings) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Exit One"), QStringLiteral("Exit Two")});
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({8});  // 退出
  EXPECT_TRUE(Eventually([&] { return !s.Running(); }, 15000)) << s.Output().toStdString();
  EXPECT_EQ(s.SavedTitles().size(), 2);
  EXPECT_FALSE(s.SettingsText().isEmpty());
}

TEST(UserPaths, TheOpenDialogListsTheMusicOfAFolderAndAddsWhatIsChosen) {
  QTemporaryDir music;
  for (const char* name : {"甲 one.mp3", "乙 two.mp3"})
    QFile::copy(Track(QString::fromUtf8(name).section(QLatin1Char('.'), 0, 0), 3.0),
                music.filePath(QString::fromUtf8(name)));
  QFile notes(music.filePath(QStringLiteral("notes.txt")));
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.write("not music");
  notes.close();
  PlayerSession s;
  WriteConfig(s);
  ASSERT_TRUE(s.Start());
  // The empty list's link "> 打开本地音乐" (just above the panel's middle) and the main menu's
  // "打开本地歌曲" open the same dialog; Escape leaves the list as it was.
  const QPoint panel = s.Geometry(QStringLiteral("Vireo")).topLeft() +
                       PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("playlist")).center();
  PlayerSession::Click(panel - QPoint(0, 11));
  ASSERT_FALSE(PlayerSession::WaitWindowByTitle(QStringLiteral("打开本地歌曲")).isEmpty());
  PlayerSession::Key(QStringLiteral("Escape"));
  ASSERT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("打开本地歌曲")).isEmpty(); }));
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({1});
  ASSERT_FALSE(PlayerSession::WaitWindowByTitle(QStringLiteral("打开本地歌曲")).isEmpty());
  PlayerSession::Key(QStringLiteral("Escape"));
  ASSERT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("打开本地歌曲")).isEmpty(); }));
  EXPECT_EQ(s.Count(), 0);
  s.ClickMain(QStringLiteral("addfile"));
  const QString dialog = PlayerSession::WaitWindowByTitle(QStringLiteral("打开本地歌曲"));
  ASSERT_FALSE(dialog.isEmpty()) << "no open dialog with a Chinese title";
  // Into the folder by its path, then every file the dialog shows there, chosen at once: only
  // the music is listed under the music filter.
  PlayerSession::Type(music.path() + QLatin1Char('/'));
  const QRect dialogRect = PlayerSession::GeometryOf(dialog);
  const QImage typed = GrabStill(dialogRect, QStringLiteral("paths-open-dialog.png"));
  PlayerSession::Key(QStringLiteral("Return"));
  GrabChanged(dialogRect, QStringLiteral("paths-open-dialog.png"), typed);
  PlayerSession::Key(QStringLiteral("shift+Tab"));
  PlayerSession::Key(QStringLiteral("ctrl+a"));
  PlayerSession::Screenshot(QStringLiteral("paths-open-dialog.png"));
  PlayerSession::Key(QStringLiteral("Return"));
  EXPECT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("打开本地歌曲")).isEmpty(); }));
  EXPECT_TRUE(Eventually([&] { return s.Count() == 2; })) << s.Count();
  // Into an empty list: the first one plays.
  EXPECT_TRUE(Eventually([&] { return s.Current() == 0; }));
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, FilesAndFoldersDroppedFromAnotherProgramFollowTheDropRules) {
  QTemporaryDir folder;
  QDir().mkpath(folder.filePath(QStringLiteral("sub")));
  QFile::copy(Track(QStringLiteral("Dropped One"), 3.0), folder.filePath(QStringLiteral("a.mp3")));
  QFile::copy(Track(QStringLiteral("Dropped Two"), 3.0),
              folder.filePath(QStringLiteral("sub/b.mp3")));
  const QString text = MediaFactory::Write(QStringLiteral("dropped.txt"), "text");
  PlayerSession s;
  WriteConfig(s);
  ASSERT_TRUE(s.Start());
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  const QPoint list =
      main.topLeft() + PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("playlist")).center();
  // Only an unsupported file: nothing is added, and the empty list takes the panel's place (its
  // links go).
  const QRect listRect = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("playlist"))
                             .translated(main.topLeft());
  const QImage panel = Grab(listRect, QStringLiteral("paths-empty-panel.png"));
  ASSERT_TRUE(PlayerSession::DropFiles({text}, list));
  EXPECT_EQ(s.Count(), 0);
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
  EXPECT_TRUE(Eventually([&] { return Grab(listRect, QStringLiteral("paths-empty-list.png")) != panel; }, 3000))
      << "the panel still shows after the drop";
  // A folder stands for the music inside it, sub-folders included; the text file is skipped.
  ASSERT_TRUE(PlayerSession::DropFiles({folder.path(), text}, list));
  EXPECT_TRUE(Eventually([&] { return s.Count() == 2; })) << s.Count();
  PlayerSession::Screenshot(QStringLiteral("paths-dropped.png"));
  ASSERT_TRUE(s.Quit());
  // The tag reader filled both in before the close saved them.
  EXPECT_EQ(s.SavedTitles(),
            (QStringList{QStringLiteral("Dropped One"), QStringLiteral("Dropped Two")}));
}

TEST(UserPaths, AnImportedListAndRelativePathsKeepTheirTags) {
  QTemporaryDir folder;
  QStringList lines;
  QStringList titles;
  for (int i = 0; i < 20; ++i) {
    const QString title = QStringLiteral("Imported %1").arg(i, 2, 10, QLatin1Char('0'));
    const QString name = QStringLiteral("f%1.mp3").arg(i);
    QFile::copy(Track(title, 2.0), folder.filePath(name));
    lines.append(name);
    titles.append(title);
  }
  QFile m3u(folder.filePath(QStringLiteral("list.m3u")));
  ASSERT_TRUE(m3u.open(QIODevice::WriteOnly));
  m3u.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
  m3u.close();
  QFile::copy(Track(QStringLiteral("Relative"), 2.0), folder.filePath(QStringLiteral("rel.mp3")));
  PlayerSession s;
  WriteConfig(s);
  ASSERT_TRUE(s.Start());
  // Opened from a file manager's folder, by name relative to it, while the player runs.
  ASSERT_EQ(s.StartAgain({QStringLiteral("list.m3u")}, 20000, folder.path()), 0);
  EXPECT_TRUE(Eventually([&] { return s.Count() == 20; })) << s.Count();
  ASSERT_EQ(s.StartAgain({QStringLiteral("rel.mp3")}, 20000, folder.path()), 0);
  EXPECT_TRUE(Eventually([&] { return s.Count() == 21; })) << s.Count();
  titles.append(QStringLiteral("Relative"));
  // Once the tag reader is done the list on disk has them too, so even a crash keeps them.
  EXPECT_TRUE(Eventually([&] { return s.SavedTitles() == titles; }, 10000))
      << s.SavedTitles().join(QLatin1Char(',')).toStdString();
  ASSERT_TRUE(s.Quit());
  EXPECT_EQ(s.SavedTitles(), titles);
}

TEST(UserPaths, AMutedPlayerShowsItsVolumeSliderFaded) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Muted")});
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  const QRect volume = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("pgbvolume"))
                           .translated(main.topLeft());
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
  const QImage before = GrabStill(volume, QStringLiteral("paths-volume.png"));
  s.ClickMain(QStringLiteral("sound"));
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
  const QImage muted = GrabChanged(volume, QStringLiteral("paths-volume-muted.png"), before);
  EXPECT_NE(before, muted) << "the disabled slider looks as before";
  // Unmuted, it looks as it did.
  s.ClickMain(QStringLiteral("sound"));
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
  EXPECT_TRUE(Eventually([&] { return Grab(volume, QStringLiteral("paths-volume.png")) == before; }));
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, AtTwiceTheScaleEveryWindowOpensWhollyOnTheScreen) {
  PlayerSession s;
  WriteConfig(s);
  qputenv("QT_SCALE_FACTOR", "2");
  const bool started = s.Start({Track(QStringLiteral("Scaled"), 30.0)});
  qunsetenv("QT_SCALE_FACTOR");
  ASSERT_TRUE(started);
  const QRect screen(0, 0, 1280, 1024);
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词"), true));
  PlayerSession::Screenshot(QStringLiteral("paths-scaled.png"));
  for (const char* window : {"Vireo", "Vireo LRC", "Vireo SHARE", "Vireo 桌面歌词"}) {
    const QRect r = s.Geometry(QString::fromUtf8(window));
    EXPECT_TRUE(screen.contains(r)) << window << " at " << r.x() << "," << r.y() << " " << r.width()
                                    << "x" << r.height();
  }
  // The desktop lyrics' toolbar too, with its close button at its right end. The main window
  // covers part of the lyrics on this small screen: it is minimised first, as a user would.
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  PlayerSession::Click(main.topLeft() +
                       PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("min")).center() * 2);
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo"), false));
  ASSERT_TRUE(s.HoverDesktopLyrics(QStringLiteral("paths-scaled-hover.png")));
  const QRect bar = s.Geometry(QStringLiteral("Vireo 桌面歌词操作"));
  EXPECT_TRUE(screen.contains(bar)) << bar.x() << "," << bar.y() << " " << bar.width();
    // Shown again as a remote-control script shows it, then closed by its button.
  s.Request(1806, 99);
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo"), true));
  EXPECT_TRUE(s.Quit(15000, 2));
}

TEST(UserPaths, TheLyricSearchOpensCentredOnTheDesktopAndCannotBeMaximised) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Search Me")});
  ASSERT_TRUE(s.HoverDesktopLyrics(QStringLiteral("paths-search-hover.png")));
  const QRect bar = s.Geometry(QStringLiteral("Vireo 桌面歌词操作"));
  // "搜索歌词" sits 144 pixels into the toolbar's 310-pixel design, anchored right.
  PlayerSession::Click(QPoint(bar.right() + 1 - (310 - 144) + 31, bar.top() + 16));
  const QString dialog = PlayerSession::WaitWindowByTitle(QStringLiteral("歌词搜索"));
  ASSERT_FALSE(dialog.isEmpty());
  const QRect r = PlayerSession::GeometryOf(dialog);
  GrabStill(r, QStringLiteral("paths-lyric-search.png"));
  EXPECT_LE((r.center() - QPoint(640, 512)).manhattanLength(), 40)
      << "centred at " << r.center().x() << "," << r.center().y();
  QString actions;
  Eventually([&] {
    actions = PlayerSession::Property(dialog, QStringLiteral("_NET_WM_ALLOWED_ACTIONS"));
    return actions.contains(QStringLiteral("_NET_WM_ACTION_CLOSE"));
  });
  EXPECT_FALSE(actions.contains(QStringLiteral("MAXIMIZE"))) << actions.toStdString();
  PlayerSession::Key(QStringLiteral("Escape"));
  EXPECT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("歌词搜索")).isEmpty(); }));
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, TheVolumeMuteLyricModeAndWindowPlacesAreKeptAcrossARestart) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Placed")});
  // The volume set low on its slider, then muted.
  QRect main = s.Geometry(QStringLiteral("Vireo"));
  const QRect volume = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("pgbvolume"));
  PlayerSession::Click(main.topLeft() + QPoint(volume.left() + volume.width() / 5, volume.center().y()));
  s.ClickMain(QStringLiteral("sound"));
  // The window lyrics instead of the desktop ones, from the desktop toolbar's "切换".
  ASSERT_TRUE(s.HoverDesktopLyrics(QStringLiteral("paths-placed-hover.png")));
  const QRect bar = s.Geometry(QStringLiteral("Vireo 桌面歌词操作"));
  PlayerSession::Click(QPoint(bar.right() + 1 - (310 - 208) + 24, bar.top() + 16));
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo LRC"), true));
  // The main window dragged by its title (the lyric window docked below goes along), the lyric
  // window made larger by its corner.
  const QRect title = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("title"));
  PlayerSession::Drag(main.topLeft() + title.center(), QPoint(-80, -60));
  ASSERT_TRUE(Eventually(
      [&] { return s.GeometryOnce(QStringLiteral("Vireo")).topLeft() == main.topLeft() + QPoint(-80, -60); },
      3000));
  const QRect lrc = s.Geometry(QStringLiteral("Vireo LRC"));
  PlayerSession::Drag(lrc.bottomRight() - QPoint(2, 2), QPoint(50, 30));
  ASSERT_TRUE(Eventually(
      [&] { return s.GeometryOnce(QStringLiteral("Vireo LRC")).size() == lrc.size() + QSize(50, 30); },
      3000));
  main = s.Geometry(QStringLiteral("Vireo"));
  const QRect placedLrc = s.Geometry(QStringLiteral("Vireo LRC"));
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
  const QImage slider =
      GrabStill(volume.translated(main.topLeft()), QStringLiteral("paths-placed.png"));
  ASSERT_TRUE(s.Quit());

  ASSERT_TRUE(s.Start());
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo LRC"), true));
  EXPECT_FALSE(s.Visible(QStringLiteral("Vireo 桌面歌词")));
  EXPECT_EQ(s.Geometry(QStringLiteral("Vireo")), main);
  EXPECT_EQ(s.Geometry(QStringLiteral("Vireo LRC")), placedLrc);
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
  // The slider shows the same low volume, faded: still muted.
  EXPECT_TRUE(Eventually([&] {
    return Grab(volume.translated(main.topLeft()), QStringLiteral("paths-placed-again.png")) ==
           slider;
  }));
  EXPECT_TRUE(s.Quit());
}

// A live album's two tracks, one tone cut in two, in the list in sequential mode: the second
// follows the first at the sound server without a seam, and the window moves on to it.
TEST(UserPaths, TheNextTrackFollowsWithoutAGap) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.Start());
  const QStringList halves = MediaFactory::SplitTone(
      QStringLiteral("paths-seam"), QStringLiteral("flac"), 441, 132325, 44100, 0.5, {},
      {QStringLiteral("-metadata"), QStringLiteral("title=Seam One")},
      {QStringLiteral("-metadata"), QStringLiteral("title=Seam Two")});
  QTemporaryDir folder;
  const QString list = WriteList(folder, halves);
  const QString raw = folder.filePath(QStringLiteral("monitor.raw"));
  MonitorRecording recording;
  ASSERT_TRUE(recording.Start(pulse.Address(), raw));
  PlayerSession s;
  s.SetEnv(QStringLiteral("PULSE_SERVER"), QString::fromUtf8(pulse.Address()));
  WriteConfig(s, QStringLiteral("<Volume Value=\"100\"/>"));
  ASSERT_TRUE(s.Start({list}));
  ASSERT_TRUE(Eventually([&] { return s.Count() == 2; }));
  EXPECT_TRUE(Eventually([&] { return s.Current() == 1; }, 10000)) << s.Current();
  // Recorded until most of the second half has been heard.
  EXPECT_TRUE(Eventually(
      [&] { return Seam::Inspect(recording.Peek(), 441, 0.5).toneFrames > 132325 + 44100 * 3 / 4; },
      10000));
  const Seam seam = Seam::Inspect(recording.Stop(), 441, 0.5);
  EXPECT_EQ(seam.quietMs, 0);
  EXPECT_LE(seam.largestStep, seam.toneStep * 3 / 2) << "the tone's own: " << seam.toneStep;
  EXPECT_GT(seam.toneFrames, 132325 + 44100 / 2);
  EXPECT_TRUE(s.Quit());
  EXPECT_EQ(s.SavedTitles(), (QStringList{QStringLiteral("Seam One"), QStringLiteral("Seam Two")}));
}

// The sound server restarts under the first of two entries, as a desktop update restarts it:
// the first plays on instead of being skipped, then the second plays, on the new server.
TEST(UserPaths, ASoundServerRestartKeepsTheMusicGoing) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.Start());
  QTemporaryDir folder;
  const QString list = WriteList(
      folder, {Track(QStringLiteral("Restart One"), 6.0), Track(QStringLiteral("Restart Two"), 6.0)});
  PlayerSession s;
  s.SetEnv(QStringLiteral("PULSE_SERVER"), QString::fromUtf8(pulse.Address()));
  WriteConfig(s);
  const auto playing = [&] {
    QProcess p;
    p.start(QStringLiteral("pactl"), {QStringLiteral("--server=") + QString::fromUtf8(pulse.Address()),
                                      QStringLiteral("list"), QStringLiteral("sink-inputs")});
    p.waitForFinished(5000);
    return p.readAllStandardOutput().contains("Corked: no");
  };
  ASSERT_TRUE(s.Start({list}));
  ASSERT_TRUE(Eventually([&] { return s.Count() == 2 && s.Current() == 0; }));
  // The first track is heard at the server; then the server goes away, and a new one starts
  // half a second later.
  ASSERT_TRUE(Eventually(playing, 5000)) << s.Output().toStdString();
  pulse.Kill();
  QThread::msleep(500);
  ASSERT_TRUE(pulse.Start());
  // Heard again at the new server well within its remaining seconds, it is still the first.
  EXPECT_TRUE(Eventually(playing, 5000)) << s.Output().toStdString();
  EXPECT_EQ(s.Current(), 0);
  EXPECT_TRUE(Eventually([&] { return s.Current() == 1; }, 10000));
  EXPECT_TRUE(Eventually(playing, 5000)) << s.Output().toStdString();
  EXPECT_TRUE(s.Quit());
}

// The next entry is deleted while the one before plays: the one after it follows instead, and
// nothing of the deleted one is heard, not even the moment it had been prepared for.
TEST(UserPaths, DeletingTheNextEntryLetsTheOneAfterItFollow) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.Start());
  QTemporaryDir folder;
  const QString list = WriteList(folder, {Track(QStringLiteral("Keep First"), 4.0, 441),
                                          Track(QStringLiteral("Deleted Next"), 3.0, 660),
                                          Track(QStringLiteral("Kept After"), 3.0, 880)});
  const QString raw = folder.filePath(QStringLiteral("monitor.raw"));
  MonitorRecording recording;
  ASSERT_TRUE(recording.Start(pulse.Address(), raw));
  PlayerSession s;
  s.SetEnv(QStringLiteral("PULSE_SERVER"), QString::fromUtf8(pulse.Address()));
  s.SetEnv(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vireo.audio.debug=true"));
  WriteConfig(s);
  ASSERT_TRUE(s.Start({list}));
  ASSERT_TRUE(Eventually([&] { return s.Count() == 3 && s.Current() == 0; }));
  // Deleted only once the engine has it ready at the seam, where a stale copy would be heard.
  EXPECT_TRUE(Eventually([&] { return s.Output().contains(QStringLiteral("next track prepared:")); }))
      << s.Output().toStdString();
  PlayerSession::Click(Row(s, 1));
  s.ClickMain(QStringLiteral("delfile"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({0});  // 删除选择文件
  ASSERT_FALSE(PlayerSession::WaitWindowByTitle(QStringLiteral("提示")).isEmpty());
  PlayerSession::Key(QStringLiteral("shift+Tab"));
  PlayerSession::Key(QStringLiteral("space"));
  ASSERT_TRUE(Eventually([&] { return s.Count() == 2; }));
  EXPECT_TRUE(Eventually([&] { return s.Current() == 1; }, 10000));
  // Recorded until the entry after it has been heard for a while.
  const auto heardAfter = [](const QByteArray& bytes, int hz) {
    double most = 0;
    for (qsizetype at = 0; at + 2205 <= bytes.size() / 4; at += 2205)
      most = std::max(most, Seam::ToneAmplitude(bytes, at, 2205, hz));
    return most;
  };
  EXPECT_TRUE(Eventually([&] { return heardAfter(recording.Peek(), 880) > 0.15; }, 10000));
  const QByteArray bytes = recording.Stop();
  EXPECT_TRUE(s.Quit());
  EXPECT_EQ(s.SavedTitles(), (QStringList{QStringLiteral("Keep First"), QStringLiteral("Kept After")}));
  // Each 50 ms of the recording: the deleted entry's tone is never in it; the one after is.
  EXPECT_LT(heardAfter(bytes, 660), 0.02);
  EXPECT_GT(heardAfter(bytes, 880), 0.15);
}

// A skin that cannot be used at all (its main frame image refused, or no skin.xml) gives way to
// Default for the run: the window is the finished dark one, not a black frame with a white list,
// the log says why, and the user's choice stays in the settings.
TEST(UserPaths, ASkinThatCannotBeAppliedFallsBackToDefault) {
  PlayerSession s;
  const QString broken = s.Home() + QStringLiteral("/.local/share/vireo/skins/Broken/");
  QDir().mkpath(broken);
  for (const QFileInfo& f : QDir(QStringLiteral(VIREO_APP_DIR "/skin/Light")).entryInfoList(QDir::Files))
    QFile::copy(f.filePath(), broken + f.fileName());
  QFile::remove(broken + QStringLiteral("main_frame.png"));
  QFile junk(broken + QStringLiteral("main_frame.png"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("not an image");
  junk.close();
  for (const bool withoutScript : {false, true}) {
    if (withoutScript) QFile::remove(broken + QStringLiteral("skin.xml"));
    WriteConfig(s, QStringLiteral("<SKIN NAME=\"Broken\"/>"));
    ASSERT_TRUE(s.Start());
    const QRect main = s.SettledGeometry(QStringLiteral("Vireo"));
    const QImage shot =
        GrabStill(main, withoutScript ? QStringLiteral("paths-skin-fallback-noscript.png")
                                      : QStringLiteral("paths-skin-fallback.png"));
    const QPoint listCentre =
        PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("playlist")).center();
    EXPECT_LT(qGray(shot.pixel(listCentre)), 100) << "withoutScript " << withoutScript;
    const QPoint frame = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("close"))
                             .topLeft() - QPoint(30, 0);
    EXPECT_GT(qGray(shot.pixel(frame)), 10) << "a black frame";
    EXPECT_TRUE(s.Output().contains(QStringLiteral("the skin Broken cannot be applied")))
        << s.Output().toStdString();
    ASSERT_TRUE(s.Quit());
    EXPECT_TRUE(s.SettingsText().contains(QStringLiteral("NAME=\"Broken\"")));
  }
}

// The menus and dialogs the player opens take the skin's colours: dark with Default, light
// with Light (the about box and the main menu, as a user opens them).
TEST(UserPaths, MenusAndDialogsTakeTheSkinsColours) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Colours")});
  const auto menuGray = [&] {
    s.ClickMain(QStringLiteral("menu"));
    const QRect menu = PlayerSession::WaitMenu();
    EXPECT_TRUE(menu.isValid());
    const QImage shot = GrabStill(menu, QStringLiteral("paths-menu-colours.png"));
    const int gray = qGray(shot.pixel(6, menu.height() / 2));
    PlayerSession::Key(QStringLiteral("Escape"));
    EXPECT_TRUE(PlayerSession::WaitMenuClosed());
    return gray;
  };
  const auto aboutGray = [&](const QString& name) {
    s.ClickMain(QStringLiteral("menu"));
    EXPECT_TRUE(PlayerSession::WaitMenu().isValid());
    PlayerSession::ChooseInMenu({0});
    const QString about = PlayerSession::WaitWindowByTitle(QStringLiteral("关于 维雀"));
    EXPECT_FALSE(about.isEmpty());
    const QRect g = PlayerSession::GeometryOf(about);
    const QImage shot = GrabStill(g, name);
    const int gray = qGray(shot.pixel(g.width() - 21, 40));
    PlayerSession::Key(QStringLiteral("Return"));
    EXPECT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("关于 维雀")).isEmpty(); }));
    return gray;
  };
  EXPECT_LT(menuGray(), 90);
  EXPECT_LT(aboutGray(QStringLiteral("paths-about-default.png")), 90);
  // 皮肤 → Light.
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({4, 1});
  ASSERT_TRUE(PlayerSession::WaitMenuClosed());
  ASSERT_TRUE(Eventually([&] { return s.Geometry(QStringLiteral("Vireo")).isValid(); }));
  s.SettledGeometry(QStringLiteral("Vireo"));
  EXPECT_GT(menuGray(), 170);
  EXPECT_GT(aboutGray(QStringLiteral("paths-about-light.png")), 170);
  EXPECT_TRUE(s.Quit());
}
