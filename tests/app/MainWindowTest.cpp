// The main window built in this process, with the real engine on the test services' sound
// server: what the sequencing does with a long track, a network track (its copy in the song
// cache and the play report), and a lyric in the lyric folder. The windows are real; their
// handlers are reached the way the engine and the user reach them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <unistd.h>

#include "LoopbackHttpServer.h"
#include "MediaFactory.h"
#include "TestEnv.h"
#include "app/lyrics/TPetrelLrc.h"
#include "app/lyrics/TPetrelSlrc.h"
#include "app/mainwindow/TPetrelMain.h"
#include "app/skinning/EdgeResize.h"
#include "audio/AudioCodes.h"
#include "audio/TAudioEngine.h"
#include "ddvcl/TDDLrcShow.h"
#include "ddvcl/TDDPlaylist.h"
#include "net/ServiceHost.h"
#include "playlist/PlaylistFile.h"
#include "playlist/TDDPlaylistModel.h"

using namespace vireo;
using namespace vireo::test;

namespace {

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    qputenv("HOME", QFile::encodeName(home_.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.path() + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home_.path() + QStringLiteral("/.local/share")));
    QDir().mkpath(home_.path() + QStringLiteral("/Documents"));
    WriteSettings(QString());
  }
  void TearDown() override { ServiceHost::SetHost(QString()); }

  // Settings written before the window reads them: the service host and the folders.
  void WriteSettings(const QString& elements) {
    ASSERT_TRUE(test::WritePlayerSettings(home_.path() + QStringLiteral("/Documents/Vireo/"),
                                          elements));
  }

  std::unique_ptr<TPetrelMain> Make() {
    auto main = std::make_unique<TPetrelMain>(QStringList{QStringLiteral("vireo")});
    main->FormCreate();
    return main;
  }

  static void AddEntry(TPetrelMain& main, const QString& file, const QString& title,
                       const QString& artist, bool url) {
    TDDPlaylistItem& e = main.Playlist()->Items().Add();
    e.FileName = file;
    e.Title = title;
    e.Artist = artist;
    e.Caption = artist.isEmpty() ? title : title + QStringLiteral(" - ") + artist;
    e.ISURL = url;
  }

  QTemporaryDir home_;
};

}  // namespace

TEST_F(MainWindow, TheTimeShowsMinutesWithinTheHour) {
  auto main = Make();
  // A 65-minute track 62 minutes and 3 seconds in: hours are dropped from both.
  Q_EMIT main->Engine()->OnProgress(AudioState::Playing, 65 * 60000, (62 * 60 + 3) * 1000, nullptr,
                                    nullptr);
  EXPECT_EQ(main->lbl_time->text(), QStringLiteral("02:03/05:00"));
  Q_EMIT main->Engine()->OnStateChange(AudioState::Paused);
  EXPECT_EQ(main->lbl_stack->text(), QStringLiteral("暂停"));
  // 1807 on an empty list, and the remote play while the list is empty.
  EXPECT_EQ(main->WMCMDPLAY(50, 0), 0);
  EXPECT_EQ(main->WMCMDPLAY(51, 0), -1);
  EXPECT_EQ(main->WMCMDPLAY(16, 1), -1);
}

