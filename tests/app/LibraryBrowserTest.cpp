#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QWebEngineView>
#include <atomic>
#include <optional>

#include "LibraryTestHost.h"
#include "LoopbackHttpServer.h"
#include "StillImage.h"
#include "TestEnv.h"
#include "app/librarywindow/LibraryBrowser.h"
#include "app/librarywindow/TLibraryWebPage.h"
#include "app/librarywindow/TPetrelShare.h"
#include "library/MUSIC_SEARCH_CreateObj.h"
#include "net/HttpClient.h"
#include "net/ServiceHost.h"
#include "net/TGetThr.h"
#include "skin/TDDSkin.h"

using namespace vireo;
using vireo::test::FakeLibraryHost;
using vireo::test::FakeMusicSearch;
using vireo::test::WaitUntil;

namespace {

QString PageText(TLibraryWebPage* page) {
  QString text;
  bool done = false;
  page->toPlainText([&](const QString& t) {
    text = t;
    done = true;
  });
  WaitUntil([&] { return done; }, 10000);
  return text;
}

QVariant RunScript(TLibraryWebPage* page, const QString& script) {
  QVariant result;
  bool done = false;
  page->runJavaScript(script, [&](const QVariant& v) {
    result = v;
    done = true;
  });
  WaitUntil([&] { return done; }, 10000);
  return result;
}

bool WaitForText(TLibraryWebPage* page, const QString& needle, int ms = 30000) {
  return WaitUntil([&] { return PageText(page).contains(needle); }, ms);
}

// The window on screen, as a user sees it (the web view draws through the GPU process, so the
// screen is read rather than the widget).
void SaveScreenshot(QWidget* w, const QString& name) {
  const QRect g = w->frameGeometry();
  const QImage shot = test::StillImage(
      [&] {
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, g.x(), g.y(), g.width(), g.height())
            .toImage();
      },
      3000);
  shot.save(QStringLiteral(VIREO_BINARY_DIR "/") + name);
}

TEST(LibraryBrowser, IsMadeOnFirstShowAndStartsWithTheBuiltInStartPage) {
  FakeLibraryHost host;
  host.search = std::make_shared<FakeMusicSearch>(30);
  TPetrelShare share(&host);
  TDDSkin skin(QStringLiteral(VIREO_SOURCE_DIR));
  share.RegisterSkin(skin);
  ASSERT_TRUE(skin.LoadSkin(QStringLiteral(VIREO_SOURCE_DIR "/skins/Default/skin.xml")));
  EXPECT_FALSE(share.BrowserMade());  // a closed library window costs no browser
  share.move(40, 40);
  share.show();
  ASSERT_TRUE(share.BrowserMade());
  ASSERT_TRUE(WaitForText(share.WebPage(), QStringLiteral("搜索框")));
  const auto background = [&] {
    return RunScript(share.WebPage(),
                     QStringLiteral("getComputedStyle(document.body).backgroundColor"))
        .toString();
  };
  EXPECT_EQ(background(), QStringLiteral("rgb(30, 35, 43)"));  // the Default skin's panel
  EXPECT_EQ(RunScript(share.WebPage(), QStringLiteral("navigator.userAgent")).toString(),
            QStringLiteral("vireoMinWeb"));
  EXPECT_EQ(share.Minweb->contextMenuPolicy(), Qt::NoContextMenu);
  // A page can open no window and load no local file.
  EXPECT_EQ(
      RunScript(share.WebPage(), QStringLiteral("window.open('http://127.0.0.1:9/') === null"))
          .toBool(),
      true);
  RunScript(share.WebPage(), QStringLiteral("location.href='file:///etc/hostname'"));
  test::Pump(500);
  EXPECT_FALSE(share.WebPage()->url().toString().startsWith(QStringLiteral("file:")));

  // Another skin recolours the start page.
  ASSERT_TRUE(skin.LoadSkin(QStringLiteral(VIREO_SOURCE_DIR "/skins/Light/skin.xml")));
  ASSERT_TRUE(WaitUntil([&] { return background() == u"rgb(255, 255, 255)"; }, 10000));
  ASSERT_TRUE(skin.LoadSkin(QStringLiteral(VIREO_SOURCE_DIR "/skins/Default/skin.xml")));
  ASSERT_TRUE(WaitUntil([&] { return background() == u"rgb(30, 35, 43)"; }, 10000));
  // As the main window does after a skin change: shown again, drawn with the new skin.
  share.hide();
  share.show();

  // Results under the start page, the list unfolded: the window as a user first meets it.
  share.edt_search->setText(QStringLiteral("晴天"));
  share.btn_Search->OnClick(share.btn_Search);
  ASSERT_TRUE(WaitUntil([&] { return !share.Searching(); }, 10000));
  share.dvt1->topLevelItem(1)->setExpanded(true);
  share.dvt1->setCurrentItem(share.dvt1->topLevelItem(1));
  share.raise();
  SaveScreenshot(&share, QStringLiteral("library-window.png"));
}

