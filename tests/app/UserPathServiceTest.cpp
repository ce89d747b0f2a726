// The paths where the player meets a service that fails it or means it harm, reached as a user
// meets them: an update whose installer does not verify, a player without a key, an update
// dialog closed while it downloads, and a library page that takes memory without end.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "PlayerSession.h"
#include "SlowUpdateService.h"
#include "UserPathSteps.h"

using namespace vireo::test;


// The installer's bytes fail their signature: the dialog says so and stays until it is closed,
// the player plays on with no installer left, and the next start does not fetch it again.
TEST(UserPaths, AnUpdateThatFailsItsCheckIsToldOnceAndNotFetchedAgain) {
  SlowUpdateService service;
  PlayerSession s;
  s.UseTestSigningKey();
  WriteConfig(s, QStringLiteral("<SERVICE HOST=\"%1\"/>").arg(service.Host()));
  ASSERT_TRUE(s.Start());
  // The update dialog comes up by itself and cannot be maximised.
  const QString dialog = PlayerSession::WaitWindowByTitle(QStringLiteral("维雀 升级"), 15000);
  ASSERT_FALSE(dialog.isEmpty()) << "no update dialog";
  ScreenshotStill(QStringLiteral("paths-update.png"));
  const QString actions = PlayerSession::Property(dialog, QStringLiteral("_NET_WM_ALLOWED_ACTIONS"));
  EXPECT_FALSE(actions.contains(QStringLiteral("MAXIMIZE"))) << actions.toStdString();
  // The download ends (two seconds) and is refused: the file is gone, the dialog is not.
  const QString updateDir = s.DataDir() + QStringLiteral("update");
  EXPECT_TRUE(Eventually([&] { return QFile::exists(updateDir + QStringLiteral("/refused")); }, 15000));
  QThread::msleep(1500);
  EXPECT_EQ(PlayerSession::WindowByTitle(QStringLiteral("维雀 升级")), dialog);
  PlayerSession::Screenshot(QStringLiteral("paths-update-refused.png"));
  EXPECT_EQ(QDir(updateDir).entryList({QStringLiteral("up*")}, QDir::Files), QStringList());
  PlayerSession::Xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), dialog});
  PlayerSession::Key(QStringLiteral("alt+F4"));
  EXPECT_TRUE(Eventually([] { return PlayerSession::WindowByTitle(QStringLiteral("维雀 升级")).isEmpty(); }, 10000));
  QThread::msleep(500);
  EXPECT_TRUE(s.Running());
  EXPECT_TRUE(s.Output().contains(QStringLiteral("failed its signature check")));
  EXPECT_TRUE(s.Quit(40000));

  ASSERT_TRUE(s.Start());
  EXPECT_TRUE(Eventually([&] { return service.ManifestsAsked() == 2; }, 15000));
  QThread::msleep(2000);
  EXPECT_EQ(service.InstallersAsked(), 1);
  EXPECT_TRUE(PlayerSession::WindowByTitle(QStringLiteral("维雀 升级")).isEmpty());
  EXPECT_TRUE(s.Quit(40000));
}

// A player built without a key installs nothing, so it fetches nothing either.
TEST(UserPaths, APlayerWithoutAKeyDownloadsNoUpdate) {
  SlowUpdateService service(SlowUpdateService::Unsigned);
  PlayerSession s;
  WriteConfig(s, QStringLiteral("<SERVICE HOST=\"%1\"/>").arg(service.Host()));
  ASSERT_TRUE(s.Start());
  EXPECT_TRUE(Eventually([&] { return service.ManifestsAsked() == 1; }, 15000));
  QThread::msleep(2000);
  EXPECT_EQ(service.InstallersAsked(), 0);
  EXPECT_TRUE(PlayerSession::WindowByTitle(QStringLiteral("维雀 升级")).isEmpty());
  EXPECT_TRUE(s.Quit(40000));
}

// A signed newer installer is downloaded, started with "/SILENT", and the player closes with
// its list saved.
TEST(UserPaths, AVerifiedUpdateIsStartedAndThePlayerCloses) {
  QTemporaryDir dir;
  const QString marker = dir.filePath(QStringLiteral("installer-ran"));
  const QByteArray installer = "#!/bin/sh\necho \"$@\" > '" + marker.toUtf8() + "'\n" +
                               QByteArray(100000, '#') + "\n";
  SlowUpdateService service(SlowUpdateService::Good, installer);
  PlayerSession s;
  s.UseTestSigningKey();
  WriteConfig(s, QStringLiteral("<SERVICE HOST=\"%1\"/>").arg(service.Host()));
  ASSERT_TRUE(s.Start({Track(QStringLiteral("Kept Over"), 30.0)}));
  EXPECT_FALSE(PlayerSession::WaitWindowByTitle(QStringLiteral("维雀 升级"), 15000).isEmpty());
  EXPECT_TRUE(Eventually([&] { return !s.Running(); }, 20000)) << "the player goes on";
  ASSERT_TRUE(Eventually(
      [&] {
        QFile f(marker);
        return f.open(QIODevice::ReadOnly) && f.readAll().endsWith('\n');
      },
      10000));
  QFile f(marker);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().trimmed(), QByteArray("/SILENT"));
  EXPECT_EQ(s.SavedTitles(), QStringList{QStringLiteral("Kept Over")});
}