TEST_F(MainWindow, ANetworkTrackIsCachedUnderItsCleanedNameAndReported) {
  const QString tone = MediaFactory::Tone(QStringLiteral("cached"), QStringLiteral("mp3"), 440, 1.0);
  QFile f(tone);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const std::string bytes = f.readAll().toStdString();
  LoopbackHttpServer tracks([&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
    c.Write(LoopbackHttpServer::Response(200, bytes, {{"Content-Type", "audio/mpeg"}}));
  });
  LoopbackHttpServer service([](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
    c.Write(LoopbackHttpServer::Response(200, "1"));
  });
  const QString music = home_.path() + QStringLiteral("/cache");
  QDir().mkpath(music);
  WriteSettings(QStringLiteral("<MUSIC PATH=\"%1\"/><SERVICE HOST=\"%2\"/>")
                    .arg(music, QString::fromStdString(service.HostPort())));
  auto main = Make();
  const QString url = QString::fromStdString(tracks.Url("/t/one.mp3"));
  AddEntry(*main, url, QStringLiteral("A/B: C?"), QString(), true);
  AddEntry(*main, url, QStringLiteral("A/B: C?"), QString(), true);
  main->btn_playClick();
  const QString first = music + QStringLiteral("/AB C.mp3");
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(first); }, 15000));
  EXPECT_EQ(QFile(first).size(), qint64(bytes.size()));
  // The copy is in place whole; the temporary file goes right after it.
  EXPECT_TRUE(WaitUntil([&] { return !QFile::exists(music + QStringLiteral("/_temp._mp")); }, 5000));
  // The entry now plays from its copy.
  ASSERT_TRUE(WaitUntil([&] { return !main->Playlist()->Items()[0].ISURL; }, 5000));
  EXPECT_EQ(main->Playlist()->Items()[0].FileName, first);
  // In order, the second entry (the same track) follows: the name is taken, so its copy is
  // numbered.
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(music + QStringLiteral("/AB C(1).mp3")); }, 15000));
  // Each network start was reported to the service host (which also heard the update check).
  auto reports = [&] {
    std::vector<LoopbackHttpServer::Request> out;
    for (const auto& r : service.Requests())
      if (r.target == "/mpost/mp3down.asp") out.push_back(r);
    return out;
  };
  ASSERT_TRUE(WaitUntil([&] { return reports().size() >= 2; }, 10000));
  const auto report = reports()[0];
  EXPECT_EQ(report.method, "POST");
  EXPECT_EQ(report.target, "/mpost/mp3down.asp");
  EXPECT_EQ(report.body.rfind("t=A%2FB%3A%20C%3F&s=&a=&b=", 0), 0u) << report.body;
  EXPECT_NE(report.body.find("&u=http%3A%2F%2F127%2E0%2E0%2E1%3A"), std::string::npos) << report.body;
}

TEST_F(MainWindow, ALyricInTheLyricFolderIsShownInTheLyricWindow) {
  const QString lyrics = home_.path() + QStringLiteral("/lrc");
  QDir().mkpath(lyrics);
  QFile lrc(lyrics + QStringLiteral("/Song Singer.lrc"));
  ASSERT_TRUE(lrc.open(QIODevice::WriteOnly));
  lrc.write("[00:00.00]第一行\n[00:00.50]第二行\n");
  lrc.close();
  WriteSettings(QStringLiteral("<LRC PATH=\"%1\"/>").arg(lyrics));
  auto main = Make();
  AddEntry(*main, MediaFactory::Tone(QStringLiteral("song"), QStringLiteral("mp3"), 523, 3.0),
           QStringLiteral("Song"), QStringLiteral("Singer"), false);
  main->btn_playClick();
  TDDLrcShow* view = main->LyricWindow()->lrcshw_min;
  ASSERT_TRUE(WaitUntil([&] { return view->Lrc().contains(QStringLiteral("第二行")); }, 10000));
  ASSERT_TRUE(WaitUntil([&] { return view->LrcCurrText() == QStringLiteral("第二行"); }, 10000));
  // The lyric search dialog opens with the entry's names.
  EXPECT_EQ(TPetrelSlrc::SaveFileName(QStringLiteral("A/B"), QStringLiteral("C:D")),
            QStringLiteral("AB CD.lrc"));
  const QString longName = TPetrelSlrc::SaveFileName(QString(200, QChar(0x4E2D)), QStringLiteral("x"));
  EXPECT_LE(QFile::encodeName(longName).size(), 255);
  EXPECT_TRUE(longName.endsWith(QStringLiteral(".lrc")));
}