// The reference service as the service host: its pages in the browser, their links as commands.
class LibraryWithService : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new QTemporaryDir;
    const QString music = root_->filePath(QStringLiteral("music"));
    QDir().mkpath(music);
    // Not real audio: the catalogue names them after the files ("Singer - Title").
    for (int i = 0; i < 31; ++i) {
      QFile f(music + QStringLiteral("/Lark - Song %1.mp3").arg(i, 2, 10, QLatin1Char('0')));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(QByteArray(2048 + i, 'x'));
    }
    QFile f(music + QStringLiteral("/周杰伦 - 晴天.mp3"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'y'));
  }
  static void TearDownTestSuite() {
    delete root_;
    root_ = nullptr;
  }
  void SetUp() override {
    service_.start(QStringLiteral(VIREO_SERVICE_PATH),
                   {QStringLiteral("--music"), root_->filePath(QStringLiteral("music")),
                    QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"),
                    root_->filePath(QStringLiteral("data"))});
    ASSERT_TRUE(service_.waitForStarted(5000));
    QByteArray line;
    while (!line.contains('\n') && service_.waitForReadyRead(10000))
      line += service_.readAllStandardOutput();
    const auto m = QRegularExpression(QStringLiteral("http://127\\.0\\.0\\.1:(\\d+)/"))
                       .match(QString::fromUtf8(line));
    ASSERT_TRUE(m.hasMatch()) << line.constData();
    host_ = QStringLiteral("127.0.0.1:") + m.captured(1);
    ServiceHost::SetHost(host_);
    MusicSearchSettings settings;
    settings.serviceHost = host_;
    host.search = MUSIC_SEARCH_CreateObj(settings);
    ASSERT_TRUE(host.search);
    share = std::make_unique<TPetrelShare>(&host);
  }
  void TearDown() override {
    if (share) WaitUntil([&] { return !share->Searching() && !share->Resolving(); }, 10000);
    share.reset();
    TGetThr::WaitForAll(5000);
    ServiceHost::SetHost(QString());
    service_.terminate();
    service_.waitForFinished(10000);
  }
  QByteArray Get(const QByteArray& path) {
    return HttpGet(QByteArray(QByteArray("http://") + host_.toLatin1() + path));
  }

  static QTemporaryDir* root_;
  QProcess service_;
  QString host_;
  FakeLibraryHost host;
  std::unique_ptr<TPetrelShare> share;
};
QTemporaryDir* LibraryWithService::root_ = nullptr;

