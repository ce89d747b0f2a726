// The rest of the main window's controls, the lyric window's buttons and the folder commands,
// reached as a user reaches them; what they did is read at the sound server (a paused stream is
// corked there), on the screen, in the settings file and in what the desktop was asked to open.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "FakeLrclib.h"
#include "LoopbackHttpServer.h"
#include "PlayerSession.h"
#include "UserPathSteps.h"

using namespace vireo::test;

namespace {

// Whether the player's stream at the sound server is corked (paused): nullopt without a stream.
std::optional<bool> Corked() {
  QProcess p;
  p.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sink-inputs")});
  p.waitForFinished(5000);
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  if (!out.contains(QStringLiteral("Corked:"))) return std::nullopt;
  return out.contains(QStringLiteral("Corked: yes"));
}

// The x of the seek slider's thumb (its brightest column) in a grab of the slider.
int ThumbX(const QImage& slider) {
  int best = -1, bestGray = -1;
  for (int x = 0; x < slider.width(); ++x) {
    const int gray = qGray(slider.pixel(x, slider.height() / 2));
    if (gray > bestGray) {
      bestGray = gray;
      best = x;
    }
  }
  return best;
}

}  // namespace

TEST(UserPaths, TheTransportButtonsAndTheListPlayWhatTheUserPoints) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Point A"), QStringLiteral("Point B"), QStringLiteral("Point C")});
  PlayerSession::DoubleClick(Row(s, 2));
  ASSERT_TRUE(Eventually([&] { return s.Current() == 2; }));
  s.ClickMain(QStringLiteral("previous"));
  EXPECT_TRUE(Eventually([&] { return s.Current() == 1; }));
  s.ClickMain(QStringLiteral("next"));
  EXPECT_TRUE(Eventually([&] { return s.Current() == 2; }));
  // A double click on a row plays it (as above); so does Return on the selected row.
  PlayerSession::DoubleClick(Row(s, 0));
  EXPECT_TRUE(Eventually([&] { return s.Current() == 0; }));
  PlayerSession::Click(Row(s, 1));
  PlayerSession::Key(QStringLiteral("Return"));
  EXPECT_TRUE(Eventually([&] { return s.Current() == 1; }));
  // The play button pauses and resumes at the sound server, and the state word beside the time
  // changes with it; so does 播放 → 播放/暂停. The time itself runs while playing.
  const QRect topLeft = s.Geometry(QStringLiteral("Vireo"));
  const QRect stack = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("stack"))
                          .translated(topLeft.topLeft());
  const QRect time = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("timer"))
                         .translated(topLeft.topLeft());
  ASSERT_TRUE(Eventually([] { return Corked() == false; }));
  const QImage playingWord = Grab(stack, QStringLiteral("paths-state-playing.png"));
  const QImage timeBefore = Grab(time, QStringLiteral("paths-time.png"));
  EXPECT_TRUE(Eventually([&] { return Grab(time, QStringLiteral("paths-time.png")) != timeBefore; }, 3000))
      << "the time stands still";
  s.ClickMain(QStringLiteral("play"));
  EXPECT_TRUE(Eventually([] { return Corked() == true; }));
  EXPECT_TRUE(Eventually([&] { return Grab(stack, QStringLiteral("paths-state-paused.png")) != playingWord; }, 3000))
      << "the state word did not change";
  s.ClickMain(QStringLiteral("play"));
  EXPECT_TRUE(Eventually([] { return Corked() == false; }));
  EXPECT_TRUE(Eventually([&] { return Grab(stack, QStringLiteral("paths-state-playing.png")) == playingWord; }, 3000));
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({2, 0});
  EXPECT_TRUE(Eventually([] { return Corked() == true; }));
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({2, 0});
  EXPECT_TRUE(Eventually([] { return Corked() == false; }));
  // 播放 → 下一首.
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({2, 2});
  EXPECT_TRUE(Eventually([&] { return s.Current() == 2; }));
  // A click three quarters along the seek slider moves the thumb there.
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  const QRect seek = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("pgbmusic"))
                         .translated(main.topLeft());
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
  // The new track's start reaches the slider with the next progress tick.
  EXPECT_TRUE(Eventually([&] { return ThumbX(Grab(seek, QStringLiteral("paths-seek.png"))) < seek.width() / 4; }));
  PlayerSession::Click(seek.topLeft() + QPoint(seek.width() * 3 / 4, seek.height() / 2));
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
  EXPECT_TRUE(Eventually(
      [&] { return ThumbX(Grab(seek, QStringLiteral("paths-seeked.png"))) > seek.width() * 2 / 3; },
      3000));
  // The minimise button hides the window; a remote-control script shows it again.
  s.ClickMain(QStringLiteral("min"));
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo"), false));
  s.Request(1806, 99);
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo"), true));
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, ThePlayModeAndSortMenusChangeWhatTheListDoesAndShows) {
  PlayerSession s;
  WriteConfig(s);
  // Three lengths in a mixed order.
  const QString longest = Track(QStringLiteral("Len Three"), 3.0);
  const QString shortest = Track(QStringLiteral("Len One"), 1.0);
  const QString middle = Track(QStringLiteral("Len Two"), 2.0);
  ASSERT_TRUE(s.Start({longest}));
  ASSERT_EQ(s.StartAgain({shortest}), 0);
  ASSERT_EQ(s.StartAgain({middle}), 0);
  ASSERT_TRUE(Eventually([&] { return s.Count() == 3; }));
  // 随机排列 keeps every entry; 按时间排列 orders them by length.
  s.ClickMain(QStringLiteral("listm"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({0});
  ASSERT_TRUE(PlayerSession::WaitMenuClosed());
  EXPECT_EQ(s.Count(), 3);
  s.ClickMain(QStringLiteral("listm"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({2});
  ASSERT_TRUE(PlayerSession::WaitMenuClosed());
  // 循环播放, then 顺序播放: the mode word under the time changes each time, and the last choice
  // is the one kept.
  const QRect modeWord = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("pmode"),
                                                 QStringLiteral("label"))
                             .translated(s.Geometry(QStringLiteral("Vireo")).topLeft());
  QImage word = Grab(modeWord, QStringLiteral("paths-mode-word.png"));
  for (const int item : {1, 0}) {
    s.ClickMain(QStringLiteral("pmode"));
    ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
    PlayerSession::ChooseInMenu({item});
    ASSERT_TRUE(PlayerSession::WaitMenuClosed());
    PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
    EXPECT_TRUE(Eventually([&] { return Grab(modeWord, QStringLiteral("paths-mode-word.png")) != word; }, 3000))
        << item;
    word = Grab(modeWord, QStringLiteral("paths-mode-word.png"));
  }
  ASSERT_TRUE(s.Quit());
  EXPECT_EQ(s.SavedTitles(), (QStringList{QStringLiteral("Len One"), QStringLiteral("Len Two"),
                                          QStringLiteral("Len Three")}));
  EXPECT_TRUE(s.SettingsText().contains(QStringLiteral("<PLAY PATTERN=\"0\"")))
      << s.SettingsText().toStdString();
}

TEST(UserPaths, TheFolderCommandsOpenAndChooseTheSongAndLyricFolders) {
  // What the desktop is asked to open, written down by a stand-in for its opener.
  QTemporaryDir bin;
  const QString opened = bin.filePath(QStringLiteral("opened.txt"));
  QFile opener(bin.filePath(QStringLiteral("xdg-open")));
  ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
  opener.write("#!/bin/sh\necho \"$1\" >> '" + opened.toUtf8() + "'\n");
  opener.close();
  opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  PlayerSession s;
  s.SetEnv(QStringLiteral("PATH"), bin.path() + QLatin1Char(':') + qEnvironmentVariable("PATH"));
  // A service host that answers nothing: the about box's link names its home page.
  WriteConfig(s, QStringLiteral("<SERVICE HOST=\"127.0.0.1:9\"/>"));
  ASSERT_TRUE(s.Start());
  const auto openedText = [&] {
    QFile f(opened);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  };
  // 设置 → 歌曲 → 打开歌曲缓存目录, then 歌词 → 打开歌词存放目录.
  for (const int folder : {0, 1}) {
    s.ClickMain(QStringLiteral("menu"));
    ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
    PlayerSession::ChooseInMenu({7, folder, 0});
    const QString wanted = s.DataDir() + (folder == 0 ? QStringLiteral("music") : QStringLiteral("lrc"));
    EXPECT_TRUE(Eventually([&] { return openedText().contains(wanted); }))
        << openedText().toStdString();
  }
  // 设置 → 歌曲 → 设置歌曲缓存目录 and 歌词 → 设置歌词存放目录: a folder typed into the chooser
  // is stored at once.
  QTemporaryDir songs, lyrics;
  for (const int folder : {0, 1}) {
    s.ClickMain(QStringLiteral("menu"));
    ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
    PlayerSession::ChooseInMenu({7, folder, 1});
    const QString title =
        folder == 0 ? QStringLiteral("选择歌曲缓存目录") : QStringLiteral("选择歌词存放目录");
    ASSERT_FALSE(PlayerSession::WaitWindowByTitle(title).isEmpty()) << title.toStdString();
    PlayerSession::Type((folder == 0 ? songs : lyrics).path());
    PlayerSession::Key(QStringLiteral("Return"));
    // The first Return may only go into the folder typed; the next one chooses it.
    if (!Eventually([&] { return PlayerSession::WindowByTitle(title).isEmpty(); }, 1500))
      PlayerSession::Key(QStringLiteral("Return"));
    EXPECT_TRUE(Eventually([&] { return PlayerSession::WindowByTitle(title).isEmpty(); }));
    const QString key = folder == 0 ? QStringLiteral("<MUSIC PATH=\"") : QStringLiteral("<LRC PATH=\"");
    EXPECT_TRUE(Eventually([&] {
      return s.SettingsText().contains(key + (folder == 0 ? songs : lyrics).path() + QLatin1Char('"'));
    })) << s.SettingsText().toStdString();
  }
  // 关于维雀...: the link in the about box opens the service's home page.
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({0});
  const QString about = PlayerSession::WaitWindowByTitle(QStringLiteral("关于 维雀"));
  ASSERT_FALSE(about.isEmpty());
  PlayerSession::Screenshot(QStringLiteral("paths-about-link.png"));
  PlayerSession::Click(PlayerSession::GeometryOf(about).topLeft() + QPoint(150, 71));
  EXPECT_TRUE(Eventually([&] { return openedText().contains(QStringLiteral("http://127.0.0.1:9")); }))
      << openedText().toStdString();
  PlayerSession::Key(QStringLiteral("Return"));
  EXPECT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("关于 维雀")).isEmpty(); }));
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, TheLyricWindowButtonsShiftSearchSwitchAndClose) {
  PlayerSession s;
  WriteConfig(s, QStringLiteral("<LYRICMODE Value=\"1\"/>"));
  ASSERT_TRUE(s.Start({s.DemoTrack()}));
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo LRC"), true));
  EXPECT_FALSE(s.Visible(QStringLiteral("Vireo 桌面歌词")));
  const QRect lrc = s.Geometry(QStringLiteral("Vireo LRC"));
  // Where the lyric window is now (it may come back elsewhere after being hidden).
  const auto at = [&](const char* id) {
    return s.Geometry(QStringLiteral("Vireo LRC")).topLeft() +
           PlayerSession::SkinRect(QStringLiteral("lrc"), QLatin1StringView(id)).center();
  };
  const QRect view = PlayerSession::SkinRect(QStringLiteral("lrc"), QStringLiteral("minlrc"))
                         .translated(lrc.topLeft());
  // Paused a few seconds in, the lyric stands still; the offset buttons move it. (The seconds
  // are the music's: the lyric must be past its first lines.)
  QThread::msleep(3000);
  s.ClickMain(QStringLiteral("play"));
  ASSERT_TRUE(Eventually([] { return Corked() == true; }));
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
  const QImage still = GrabStill(view, QStringLiteral("paths-lyric-window.png"));
  for (int i = 0; i < 6; ++i) PlayerSession::Click(at("f5"));
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
  EXPECT_TRUE(Eventually([&] { return Grab(view, QStringLiteral("paths-lyric-later.png")) != still; }, 3000))
      << "+3 s moved nothing";
  for (int i = 0; i < 6; ++i) PlayerSession::Click(at("b5"));
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
  EXPECT_TRUE(Eventually([&] { return Grab(view, QStringLiteral("paths-lyric-back.png")) == still; }, 3000))
      << "back by 3 s is not where it was";
  // The search button opens the lyric search with the track's names.
  PlayerSession::Click(at("slrc"));
  ASSERT_FALSE(PlayerSession::WaitWindowByTitle(QStringLiteral("歌词搜索")).isEmpty());
  PlayerSession::Key(QStringLiteral("Escape"));
  EXPECT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("歌词搜索")).isEmpty(); }));
  // The desktop button switches to the desktop lyrics. (Right after the modal search closes, a
  // loaded machine may give the first click to the window's activation: a user clicks again.)
  for (int attempt = 0; attempt < 3 && s.Visible(QStringLiteral("Vireo LRC")); ++attempt) {
    PlayerSession::Click(at("dlrc"));
    s.WaitVisible(QStringLiteral("Vireo LRC"), false, 3000);
  }
  EXPECT_FALSE(s.Visible(QStringLiteral("Vireo LRC")));
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词"), true));
  // Back to the window by the desktop toolbar, then its close button: no lyrics at all.
  ASSERT_TRUE(s.HoverDesktopLyrics(QStringLiteral("paths-lyric-hover.png")));
  const QRect bar = s.Geometry(QStringLiteral("Vireo 桌面歌词操作"));
  PlayerSession::Click(QPoint(bar.right() + 1 - (310 - 208) + 24, bar.top() + 16));
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo LRC"), true));
  for (int attempt = 0; attempt < 3 && s.Visible(QStringLiteral("Vireo LRC")); ++attempt) {
    PlayerSession::Click(at("close"));
    s.WaitVisible(QStringLiteral("Vireo LRC"), false, 3000);
  }
  EXPECT_FALSE(s.Visible(QStringLiteral("Vireo LRC")));
  EXPECT_FALSE(s.Visible(QStringLiteral("Vireo 桌面歌词")));
  // The main window's lyrics button brings the lyric window back.
  s.ClickMain(QStringLiteral("lrc"));
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo LRC"), true));
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, TheDesktopToolbarClosesTheDesktopLyrics) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Toolbar")});
  ASSERT_TRUE(s.HoverDesktopLyrics(QStringLiteral("paths-toolbar-hover.png")));
  const QRect bar = s.Geometry(QStringLiteral("Vireo 桌面歌词操作"));
  // "X" sits 272 pixels into the toolbar's 310-pixel design, anchored right.
  PlayerSession::Click(QPoint(bar.right() + 1 - (310 - 272) + 11, bar.top() + 17));
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词"), false));
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词操作"), false));
  // 查看 → 歌词 shows them again.
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({3, 1});
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词"), true));
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, TheLyricSearchFindsALyricAndItsDownloadIsSavedInTheLyricFolder) {
  // The lyric service, on loopback: a search by the title the user typed finds one lyric.
  FakeLrclib lrclib([](const QString& path, const QUrlQuery& query) -> std::pair<int, std::string> {
    const QJsonObject record =
        LrclibRecord(77, QStringLiteral("Other Song"), QStringLiteral("某歌手"), QString(),
                     QStringLiteral("[00:01.00]另一首的第一行\n[00:04.00]另一首的第二行"), std::nullopt);
    if (path == QStringLiteral("/api/search") &&
        Param(query, "track_name") == QStringLiteral("Other Song"))
      return {200, Json(QJsonArray{record})};
    if (path == QStringLiteral("/api/search")) return {200, "[]"};
    if (path == QStringLiteral("/api/get/77")) return {200, Json(record)};
    return {404, "{}"};
  });
  PlayerSession s;
  WriteConfig(s);
  // The lyric service named in the settings, in place of the closed port.
  QString cfg = s.SettingsText();
  cfg.replace(QStringLiteral("http://127.0.0.1:9\"/></Lyrics>"), lrclib.BaseUrl() + QStringLiteral("\"/></Lyrics>"));
  QFile f(s.DataDir() + QStringLiteral("Vireo.xml"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(cfg.toUtf8());
  f.close();
  ASSERT_TRUE(s.Start({Track(QStringLiteral("Search Me"), 30.0)}));
  ASSERT_TRUE(s.HoverDesktopLyrics(QStringLiteral("paths-search-hover.png")));
  const QRect bar = s.Geometry(QStringLiteral("Vireo 桌面歌词操作"));
  PlayerSession::Click(QPoint(bar.right() + 1 - (310 - 144) + 31, bar.top() + 16));  // 搜索歌词
  const QString dialog = PlayerSession::WaitWindowByTitle(QStringLiteral("歌词搜索"));
  ASSERT_FALSE(dialog.isEmpty());
  // The title box holds the track's title: replaced by what the user is looking for.
  PlayerSession::Click(PlayerSession::GeometryOf(dialog).topLeft() + QPoint(180, 18));
  PlayerSession::Key(QStringLiteral("ctrl+a"));
  PlayerSession::Type(QStringLiteral("Other Song"));
  PlayerSession::Key(QStringLiteral("Return"));  // 搜索 is the dialog's default button
  // One row comes: chosen in the list with the keys, then "下载歌词".
  EXPECT_TRUE(Eventually([&] {
    for (const auto& r : lrclib.Server().Requests())
      if (Param(Target(r).second, "track_name") == QStringLiteral("Other Song")) return true;
    return false;
  })) << "no search for what was typed";
  GrabStill(PlayerSession::GeometryOf(PlayerSession::WindowByTitle(QStringLiteral("歌词搜索"))),
            QStringLiteral("paths-lyric-search-results.png"));
  for (int i = 0; i < 4; ++i) PlayerSession::Key(QStringLiteral("Tab"));  // to the list
  PlayerSession::Key(QStringLiteral("Down"));
  PlayerSession::Key(QStringLiteral("shift+Tab"));  // back to 下载歌词
  PlayerSession::Key(QStringLiteral("space"));
  const QString saved = s.DataDir() + QStringLiteral("lrc/Search Me Path Test.lrc");
  EXPECT_TRUE(Eventually([&] {
    QFile lyric(saved);
    return lyric.open(QIODevice::ReadOnly) &&
           QString::fromUtf8(lyric.readAll()).contains(QStringLiteral("另一首的第一行"));
  })) << saved.toStdString() << " beside: "
         << QDir(s.DataDir() + QStringLiteral("lrc")).entryList(QDir::Files).join(u',').toStdString();
  PlayerSession::Screenshot(QStringLiteral("paths-lyric-downloaded.png"));
  // A double click on the row downloads it as well.
  ASSERT_TRUE(QFile::remove(saved));
  PlayerSession::DoubleClick(PlayerSession::GeometryOf(dialog).topLeft() + QPoint(120, 73 + 23 + 10));
  EXPECT_TRUE(Eventually([&] { return QFile::exists(saved); })) << "the double click saved nothing";
  PlayerSession::Key(QStringLiteral("Escape"));
  EXPECT_TRUE(s.Quit());
}

namespace {

// The music-sharing service of this project, on loopback, serving a folder of tagged tracks.
class SharingService {
 public:
  // titles: one tagged track each; copies: that many more files of one track, "Page NN.mp3".
  explicit SharingService(const QStringList& titles, int copies = 0) {
    for (const QString& t : titles)
      QFile::copy(Track(t, 20.0), music_.filePath(t + QStringLiteral(".mp3")));
    for (int i = 0; i < copies; ++i)
      QFile::copy(Track(QStringLiteral("Paged"), 2.0),
                  music_.filePath(QStringLiteral("Page %1.mp3").arg(i, 2, 10, QLatin1Char('0'))));
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral(VIREO_SERVICE_PATH),
                   {QStringLiteral("--music"), music_.path(), QStringLiteral("--port"),
                    QStringLiteral("0"), QStringLiteral("--data"), data_.path()});
    // Its first line names the address it listens on.
    if (process_.waitForReadyRead(10000)) {
      const QString line = QString::fromUtf8(process_.readLine());
      const qsizetype at = line.indexOf(QStringLiteral("http://127.0.0.1:"));
      if (at >= 0) host_ = line.mid(at + 7).section(QLatin1Char('/'), 0, 0);
    }
  }
  ~SharingService() {
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
  }
  QString Host() const { return host_; }  // "127.0.0.1:port"
  // What it logged so far, a line per request.
  QString Log() {
    // Without an event loop the output is read only when waited for.
    process_.waitForReadyRead(50);
    log_ += QString::fromUtf8(process_.readAll());
    return log_;
  }

 private:
  QTemporaryDir music_, data_;
  QProcess process_;
  QString host_;
  QString log_;
};

// Starts the player with the service as its service host and waits for the library window,
// which opens by itself once the service answers; its place on the screen.
QRect StartWithLibrary(PlayerSession& s, SharingService& service) {
  EXPECT_FALSE(service.Host().isEmpty());
  WriteConfig(s, QStringLiteral("<SERVICE HOST=\"%1\"/>").arg(service.Host()));
  if (!s.Start() || !s.WaitVisible(QStringLiteral("Vireo SHARE"), true, 20000)) return {};
  return s.Geometry(QStringLiteral("Vireo SHARE"));
}

// The service page's own search box (a white box in its dark head), or nullopt.
std::optional<QPoint> PageSearchBox(const QRect& library) {
  const QImage screen = PlayerSession::Screenshot(QStringLiteral("paths-library-page.png"));
  for (int y = library.top() + 80; y < library.top() + library.height() / 2; ++y) {
    int run = 0;
    for (int x = library.left() + 10; x < library.right() - 10; ++x) {
      run = qGray(screen.pixel(x, y)) > 240 ? run + 1 : 0;
      // The box is white across much of the window; the table's rows below are not so white.
      if (run > 150) return QPoint(x - run + 40, y + 6);
    }
  }
  return std::nullopt;
}

// The last row of the library's result list, at column x of the window: found by the row's icon
// in that column, looking up from the window's bottom (the list is the lower pane once it shows
// results; the page above it has links of the same blue).
std::optional<QPoint> ResultIcon(const QRect& library, int x) {
  const QImage screen = PlayerSession::Screenshot(QStringLiteral("paths-library-results.png"));
  for (int y = library.bottom() - 10; y > library.top() + library.height() / 2; --y) {
    const QRgb px = screen.pixel(library.left() + x, y);
    if (qBlue(px) > 150 && qBlue(px) > qRed(px) + 60) return QPoint(library.left() + x, y - 3);
  }
  return std::nullopt;
}

// The first row of links on the service's page (the upper pane): the leftmost and rightmost
// link-blue pixels of the first line of the table that has any, text on the page's light rows.
std::optional<std::pair<QPoint, QPoint>> PageLinks(const QRect& library) {
  const QImage screen = PlayerSession::Screenshot(QStringLiteral("paths-library-page.png"));
  const auto light = [&](int x, int y) { return qGray(screen.pixel(x, y)) > 200; };
  for (int y = library.top() + 80; y < library.top() + library.height() / 2; ++y) {
    // A line of the table: its rows are light from edge to edge (the page's head is dark).
    if (!light(library.left() + 22, y)) continue;
    int left = -1, right = -1;
    for (int x = library.left() + 10; x < library.right() - 10; ++x) {
      const QRgb px = screen.pixel(x, y);
      // Dark blue link text (a light blue box border is not it).
      if (qBlue(px) > 120 && qBlue(px) > qRed(px) + 60 && qGray(px) < 130 && light(x, y - 8) &&
          light(x, y + 8)) {
        if (left < 0) left = x;
        right = x;
      }
    }
    if (left >= 0 && right - left > 30) return std::make_pair(QPoint(left + 2, y), QPoint(right - 2, y));
  }
  return std::nullopt;
}

}  // namespace

TEST(UserPaths, TheLibraryWindowSearchesTheServiceAndAddsOrPlaysWhatItFinds) {
  SharingService service({QStringLiteral("Shared One"), QStringLiteral("Shared Two"),
                          QStringLiteral("Other Three")});
  PlayerSession s;
  // Once the service answers, the library window opens beside the main window.
  const QRect library = StartWithLibrary(s, service);
  ASSERT_TRUE(library.isValid());
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  EXPECT_EQ(library.topLeft(), QPoint(main.right() + 1, main.top()));
  // "> 随便听听" on the empty list (just below the panel's middle): the service's random list is
  // added and its first track plays; the button of the same name adds another.
  PlayerSession::Click(main.topLeft() +
                       PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("playlist")).center() +
                       QPoint(0, 11));
  EXPECT_TRUE(Eventually([&] { return s.Count() == 3; })) << s.Count();
  EXPECT_TRUE(Eventually([&] { return s.Current() == 0; }));
  s.ClickMain(QStringLiteral("rndlist"));
  EXPECT_TRUE(Eventually([&] { return s.Count() == 6 && s.Current() == 3; }))
      << s.Count() << " " << s.Current();
  // The links of the service's page: a row's 添加 adds its track, its 播放 adds and plays it.
  const auto links = PageLinks(library);
  ASSERT_TRUE(links.has_value()) << "no links on the page";
  PlayerSession::Click(links->second);
  EXPECT_TRUE(Eventually([&] { return s.Count() == 7; })) << s.Count();
  PlayerSession::Click(links->first);
  EXPECT_TRUE(Eventually([&] { return s.Count() == 8 && s.Current() == 7; }))
      << s.Count() << " " << s.Current();
  // The page's own search becomes the window's: the service is asked for what was typed there.
  const auto pageBox = PageSearchBox(library);
  ASSERT_TRUE(pageBox.has_value()) << "no search box on the page";
  PlayerSession::Click(*pageBox);
  PlayerSession::Type(QStringLiteral("Other"));
  PlayerSession::Key(QStringLiteral("Return"));
  EXPECT_TRUE(Eventually([&] { return service.Log().contains(QStringLiteral("search.asp?key=Other&")); }))
      << service.Log().toStdString();
  // Its row is listed (a press of 搜索 while a search runs would stop it).
  ASSERT_TRUE(Eventually([&] { return ResultIcon(library, library.width() - 28).has_value(); }));
  // A search typed into the window's box, then its 添加 and 播放 icons on the found row.
  const QRect box = PlayerSession::SkinRect(QStringLiteral("share"), QStringLiteral("sinput"))
                        .translated(library.topLeft());
  PlayerSession::Click(box.center());
  PlayerSession::Key(QStringLiteral("ctrl+a"));  // it shows the page's search now
  PlayerSession::Type(QStringLiteral("Shared Two"));
  PlayerSession::Click(library.topLeft() +
                       PlayerSession::SkinRect(QStringLiteral("share"), QStringLiteral("search")).center());
  std::optional<QPoint> add;
  ASSERT_TRUE(Eventually([&] { return (add = ResultIcon(library, library.width() - 28)).has_value(); }))
      << "no result row";
  PlayerSession::Click(*add);
  EXPECT_TRUE(Eventually([&] { return s.Count() == 9; })) << s.Count();
  const std::optional<QPoint> play = ResultIcon(library, library.width() - 68);
  ASSERT_TRUE(play.has_value());
  PlayerSession::Click(*play);
  EXPECT_TRUE(Eventually([&] { return s.Count() == 10 && s.Current() == 9; }))
      << s.Count() << " " << s.Current();
  // The window's maximise button fills the work area and gives the size back; close hides it.
  PlayerSession::Click(library.topLeft() +
                       PlayerSession::SkinRect(QStringLiteral("share"), QStringLiteral("max")).center());
  EXPECT_TRUE(Eventually([&] { return s.GeometryOnce(QStringLiteral("Vireo SHARE")).width() == 1280; }));
  const QRect maximised = s.Geometry(QStringLiteral("Vireo SHARE"));
  PlayerSession::Click(maximised.topLeft() +
                       QPoint(maximised.width() - library.width(), 0) +
                       PlayerSession::SkinRect(QStringLiteral("share"), QStringLiteral("max")).center());
  EXPECT_TRUE(Eventually([&] { return s.GeometryOnce(QStringLiteral("Vireo SHARE")).size() == library.size(); }));
  const QRect back = s.Geometry(QStringLiteral("Vireo SHARE"));
  const auto press = [&](const char* id) {
    PlayerSession::Click(back.topLeft() +
                         PlayerSession::SkinRect(QStringLiteral("share"), QLatin1StringView(id)).center());
  };
  // The refresh button loads the service's page again.
  const auto pageLoads = [&] { return service.Log().count(QStringLiteral("GET /index_sh.asp")); };
  const qsizetype loads = pageLoads();
  press("refresh");
  EXPECT_TRUE(Eventually([&] { return pageLoads() > loads; })) << service.Log().toStdString();
  press("close");
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo SHARE"), false));
  // Opened again from the main window, then minimised by its own button.
  s.ClickMain(QStringLiteral("share"));
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo SHARE"), true));
  press("min");
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo SHARE"), false));
  EXPECT_TRUE(s.Quit(40000));
  // Both library tracks are in the saved list, as network entries with their titles.
  EXPECT_TRUE(s.SavedTitles().contains(QStringLiteral("Shared Two")));
}