TEST_F(MainWindow, ALyricIsReportedOnlyToAServiceThatAnswered) {
  // The service answers the update check as a live one does ("petrel" in the manifest).
  LoopbackHttpServer service([](const LoopbackHttpServer::Request& r, LoopbackHttpServer::Connection& c) {
    c.Write(LoopbackHttpServer::Response(
        200, r.target == "/soft/update.xml" ? "<petrel><ver>0.0.1</ver></petrel>" : "1"));
  });
  WriteSettings(QStringLiteral("<SERVICE HOST=\"%1\"/>").arg(QString::fromStdString(service.HostPort())));
  const QString track = MediaFactory::Tone(QStringLiteral("reported"), QStringLiteral("mp3"), 587, 2.0);
  QFile side(QFileInfo(track).path() + QStringLiteral("/reported.lrc"));
  ASSERT_TRUE(side.open(QIODevice::WriteOnly));
  side.write("[00:00.10]报告的歌词，长度超过二十个字节\n");
  side.close();
  // The answer opens the library window's page; its browser runs as the player's does as root.
  if (getuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  auto main = Make();
  ASSERT_TRUE(WaitUntil([&] { return main->Context().ServiceReachable; }, 10000));
  AddEntry(*main, track, QStringLiteral("Reported"), QStringLiteral("Singer"), false);
  main->btn_playClick();
  auto lyricReports = [&] {
    int n = 0;
    for (const auto& r : service.Requests()) n += r.target == "/mpost/lrcpost.asp";
    return n;
  };
  ASSERT_TRUE(WaitUntil([&] { return lyricReports() == 1; }, 10000));
  for (const auto& r : service.Requests())
    if (r.target == "/mpost/lrcpost.asp") {
      EXPECT_EQ(r.method, "POST");
      EXPECT_EQ(r.body.rfind("ltitle=Reported&lsinger=Singer&llrc=", 0), 0u) << r.body;
    }
  // A local track is not a network play: no play report.
  for (const auto& r : service.Requests()) EXPECT_NE(r.target, "/mpost/mp3down.asp");
}

TEST_F(MainWindow, ClosedBeforeItsPlaylistIsLoadedTheFileIsKept) {
  // The player shows its window before it loads the playlist; a close in between must not
  // write the (still empty) list over the user's file.
  auto main = std::make_unique<TPetrelMain>(QStringList{QStringLiteral("vireo")});
  main->FormCreateWindow();
  const QString path = main->Context().Settings.PlaylistPath;
  TDDPlaylistModel saved;
  TDDPlaylistItem& e = saved.Items().Add();
  e.FileName = QStringLiteral("/music/kept.mp3");
  e.Caption = QStringLiteral("Kept");
  ASSERT_TRUE(SavePlaylist(saved, path));
  QFile before(path);
  ASSERT_TRUE(before.open(QIODevice::ReadOnly));
  const QByteArray bytes = before.readAll();
  before.close();
  main->close();
  QFile after(path);
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), bytes);
  // Once loaded, a close writes the list as it stands.
  main->FormCreateRest();
  EXPECT_EQ(main->Playlist()->Count(), 1);
}

TEST(EdgeResize, ZonesOfTheBorder) {
  // Corners within the full width 6, edges within 3; the top-right corner tests y < 6.
  EXPECT_EQ(EdgeHitTest(2, 2, 300, 200, 6), EdgeZone::TopLeft);
  EXPECT_EQ(EdgeHitTest(5, 100, 300, 200, 6), EdgeZone::None);
  EXPECT_EQ(EdgeHitTest(3, 100, 300, 200, 6), EdgeZone::Left);
  EXPECT_EQ(EdgeHitTest(297, 100, 300, 200, 6), EdgeZone::Right);
  EXPECT_EQ(EdgeHitTest(294, 6, 300, 200, 6), EdgeZone::None);
  EXPECT_EQ(EdgeHitTest(294, 5, 300, 200, 6), EdgeZone::TopRight);
  EXPECT_EQ(EdgeHitTest(6, 6, 300, 200, 6), EdgeZone::TopLeft);
  EXPECT_EQ(EdgeHitTest(295, 195, 300, 200, 6), EdgeZone::BottomRight);
  EXPECT_EQ(EdgeHitTest(4, 196, 300, 200, 6), EdgeZone::BottomLeft);
  EXPECT_EQ(EdgeHitTest(150, 197, 300, 200, 6), EdgeZone::Bottom);
  EXPECT_EQ(EdgeHitTest(150, 3, 300, 200, 6), EdgeZone::Top);
  // A resize never makes the window smaller than its minimum.
  EXPECT_EQ(EdgeResizedRect(QRect(100, 100, 300, 200), EdgeZone::TopLeft, QPoint(500, 10),
                            QSize(120, 80)),
            QRect(280, 110, 120, 190));
  EXPECT_EQ(EdgeResizedRect(QRect(100, 100, 300, 200), EdgeZone::BottomRight, QPoint(20, 30),
                            QSize(120, 80)),
            QRect(100, 100, 320, 230));
}