TEST_F(LibraryWithService, APlayLinkOnItsStartPageAddsTheTrackAndCountsTheHit) {
  share->Navigate(QStringLiteral("http://") + host_ + QStringLiteral("/index_sh.asp"));
  ASSERT_TRUE(share->BrowserMade());
  share->show();
  ASSERT_TRUE(WaitForText(share->WebPage(), QStringLiteral("晴天")));
  // The user clicks the play link of 晴天's row.
  RunScript(share->WebPage(),
            QStringLiteral("[...document.querySelectorAll('tr')].find(r => r.textContent"
                           ".includes('晴天')).querySelector('a[href$=\"PL\"]').click()"));
  ASSERT_TRUE(WaitUntil([&] { return host.links.size() == 1; }, 15000));
  ASSERT_EQ(host.entries.size(), 1u);
  EXPECT_TRUE(host.plays[0]);
  EXPECT_EQ(host.entries[0].Title, QStringLiteral("晴天"));
  EXPECT_EQ(host.entries[0].Artist, QStringLiteral("周杰伦"));
  EXPECT_TRUE(host.entries[0].FileName.startsWith(QStringLiteral("http://") + host_ +
                                                  QStringLiteral("/music/")));
  EXPECT_EQ(host.saves, 1);
  // Not followed: the page stays.
  EXPECT_TRUE(share->WebPage()->url().toString().endsWith(QStringLiteral("/index_sh.asp")));
  const QString id = host.links[0].section(u'|', 1).chopped(2);
  ASSERT_TRUE(WaitUntil(
      [&] {
        return Get("/mpost/hot.asp")
            .contains(QByteArray("id=\"" + id.toLatin1() + "\" count=\"1\""));
      },
      10000))
      << Get("/mpost/hot.asp").constData();

  // The add link adds without playing.
  RunScript(share->WebPage(), QStringLiteral("document.querySelector('a[href$=\"AL\"]').click()"));
  ASSERT_TRUE(WaitUntil([&] { return host.links.size() == 2; }, 15000));
  EXPECT_FALSE(host.plays[1]);
  EXPECT_EQ(host.entries[1].Artist, QStringLiteral("Lark"));
}

TEST_F(LibraryWithService, ItsSearchFormSearchesInTheListAndPages) {
  TDDSkin skin(QStringLiteral(VIREO_SOURCE_DIR));
  share->RegisterSkin(skin);
  ASSERT_TRUE(skin.LoadSkin(QStringLiteral(VIREO_SOURCE_DIR "/skins/Light/skin.xml")));
  share->move(60, 60);
  share->show();
  share->Navigate(QStringLiteral("http://") + host_ + QStringLiteral("/index_sh.asp"));
  ASSERT_TRUE(WaitForText(share->WebPage(), QStringLiteral("Song 05")));
  // The page's form turns into a search link in the player.
  RunScript(share->WebPage(), QStringLiteral("document.querySelector('input[name=q]').value='Lark';"
                                             "document.forms[0].requestSubmit()"));
  ASSERT_TRUE(WaitUntil([&] { return share->edt_search->text() == u"Lark"; }, 15000));
  ASSERT_TRUE(WaitUntil([&] { return !share->Searching(); }, 15000));
  ASSERT_EQ(share->dvt1->topLevelItemCount(), 30);
  EXPECT_EQ(share->dvt1->topLevelItem(0)->text(0), QStringLiteral("Song 00"));
  EXPECT_EQ(share->dvt1->topLevelItem(0)->text(1), QStringLiteral("Lark"));
  share->btn_Next->OnClick(share->btn_Next);
  ASSERT_TRUE(WaitUntil([&] { return !share->Searching(); }, 15000));
  ASSERT_EQ(share->dvt1->topLevelItemCount(), 1);
  EXPECT_EQ(share->dvt1->topLevelItem(0)->text(0), QStringLiteral("Song 30"));

  // Play the found song: its address is resolved from the service.
  share->dvt1->setCurrentItem(share->dvt1->topLevelItem(0));
  share->dvt1ColumnClick(3);
  ASSERT_TRUE(WaitUntil([&] { return !share->Resolving(); }, 15000));
  ASSERT_EQ(host.entries.size(), 1u);
  EXPECT_TRUE(host.plays[0]);
  EXPECT_TRUE(host.entries[0].FileName.startsWith(QStringLiteral("http://") + host_));
  EXPECT_EQ(host.entries[0].Caption, QStringLiteral("Song 30 - Lark"));
  share->raise();
  SaveScreenshot(share.get(), QStringLiteral("library-window-service.png"));
}

}  // namespace