TEST(UserPaths, TheTrayIconRestoresTheWindowAndOpensTheMainMenu) {
  // A system tray as desktop panels have one, at the screen's top-right corner.
  QProcess tray;
  tray.start(QStringLiteral("trayer"),
             {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
              QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
              QStringLiteral("--width"), QStringLiteral("96"), QStringLiteral("--heighttype"),
              QStringLiteral("pixel"), QStringLiteral("--height"), QStringLiteral("32"),
              QStringLiteral("--SetDockType"), QStringLiteral("true"), QStringLiteral("--expand"),
              QStringLiteral("false")});
  ASSERT_TRUE(tray.waitForStarted(5000)) << "trayer is missing (scripts/setup.sh installs it)";
  struct Stop {
    QProcess& p;
    ~Stop() {
      p.kill();
      p.waitForFinished(5000);
    }
  } stop{tray};
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Tray")});
  // The player's mark (a green disc) in the tray's strip.
  const QRect strip(1280 - 96, 0, 96, 32);
  QPoint icon;
  ASSERT_TRUE(Eventually([&] {
    const QImage screen = PlayerSession::Screenshot(QStringLiteral("paths-tray.png"));
    for (int y = strip.top(); y <= strip.bottom(); ++y)
      for (int x = strip.left(); x <= strip.right(); ++x) {
        const QRgb px = screen.pixel(x, y);
        if (qGreen(px) > 120 && qGreen(px) > qRed(px) + 50 && qGreen(px) > qBlue(px) + 20) {
          icon = QPoint(x + 3, y + 3);
          return true;
        }
      }
    return false;
  }, 10000)) << "no icon in the tray";
  // Minimised, the window comes back with a click on the icon.
  s.ClickMain(QStringLiteral("min"));
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo"), false));
  PlayerSession::Click(icon);
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo"), true));
  // A right click opens the main menu, whose first item is the about box.
  PlayerSession::Click(icon, 3);
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::Screenshot(QStringLiteral("paths-tray-menu.png"));
  PlayerSession::ChooseInMenu({0});
  EXPECT_FALSE(PlayerSession::WaitWindowByTitle(QStringLiteral("关于 维雀")).isEmpty());
  PlayerSession::Key(QStringLiteral("Return"));
  EXPECT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("关于 维雀")).isEmpty(); }));
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, TheMainWindowResizesByItsCornerAndMovesByItsSpectrumAndWords) {
  PlayerSession s;
  StartWithTracks(s, {QStringLiteral("Handles")});
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  // The bottom-right corner makes the window larger.
  PlayerSession::Drag(main.bottomRight() - QPoint(2, 2), QPoint(40, 30));
  EXPECT_TRUE(Eventually(
      [&] { return s.GeometryOnce(QStringLiteral("Vireo")).size() == main.size() + QSize(40, 30); }, 3000))
      << s.GeometryOnce(QStringLiteral("Vireo")).width() << "x"
      << s.GeometryOnce(QStringLiteral("Vireo")).height();
  // The spectrum and the time, state and mode words are handles of the window, as its title is.
  for (const char* handle : {"ost", "timer", "stack", "pmode"}) {
    const QRect before = s.Geometry(QStringLiteral("Vireo"));
    QRect r = PlayerSession::SkinRect(QStringLiteral("main"), QLatin1StringView(handle),
                                      QStringLiteral("label"));
    if (!r.isValid()) r = PlayerSession::SkinRect(QStringLiteral("main"), QLatin1StringView(handle));
    // The spectrum is anchored to the right edge, which moved with the resize.
    const QPoint at = before.topLeft() + r.center() +
                      (QLatin1StringView(handle) == QLatin1StringView("ost") ? QPoint(40, 0) : QPoint());
    PlayerSession::Drag(at, QPoint(-30, -20));
    EXPECT_TRUE(Eventually(
        [&] { return s.GeometryOnce(QStringLiteral("Vireo")).topLeft() == before.topLeft() + QPoint(-30, -20); },
        3000))
        << handle;
  }
  // And the corner makes it smaller again (the close button, anchored right, back in its place).
  const QRect moved = s.Geometry(QStringLiteral("Vireo"));
  PlayerSession::Drag(moved.bottomRight() - QPoint(2, 2), QPoint(-40, -30));
  EXPECT_TRUE(Eventually(
      [&] { return s.GeometryOnce(QStringLiteral("Vireo")).size() == main.size(); }, 3000));
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, TheDesktopToolbarShiftsTheLyricByHalfSeconds) {
  PlayerSession s;
  WriteConfig(s);
  ASSERT_TRUE(s.Start({s.DemoTrack()}));
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词"), true));
  QThread::msleep(3000);  // three seconds of the music: the lyric is past its first line
  s.ClickMain(QStringLiteral("play"));  // paused: the line stands still
  ASSERT_TRUE(Eventually([] { return Corked() == true; }));
  const QRect lyrics = s.Geometry(QStringLiteral("Vireo 桌面歌词"));
  const auto still = [&](const QString& name) {
    // The toolbar, which covers the line while it is up, goes a second after the pointer left.
    PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
    EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词操作"), false, 4000));
    return GrabStill(lyrics, name);
  };
  const QImage line = still(QStringLiteral("paths-desktop-line.png"));
  const auto press = [&](int designX, int times) {
    for (int i = 0; i < times; ++i) {
      // The line redrawn at each shift may move the toolbar: a user looks for the button again.
      if (!s.Visible(QStringLiteral("Vireo 桌面歌词操作"))) {
        ASSERT_TRUE(s.HoverDesktopLyrics(QStringLiteral("paths-desktop-shift-hover.png")));
      }
      // Where the toolbar stands once the window manager has placed it.
      const QRect bar = s.SettledGeometry(QStringLiteral("Vireo 桌面歌词操作"));
      PlayerSession::Click(QPoint(bar.right() + 1 - (310 - designX) + 11, bar.top() + 17));
      // Part of the gesture, not a wait for its effect: presses further apart than the double
      // click interval (400 ms) are single clicks.
      QThread::msleep(450);
    }
  };
  press(104, 6);  // ">" six times: 3 s later in the lyric (its lines last about 2 s)
  QImage later = still(QStringLiteral("paths-desktop-line-later.png"));
  // A loaded machine may lose presses among quick ones: a user presses again.
  for (int extra = 0; extra < 2 && later == line; ++extra) {
    press(104, 2);
    later = still(QStringLiteral("paths-desktop-line-later.png"));
  }
  EXPECT_NE(later, line) << "+3 s showed the same line";
  press(80, 6);  // "<" six times: back where it was
  QImage back = still(QStringLiteral("paths-desktop-line-back.png"));
  // A loaded machine may lose a click among six quick ones: a user presses once more.
  for (int extra = 0; extra < 2 && back != line; ++extra) {
    press(80, 1);
    back = still(QStringLiteral("paths-desktop-line-back.png"));
  }
  EXPECT_EQ(back, line);
  EXPECT_TRUE(s.Quit());
}