TEST(UserPaths, ClosingTheUpdateDialogWhileItDownloadsEndsThePlayer) {
  SlowUpdateService service;
  PlayerSession s;
  s.UseTestSigningKey();
  WriteConfig(s, QStringLiteral("<SERVICE HOST=\"%1\"/>").arg(service.Host()));
  ASSERT_TRUE(s.Start({Track(QStringLiteral("Before Update"), 30.0)}));
  const QString dialog = PlayerSession::WaitWindowByTitle(QStringLiteral("维雀 升级"), 15000);
  ASSERT_FALSE(dialog.isEmpty()) << "no update dialog";
  // Closed from its frame as a user closes a window (the window manager's Alt+F4).
  PlayerSession::Xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), dialog});
  PlayerSession::Key(QStringLiteral("alt+F4"));
  EXPECT_TRUE(Eventually([&] { return !s.Running(); }, 15000)) << "the player goes on";
  EXPECT_EQ(s.SavedTitles(), QStringList{QStringLiteral("Before Update")});
}

// A service whose start page takes memory without end: the library page's renderer runs out of
// what it may have and ends, the window shows its help page, and the player plays on.
TEST(UserPaths, ALibraryPageThatTakesMemoryWithoutEndLeavesThePlayerPlaying) {
  LoopbackHttpServer service([](const LoopbackHttpServer::Request& r,
                                LoopbackHttpServer::Connection& c) {
    if (r.target == "/soft/update.xml")
      c.Write(LoopbackHttpServer::Response(200, "<?xml version=\"1.0\"?><petrel/>",
                                           {{"Content-Type", "text/xml"}}));
    else if (r.target == "/index_sh.asp")
      c.Write(LoopbackHttpServer::Response(
          200,
          "<html><body>growing<script>var a=[];for(;;){a.push(new Array(1e6).fill(1.5));}"
          "</script></body></html>",
          {{"Content-Type", "text/html; charset=utf-8"}}));
    else
      c.Write(LoopbackHttpServer::Response(404, "no"));
  });
  PlayerSession s;
  WriteConfig(s, QStringLiteral("<SERVICE HOST=\"%1\"/>").arg(QString::fromStdString(service.HostPort())));
  ASSERT_TRUE(s.Start({Track(QStringLiteral("Plays On"), 30.0)}));
  EXPECT_TRUE(Eventually([&] { return s.Output().contains(QStringLiteral("renderer ended")); }, 60000))
      << s.Output().toStdString();
  GrabStill(s.SettledGeometry(QStringLiteral("Vireo SHARE")),
            QStringLiteral("paths-library-page-gone.png"));
  EXPECT_TRUE(s.Running());
  EXPECT_TRUE(s.Quit(40000));
  EXPECT_EQ(s.SavedTitles(), QStringList{QStringLiteral("Plays On")});
}

// The service's start page links to a second page: the link is followed, 后退 goes back to the
// start page and 前进 forward again (each page known by its colour).
TEST(UserPaths, TheLibraryBackAndForwardButtonsMoveThroughThePagesSeen) {
  LoopbackHttpServer service([](const LoopbackHttpServer::Request& r,
                                LoopbackHttpServer::Connection& c) {
    const auto page = [&](const char* colour, const char* body) {
      c.Write(LoopbackHttpServer::Response(
          200,
          std::string("<html><body style=\"margin:0;background:") + colour + "\">" + body +
              "</body></html>",
          {{"Content-Type", "text/html; charset=utf-8"}}));
    };
    if (r.target == "/soft/update.xml")
      c.Write(LoopbackHttpServer::Response(200, "<?xml version=\"1.0\"?><petrel/>",
                                           {{"Content-Type", "text/xml"}}));
    else if (r.target == "/index_sh.asp")
      page("#c03030",
           "<a href=\"/second.asp\" style=\"display:block;height:100vh;color:#c03030\">"
           "next page</a>");
    else if (r.target == "/second.asp")
      page("#3050c0", "");
    else
      c.Write(LoopbackHttpServer::Response(404, "no"));
  });
  PlayerSession s;
  WriteConfig(s, QStringLiteral("<SERVICE HOST=\"%1\"/>").arg(QString::fromStdString(service.HostPort())));
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo SHARE"), true, 20000));
  const QRect library = s.Geometry(QStringLiteral("Vireo SHARE"));
  const QPoint middle = library.center();
  const auto colour = [&] {
    const QRgb p = PlayerSession::Screenshot(QStringLiteral("paths-library-pages.png")).pixel(middle);
    return qRed(p) > 150 && qBlue(p) < 100 ? 'r' : qBlue(p) > 150 && qRed(p) < 100 ? 'b' : '?';
  };
  const auto press = [&](const char* id) {
    PlayerSession::Click(library.topLeft() +
                         PlayerSession::SkinRect(QStringLiteral("share"), QLatin1StringView(id)).center());
  };
  ASSERT_TRUE(Eventually([&] { return colour() == 'r'; }, 20000)) << "no start page";
  QThread::msleep(500);
  PlayerSession::Click(middle);  // the link across the page
  EXPECT_TRUE(Eventually([&] { return colour() == 'b'; }, 10000)) << "the link was not followed";
  press("back");
  EXPECT_TRUE(Eventually([&] { return colour() == 'r'; }, 10000)) << "后退 did not go back";
  press("forward");
  EXPECT_TRUE(Eventually([&] { return colour() == 'b'; }, 10000)) << "前进 did not go forward";
  EXPECT_TRUE(s.Quit(40000));
}
