// The real player, started as a user starts it (private home and folders, the test services'
// display and sound server), driven by what users and other programs do: starts with and
// without files, a second start, the local socket's commands, the pointer. What happened is read
// where a user or a script would see it: the windows on the screen, the files the player writes,
// and the "now playing" file of the bundled example plug-in (written at every track start,
// emptied at every end).
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "MediaFactory.h"
#include "PlayerSession.h"
#include "playlist/TDDPlaylistModel.h"
#include "store/PlaylistFile.h"

using namespace vireo;
using namespace vireo::test;

namespace {

// A short tagged tone (title and artist as a user's files have them).
QString Track(const QString& title, double seconds, int hz = 440) {
  return MediaFactory::Tone(title, QStringLiteral("mp3"), hz, seconds, 0.3,
                            {QStringLiteral("-metadata"), QStringLiteral("title=") + title,
                             QStringLiteral("-metadata"), QStringLiteral("artist=Vireo Test")});
}

// "Title - Artist" of the track that started last; the artist may be missing when the track
// started before the tag reader filled its entry in.
QString NowPlaying(const PlayerSession& s) {
  QFile f(s.Home() + QStringLiteral("/.cache/vireo/nowplaying.txt"));
  if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("<none>");
  return QString::fromUtf8(f.readAll()).trimmed();
}

QString PlayPattern(int code) {
  return QStringLiteral("<PLAY PATTERN=\"%1\"/>").arg(code);
}

}  // namespace

TEST(PlayerProgram, FirstStartPlacesTheWindowsAndShowsTheDesktopLyrics) {
  PlayerSession s;
  ASSERT_TRUE(s.Start()) << s.Output().toStdString();
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  // Centred on the work area together with the (hidden) library window to its right.
  const QRect library = s.Geometry(QStringLiteral("Vireo SHARE"));
  const int libraryWidth = library.isValid() ? library.width() : 0;
  EXPECT_EQ(main.x(), (1280 - (main.width() + libraryWidth)) / 2);
  EXPECT_EQ(main.y(), (1024 - main.height()) / 2);
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词"), true));
  EXPECT_FALSE(s.Visible(QStringLiteral("Vireo LRC")));
  // The desktop lyrics span the screen but 25 pixels each side, on the bottom of the work area.
  const QRect desktop = s.Geometry(QStringLiteral("Vireo 桌面歌词"));
  EXPECT_EQ(desktop.x(), 25);
  EXPECT_EQ(desktop.width(), 1280 - 50);
  EXPECT_EQ(desktop.bottom(), 1023);
  // The empty list shows its panel; nothing is written before the player closes.
  PlayerSession::Screenshot(QStringLiteral("player-first-start.png"));
  EXPECT_FALSE(QFile::exists(s.DataDir() + QStringLiteral("Vireo.xml")));
  ASSERT_TRUE(s.Quit());
  EXPECT_TRUE(QFile::exists(s.DataDir() + QStringLiteral("Vireo.xml")));
}

TEST(PlayerProgram, RemoteCommandsOnAnEmptyListAndBadOnes) {
  PlayerSession s;
  ASSERT_TRUE(s.Start());
  EXPECT_EQ(s.Command(50), 0);
  EXPECT_EQ(s.Command(51), -1);
  EXPECT_EQ(s.Request(1807, 50, 1), -1);  // lParam must be 0
  EXPECT_EQ(s.Command(77), -1);
  EXPECT_EQ(s.Command(16), 1);  // play on an empty list: nothing happens, still answered
  s.Request(1806, 98);          // ignored
  EXPECT_TRUE(s.Running());
  EXPECT_TRUE(s.Quit());
}