TEST(UserPaths, TheLibraryWindowPagesThroughResultsThirtyAtATime) {
  SharingService service({}, 31);
  PlayerSession s;
  const QRect library = StartWithLibrary(s, service);
  ASSERT_TRUE(library.isValid());
  const auto press = [&](const char* id) {
    PlayerSession::Click(library.topLeft() +
                         PlayerSession::SkinRect(QStringLiteral("share"), QLatin1StringView(id)).center());
  };
  const auto asked = [&](const char* offset) {
    return service.Log().count(QStringLiteral("key=Page&offset=%1&").arg(QLatin1StringView(offset)));
  };
  PlayerSession::Click(PlayerSession::SkinRect(QStringLiteral("share"), QStringLiteral("sinput"))
                           .translated(library.topLeft())
                           .center());
  PlayerSession::Type(QStringLiteral("Page"));
  PlayerSession::Key(QStringLiteral("Return"));
  ASSERT_TRUE(Eventually([&] { return asked("0") == 1; })) << service.Log().toStdString();
  // A full page of thirty (the list has its scroll bar, the icons sit further left): the next one
  // is asked for, then the previous again.
  ASSERT_TRUE(Eventually([&] { return ResultIcon(library, library.width() - 42).has_value(); }));
  // The page buttons wait while a page is still being listed: a user presses again.
  const auto pressUntil = [&](const char* id, const char* offset, int times) {
    return Eventually([&] {
      press(id);
      return Eventually([&] { return asked(offset) >= times; }, 1500);
    }, 20000);
  };
  EXPECT_TRUE(pressUntil("next", "30", 1)) << service.Log().toStdString();
  EXPECT_TRUE(pressUntil("revious", "0", 2)) << service.Log().toStdString();
  EXPECT_EQ(asked("30"), 1);
  EXPECT_TRUE(s.Quit(40000));
}