namespace {

// Pages that never end: one whose script takes memory without end, one that streams markup
// without end, and an ordinary one. Each endless answer stops when the server does.
class EndlessPages {
 public:
  EndlessPages()
      : server_([this](const test::LoopbackHttpServer::Request& r,
                       test::LoopbackHttpServer::Connection& c) {
          if (r.target == "/page") ++page_;
          if (r.target == "/hog") ++hog_;
          const std::string html = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n";
          if (r.target == "/hog") {
            c.Write(test::LoopbackHttpServer::Response(
                200,
                "<html><body>hog<script>var a=[];for(;;){a.push(new Array(1e6).fill(1.5));}"
                "</script></body></html>",
                {{"Content-Type", "text/html"}}));
          } else if (r.target == "/grow") {
            c.Write(html + "Connection: close\r\n\r\n<html><body>");
            const std::string rows = [] {
              std::string s;
              for (int i = 0; i < 2000; ++i) s += "<div class=r>row of an endless page</div>";
              return s;
            }();
            while (c.Write(rows) && !c.Stopping()) {
            }
          } else {
            c.Write(test::LoopbackHttpServer::Response(
                200, "<html><body>an ordinary page</body></html>", {{"Content-Type", "text/html"}}));
          }
        }) {}
  QString Url(const char* path) const { return QString::fromStdString(server_.Url(path)); }
  int Asked(const std::string& target) const {
    return target == "/page" ? page_.load() : target == "/hog" ? hog_.load() : 0;
  }

 private:
  std::atomic<int> page_{0}, hog_{0};
  test::LoopbackHttpServer server_;
};

}  // namespace

// A renderer that dies (killed, or out of the memory its scripts may have) takes only its page:
// the window says what happened and offers the page again, and the player's process goes on.
TEST(LibraryBrowser, APageWhoseRendererDiesLeavesAHelpPageThatLoadsItAgain) {
  EndlessPages pages;
  FakeLibraryHost host;
  host.search = std::make_shared<FakeMusicSearch>(30);
  TPetrelShare share(&host);
  TDDSkin skin(QStringLiteral(VIREO_SOURCE_DIR));
  share.RegisterSkin(skin);
  ASSERT_TRUE(skin.LoadSkin(QStringLiteral(VIREO_SOURCE_DIR "/skins/Default/skin.xml")));
  share.move(40, 40);
  share.show();
  share.Navigate(pages.Url("/page"));
  ASSERT_TRUE(WaitForText(share.WebPage(), QStringLiteral("an ordinary page")));
  const qint64 pid = share.WebPage()->renderProcessPid();
  ASSERT_GT(pid, 0);
  ::kill(static_cast<pid_t>(pid), SIGKILL);
  ASSERT_TRUE(WaitUntil([&] { return share.ShowingPageGone(); }, 15000));
  ASSERT_TRUE(WaitForText(share.WebPage(), QStringLiteral("页面已停止")));
  SaveScreenshot(&share, QStringLiteral("library-page-gone.png"));
  RunScript(share.WebPage(), QStringLiteral("document.querySelector('a').click()"));
  EXPECT_TRUE(WaitForText(share.WebPage(), QStringLiteral("an ordinary page")));
  EXPECT_EQ(pages.Asked("/page"), 2);

  // A script that takes memory without end runs out of what it may have, long before the
  // machine does.
  share.Navigate(pages.Url("/hog"));
  ASSERT_TRUE(WaitUntil([&] { return pages.Asked("/hog") == 1; }, 15000));
  EXPECT_TRUE(WaitUntil([&] { return share.ShowingPageGone(); }, 60000));
  EXPECT_TRUE(WaitForText(share.WebPage(), QStringLiteral("重新载入页面")));
  EXPECT_LT(LibraryBrowser::ResidentBytes(::getpid()), qint64(1) << 30);
}

// Markup that streams without end grows the page, not its scripts: the browser ends the
// renderer once it holds more than it may.
TEST(LibraryBrowser, ARendererPastItsMemoryCapIsEnded) {
  EndlessPages pages;
  QWidget parent;
  parent.resize(400, 300);
  LibraryBrowser browser(&parent, QStringLiteral("vireo-test"), {});
  browser.SetRendererMemoryCap(qint64(400) << 20);
  std::optional<QUrl> gone;
  browser.SetOnPageGone([&](const QUrl& last) { gone = last; });
  parent.show();
  browser.Load(QUrl(pages.Url("/grow")));
  ASSERT_TRUE(WaitUntil([&] { return gone.has_value(); }, 90000));
  EXPECT_EQ(gone->path(), QStringLiteral("/grow"));
}