TEST(PlayerProgram, ASecondStartHandsItsFileOverAndEndsAndLinksAreAdded) {
  const QString one = Track(QStringLiteral("Handed One"), 4.0);
  PlayerSession s;
  ASSERT_TRUE(s.Start());
  // Without arguments: the running player comes to the front, nothing opens.
  EXPECT_EQ(s.StartAgain({}), 0);
  EXPECT_EQ(s.Command(50), 0);
  // With a file: it is added and plays.
  EXPECT_EQ(s.StartAgain({one}), 0);
  EXPECT_TRUE(Eventually([&] { return s.Command(50) == 1; }));
  EXPECT_EQ(s.Command(51), 0);
  EXPECT_TRUE(Eventually([&] { return NowPlaying(s).startsWith(QStringLiteral("Handed One")); }))
      << NowPlaying(s).toStdString();
  // "-f" with two library links: both added, in order, neither played.
  auto link = [](const QString& url, const QString& title) -> QString {
    return QStringLiteral("vireo://") +
           QString::fromLatin1((url + QLatin1Char('|') + title + QStringLiteral("|歌手"))
                                   .toUtf8()
                                   .toBase64()) +
           QStringLiteral("|7AL");
  };
  EXPECT_EQ(s.StartAgain({QStringLiteral("-f"),
                          link(QStringLiteral("http://127.0.0.1:9/a.mp3"), QStringLiteral("甲")) +
                              QLatin1Char(';') +
                              link(QStringLiteral("http://127.0.0.1:9/b.mp3"), QStringLiteral("乙"))}),
            0);
  EXPECT_TRUE(Eventually([&] { return s.Command(50) == 3; }));
  EXPECT_EQ(s.Command(51), 0);
  ASSERT_TRUE(s.Quit());
  // The playlist file holds the three entries, the links as network entries.
  TDDPlaylistModel saved;
  EXPECT_EQ(LoadPlaylist(saved, s.DataDir() + QStringLiteral("Default.pls")), 3);
  EXPECT_EQ(saved.Items()[1].Title, QStringLiteral("甲"));
  EXPECT_EQ(saved.Items()[2].FileName, QStringLiteral("http://127.0.0.1:9/b.mp3"));
  EXPECT_TRUE(saved.Items()[2].ISURL);
}

namespace {

// Starts the player with a list of three short tracks, the last one playing.
void StartWithThreeTracks(PlayerSession& s, int pattern) {
  const QString a = Track(QStringLiteral("Mode A"), 1.5, 330);
  const QString b = Track(QStringLiteral("Mode B"), 1.5, 440);
  const QString c = Track(QStringLiteral("Mode C"), 1.5, 550);
  s.WriteSettings(PlayPattern(pattern));
  QDir().mkpath(s.DataDir());
  TDDPlaylistModel list;
  for (const QString& path : {a, b}) {
    TDDPlaylistItem& e = list.Items().Add();
    e.FileName = path;
    e.Title = QFileInfo(path).completeBaseName();
    e.Artist = QStringLiteral("Vireo Test");
    e.Caption = e.Title + QStringLiteral(" - ") + e.Artist;
  }
  ASSERT_TRUE(SavePlaylist(list, s.DataDir() + QStringLiteral("Default.pls")));
  ASSERT_TRUE(s.Start({c}));
  ASSERT_TRUE(Eventually([&] { return NowPlaying(s).startsWith(QStringLiteral("Mode C")); }));
}

}  // namespace

TEST(PlayerProgram, InOrderTheListStopsAfterItsLastEntry) {
  PlayerSession s;
  StartWithThreeTracks(s, 0);
  EXPECT_EQ(s.Command(51), 2);
  // The track ends; nothing follows.
  ASSERT_TRUE(Eventually([&] { return NowPlaying(s).isEmpty(); }));
  QThread::msleep(1500);
  EXPECT_TRUE(NowPlaying(s).isEmpty());
  EXPECT_EQ(s.Command(51), 2);
  // Play starts the last entry again.
  EXPECT_EQ(s.Command(16), 1);
  EXPECT_TRUE(Eventually([&] { return NowPlaying(s).startsWith(QStringLiteral("Mode C")); }));
  EXPECT_TRUE(s.Quit());
}

TEST(PlayerProgram, RepeatingTheListPlaysTheFirstEntryAfterTheLast) {
  PlayerSession s;
  StartWithThreeTracks(s, 1);  // stored code 1 is "循环播放"
  ASSERT_TRUE(Eventually([&] { return NowPlaying(s).startsWith(QStringLiteral("Mode A")); }));
  EXPECT_EQ(s.Command(51), 0);
  // Previous on the first entry leaves no entry current while the track plays on.
  EXPECT_EQ(s.Command(19), 1);
  EXPECT_EQ(s.Command(51), -1);
  EXPECT_TRUE(NowPlaying(s).startsWith(QStringLiteral("Mode A")));
  EXPECT_TRUE(s.Quit());
}

TEST(PlayerProgram, ATrackThatCannotBeOpenedIsSkippedAfterOneSecond) {
  PlayerSession s;
  const QString good = Track(QStringLiteral("After Broken"), 3.0);
  const QString broken = MediaFactory::Write(QStringLiteral("broken.mp3"), QByteArray(4096, 'x'));
  QDir().mkpath(s.DataDir());
  TDDPlaylistModel list;
  for (const QString& path : {broken, good}) {
    TDDPlaylistItem& e = list.Items().Add();
    e.FileName = path;
    e.Title = QFileInfo(path).completeBaseName();
    e.Artist = QStringLiteral("Vireo Test");
    e.Caption = e.Title + QStringLiteral(" - ") + e.Artist;
  }
  ASSERT_TRUE(SavePlaylist(list, s.DataDir() + QStringLiteral("Default.pls")));
  ASSERT_TRUE(s.Start());
  const QDateTime asked = QDateTime::currentDateTimeUtc();
  EXPECT_EQ(s.Command(16), 1);
  ASSERT_TRUE(Eventually([&] { return NowPlaying(s).startsWith(QStringLiteral("After Broken")); }));
  EXPECT_GE(asked.msecsTo(QDateTime::currentDateTimeUtc()), 900);
  EXPECT_EQ(s.Command(51), 1);
  EXPECT_TRUE(s.Quit());
}

TEST(PlayerProgram, ClosingSavesThePlaylistBeforeTheSettings) {
  PlayerSession s;
  ASSERT_TRUE(s.Start({Track(QStringLiteral("Saved"), 2.0)}));
  ASSERT_TRUE(s.Quit());
  const QFileInfo playlist(s.DataDir() + QStringLiteral("Default.pls"));
  const QFileInfo settings(s.DataDir() + QStringLiteral("Vireo.xml"));
  ASSERT_TRUE(playlist.exists());
  ASSERT_TRUE(settings.exists());
  EXPECT_LE(playlist.lastModified(), settings.lastModified());
}

TEST(PlayerProgram, ButtonsActAsTheyShowAndTheWindowLyricsShowTheLyric) {
  PlayerSession s;
  ASSERT_TRUE(s.Start({QStringLiteral(VIREO_SOURCE_DIR "/data/demo/vireo-demo.mp3")}));
  ASSERT_TRUE(Eventually([&] { return NowPlaying(s).startsWith(QStringLiteral("维雀晨曲")); }));
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  // Switch to the window lyrics from the desktop lyrics' toolbar: hover a glyph, press "切换".
  const QRect desktop = s.Geometry(QStringLiteral("Vireo 桌面歌词"));
  QPoint glyph;
  const QImage screen = PlayerSession::Screenshot(QStringLiteral("player-desktop-lyrics.png"));
  for (int x = desktop.left(); x < desktop.right() && glyph.isNull(); x += 2)
    for (int y = desktop.top(); y < desktop.bottom(); y += 2)
      if (qGreen(screen.pixel(x, y)) > 150) {
        glyph = QPoint(x, y);
        break;
      }
  ASSERT_FALSE(glyph.isNull()) << "no lyric glyph on the screen";
  PlayerSession::Xdo({QStringLiteral("mousemove"), QString::number(glyph.x()),
                      QString::number(glyph.y())});
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词操作"), true));
  const QRect bar = s.Geometry(QStringLiteral("Vireo 桌面歌词操作"));
  // "切换" sits 208 pixels into the toolbar's 310-pixel design, anchored right.
  PlayerSession::Click(QPoint(bar.right() + 1 - (310 - 208) + 24, bar.top() + 16));
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo LRC"), true));
  EXPECT_TRUE(s.WaitVisible(QStringLiteral("Vireo 桌面歌词"), false));
  // The lyric window sits right below the main window.
  const QRect lrc = s.Geometry(QStringLiteral("Vireo LRC"));
  EXPECT_EQ(lrc.topLeft(), QPoint(main.left(), main.bottom() + 1));
  QThread::msleep(1500);
  PlayerSession::Screenshot(QStringLiteral("player-playing.png"));

  // Pause with the play button, then the mute button.
  const QRect play = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("play"));
  PlayerSession::Click(main.topLeft() + play.center());
  QThread::msleep(800);
  PlayerSession::Screenshot(QStringLiteral("player-paused.png"));
  EXPECT_TRUE(s.Quit());
}

TEST(PlayerProgram, TheWebEngineLoadsWithTheLibraryWindowNotBefore) {
  PlayerSession s;
  ASSERT_TRUE(s.Start()) << s.Output().toStdString();
  auto mapped = [&s](const char* library) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(s.Pid()));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
  };
  // Started, with its tray icon, playlist and engine: no browser, no OpenGL scene graph.
  ASSERT_TRUE(Eventually([&] { return s.Command(50).has_value(); }));
  EXPECT_FALSE(mapped("libQt6WebEngineCore"));
  EXPECT_FALSE(mapped("libQt6Quick"));
  // The library button opens the window, whose page needs the browser.
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  PlayerSession::Click(
      main.topLeft() +
      PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("share")).center());
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo SHARE"), true));
  EXPECT_TRUE(Eventually([&] { return mapped("libQt6WebEngineCore"); }));
  EXPECT_TRUE(s.Running());
  EXPECT_TRUE(s.Quit());
}
