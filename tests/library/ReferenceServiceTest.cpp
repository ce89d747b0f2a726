#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <memory>

#include "../audio/MediaFactory.h"
#include "../service/ServiceProcess.h"
#include "TestEnv.h"
#include "base/UrlCodec.h"
#include "library/LibraryLink.h"
#include "library/MUSIC_SEARCH_CreateObj.h"
#include "library/RemoteList.h"
#include "net/HttpClient.h"
#include "net/ServiceHost.h"
#include "net/TCheckUPDate.h"
#include "net/TFileDownLoadThread.h"
#include "net/TPostThr.h"
#include "net/UpdateInstaller.h"

using namespace vireo;
using vireo::test::MediaFactory;
using vireo::test::RawRequest;
using vireo::test::StatusOf;

namespace {

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

HttpResult Fetch(const QByteArray& url, QList<QByteArray> headers = {}) {
  HttpExchange ex;
  ex.url = url;
  ex.headers = std::move(headers);
  ex.limits = {2000, 10000, 64 << 20};
  return HttpFetch(ex);
}

// A link read by the player's own link command.
struct Link {
  QString file, title, artist, id, command;
};
Link DecodeLink(const QString& text) {
  EXPECT_TRUE(LibraryLink::IsLibraryLink(text)) << text.toStdString();
  const LibraryLink link = LibraryLink::Parse(text);
  const TDDPlaylistItem e = link.Entry();
  return {e.FileName, e.Title, e.Artist, link.id, link.command};
}

// Tracks made once for the whole program, a release with a signing key, and a service started
// for each test.
class ReferenceService : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new QTemporaryDir;
    const QString music = root_->filePath(QStringLiteral("music"));
    const QString a =
        MediaFactory::Tone(QStringLiteral("svc_a"), QStringLiteral("mp3"), 440, 1.0, 0.5,
                           {QStringLiteral("-metadata"), QStringLiteral("title=晴天"),
                            QStringLiteral("-metadata"), QStringLiteral("artist=周杰伦"),
                            QStringLiteral("-metadata"), QStringLiteral("album=叶惠美")});
    const QString b = MediaFactory::Tone(QStringLiteral("svc_b"), QStringLiteral("ogg"), 660, 1.0);
    const QString c = MediaFactory::Tone(QStringLiteral("svc_c"), QStringLiteral("flac"), 550, 0.5);
    QDir().mkpath(music + QStringLiteral("/Albums/Two Words"));
    QFile::copy(a, music + QStringLiteral("/Albums/Two Words/01 a.mp3"));
    QFile::copy(b, music + QStringLiteral("/Band Name - Second Song.ogg"));
    QFile::copy(c, music + QStringLiteral("/third.flac"));
    WriteFile(music + QStringLiteral("/notes.txt"), "not a track");
    // Things next to the music folder that no request may reach.
    WriteFile(root_->filePath(QStringLiteral("secret.mp3")), "outside the music folder");
    QFile::link(root_->filePath(QStringLiteral("secret.mp3")),
                music + QStringLiteral("/linked.mp3"));
    // A release folder with two installers; the newer carries the higher version.
    WriteFile(root_->filePath(QStringLiteral("release/vireo-setup-0.0.9.run")), "old");
    WriteFile(root_->filePath(QStringLiteral("release/vireo-setup-9.1.2.run")),
              QByteArray("#!/bin/sh\necho new\n").repeated(5000));
    QProcess make;
    make.start(QStringLiteral(VIREO_SERVICE_PATH),
               {QStringLiteral("--make-key"), root_->filePath(QStringLiteral("key"))});
    ASSERT_TRUE(make.waitForFinished(10000));
    ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().constData();
  }
  static void TearDownTestSuite() {
    delete root_;
    root_ = nullptr;
  }

  void SetUp() override { ASSERT_NO_FATAL_FAILURE(Start({})); }
  void TearDown() override { Stop(); }

  void Start(QStringList extra) {
    QByteArray why;
    ASSERT_TRUE(service_.Start(QStringList{QStringLiteral("--music"), Path("music"),
                                           QStringLiteral("--data"), Path("data")} +
                                   extra,
                               &why))
        << why.constData();
    port_ = service_.Port();
    base_ = service_.Base();
  }
  void Stop() {
    EXPECT_TRUE(service_.Stop());
    log_ = service_.Log();
  }
  static QString Path(const char* name) { return root_->filePath(QString::fromUtf8(name)); }
  QByteArray Get(const char* path) { return Fetch(base_ + path).body; }
  QByteArray U(const char* path) const { return base_ + path; }

  static QTemporaryDir* root_;
  test::ServiceProcess service_;
  int port_ = 0;
  QByteArray base_;
  QByteArray log_;
};
QTemporaryDir* ReferenceService::root_ = nullptr;

}  // namespace

TEST_F(ReferenceService, StartPageLinksEveryTrackForPlayAndAddAndTheLinksReachTheFiles) {
  const HttpResult page = Fetch(base_ + "/index_sh.asp");
  ASSERT_EQ(page.status, 200);
  const QString html = QString::fromUtf8(page.body);
  EXPECT_TRUE(html.contains(QStringLiteral("<form")));
  QList<Link> plays, adds;
  auto it = QRegularExpression(QStringLiteral("href=\"(vireo://[^\"]+)\"")).globalMatch(html);
  while (it.hasNext()) {
    const Link l = DecodeLink(it.next().captured(1));
    (l.command == u"PL" ? plays : adds).append(l);
  }
  // Three tracks: the text file and the link that leads out are not listed.
  ASSERT_EQ(plays.size(), 3);
  ASSERT_EQ(adds.size(), 3);
  const auto tagged =
      std::find_if(plays.begin(), plays.end(), [](const Link& l) { return l.title == u"晴天"; });
  ASSERT_NE(tagged, plays.end());
  EXPECT_EQ(tagged->artist, QStringLiteral("周杰伦"));
  const auto named = std::find_if(plays.begin(), plays.end(),
                                  [](const Link& l) { return l.title == u"Second Song"; });
  ASSERT_NE(named, plays.end());
  EXPECT_EQ(named->artist, QStringLiteral("Band Name"));  // "Artist - Title" file name
  const HttpResult file = Fetch(tagged->file.toUtf8());
  EXPECT_EQ(file.status, 200);
  EXPECT_EQ(file.body, ReadFile(Path("music/Albums/Two Words/01 a.mp3")));
  // The link's id counts hits.
  EXPECT_EQ(Get(QByteArray("/mpost/hot.asp?id=" + tagged->id.toUtf8()).constData()),
            QByteArray("1"));
  EXPECT_EQ(Get(QByteArray("/mpost/hot.asp?id=" + tagged->id.toUtf8()).constData()),
            QByteArray("2"));
  EXPECT_EQ(Fetch(base_ + "/mpost/hot.asp?id=nosuchtrack").status, 404);
  // A search on the page narrows the list and offers the search link.
  const QString found = QString::fromUtf8(Get("/index_sh.asp?q=second"));
  EXPECT_EQ(found.count(QStringLiteral("PL\"")), 1);
  const auto sh = QRegularExpression(QStringLiteral("href=\"(vireo://[^\"]+SH)\"")).match(found);
  ASSERT_TRUE(sh.hasMatch());
  EXPECT_EQ(LibraryLink::SearchText(sh.captured(1)), QStringLiteral("second"));
  // A keyword in Chinese goes through the same way.
  const QString zh = QString::fromUtf8(Get("/index_sh.asp?q=%E6%99%B4%E5%A4%A9"));
  const auto zhLink = QRegularExpression(QStringLiteral("href=\"(vireo://[^\"]+SH)\"")).match(zh);
  ASSERT_TRUE(zhLink.hasMatch());
  EXPECT_EQ(LibraryLink::SearchText(zhLink.captured(1)), QStringLiteral("晴天"));
  EXPECT_EQ(zh.count(QStringLiteral("PL\"")), 1);
}

TEST_F(ReferenceService, RandomListGivesRlistLinksToTheTracks) {
  QList<Link> links;
  for (const QString& add : RemoteList::Links(Get("/mpost/rndmusic.asp")))
    links.append(DecodeLink(add));
  ASSERT_EQ(links.size(), 3);
  for (const Link& l : links) {
    EXPECT_EQ(l.command, QStringLiteral("AL"));
    EXPECT_FALSE(l.id.isEmpty());
    EXPECT_EQ(Fetch(l.file.toUtf8()).status, 200) << l.file.toStdString();
  }
}

TEST_F(ReferenceService, ServesTrackBytesWithLengthsAndRanges) {
  const QByteArray bytes = ReadFile(Path("music/third.flac"));
  const HttpResult whole = Fetch(base_ + "/music/third.flac");
  EXPECT_EQ(whole.status, 200);
  EXPECT_EQ(whole.contentLength, bytes.size());
  EXPECT_EQ(whole.body, bytes);
  const HttpResult part = Fetch(base_ + "/music/third.flac", {"Range: bytes=100-199"});
  EXPECT_EQ(part.status, 206);
  EXPECT_EQ(part.body, bytes.mid(100, 100));
  const HttpResult tail =
      Fetch(base_ + "/music/Albums/Two%20Words/01%20a.mp3", {"Range: bytes=-10"});
  EXPECT_EQ(tail.status, 206);
  EXPECT_EQ(tail.body, ReadFile(Path("music/Albums/Two Words/01 a.mp3")).right(10));
}

TEST_F(ReferenceService, NoRequestReachesOutsideItsFolders) {
  const auto status = [&](const char* target) {
    return StatusOf(
        RawRequest(port_, QByteArray("GET ") + target + " HTTP/1.0\r\nConnection: close\r\n\r\n"));
  };
  EXPECT_EQ(status("/music/../secret.mp3"), 400);
  EXPECT_EQ(status("/music/Albums/../../secret.mp3"), 400);
  EXPECT_EQ(status("/music/%2e%2e/secret.mp3"), 400);
  EXPECT_EQ(status("/music/..%2Fsecret.mp3"), 400);
  EXPECT_EQ(status("/music//etc/passwd"), 400);
  EXPECT_EQ(status("/music/%2Fetc%2Fpasswd"), 400);
  EXPECT_EQ(status("/music/a%00.mp3"), 400);
  EXPECT_EQ(status("/music/linked.mp3"), 404);  // a link inside that leads out
  EXPECT_EQ(status("/music/notes.txt"), 404);   // not a track
  EXPECT_EQ(status("/music/missing.mp3"), 404);
  EXPECT_EQ(status("/soft/../key"), 400);
  EXPECT_EQ(status("/soft/vireo-setup-9.1.2.run"), 404);  // no release folder given
  EXPECT_EQ(status("/nothing/here"), 404);
  const QByteArray answer = RawRequest(port_, "GET /music/../secret.mp3 HTTP/1.0\r\n\r\n");
  EXPECT_FALSE(answer.contains("outside the music folder"));
  EXPECT_TRUE(answer.contains("bad file name"));  // a clear reason
  EXPECT_EQ(StatusOf(RawRequest(port_, "NONSENSE\r\n\r\n")), 400);
}

TEST_F(ReferenceService, PlayReportsAndLyricsAreTakenInThePlayersForm) {
  const QByteArray report = "t=" + URLEncodeText(QStringLiteral("晴天")) +
                            "&s=" + URLEncodeText(QStringLiteral("周杰伦")) +
                            "&a=&b=128&u=" + URLEncode("http://127.0.0.1/music/x.mp3");
  EXPECT_EQ(TPostThr::ResultCode(HttpPost(U("/mpost/mp3down.asp"), report)), 1);

  const QString lyric = QStringLiteral("[00:01.00]故事的小黄花\r\n[00:03.50]从出生那年就飘着\r\n");
  const QByteArray upload = "ltitle=" + URLEncodeText(QStringLiteral("晴天")) +
                            "&lsinger=" + URLEncodeText(QStringLiteral("周杰伦")) +
                            "&llrc=" + URLEncodeText(lyric);
  EXPECT_EQ(TPostThr::ResultCode(HttpPost(U("/mpost/lrcpost.asp"), upload)), 1);
  EXPECT_EQ(QString::fromUtf8(ReadFile(Path("data/lyrics/晴天 - 周杰伦.lrc"))), lyric);
  // The placeholder for a missing lyric, and names that try to climb out, store nothing outside.
  const QByteArray none =
      "ltitle=x&lsinger=y&llrc=" + URLEncodeText(QStringLiteral("petrel_12345"));
  EXPECT_EQ(TPostThr::ResultCode(HttpPost(U("/mpost/lrcpost.asp"), none)), 1);
  EXPECT_FALSE(QFile::exists(Path("data/lyrics/x - y.lrc")));
  const QByteArray climb = "ltitle=" + URLEncode("../../escape") +
                           "&lsinger=&llrc=" + URLEncode("[00:01.00]some lyric text here");
  HttpPost(U("/mpost/lrcpost.asp"), climb);
  EXPECT_FALSE(QFile::exists(Path("escape.lrc")));
  EXPECT_FALSE(QFile::exists(Path("data/escape.lrc")));
  EXPECT_EQ(Fetch(base_ + "/mpost/lrcpost.asp").status, 404);  // GET is not a route
  EXPECT_EQ(TPostThr::ResultCode(HttpPost(U("/mpost/lrcpost.asp"), "llrc=x")), 255);
}

TEST_F(ReferenceService, TheSearchComponentFindsAndResolvesThroughTheService) {
  MusicSearchSettings settings;
  settings.serviceHost = QStringLiteral("127.0.0.1:%1").arg(port_);
  const auto search = MUSIC_SEARCH_CreateObj(settings);
  ASSERT_TRUE(search);
  search->ClearResults();
  search->Search(QStringLiteral("晴天"), 0);
  ASSERT_EQ(search->GetCount(), 1);
  const TMusicSearchItem* item = search->GetItem(0);
  EXPECT_EQ(item->Title, QStringLiteral("晴天"));
  EXPECT_EQ(item->Singer, QStringLiteral("周杰伦"));
  EXPECT_EQ(item->Album, QStringLiteral("叶惠美"));
  EXPECT_FALSE(item->SizeText.isEmpty());
  EXPECT_GT(item->Speed, 0);
  const QString url = search->GetUrl(item->Key, item->Extra);
  EXPECT_EQ(Fetch(url.toUtf8()).body, ReadFile(Path("music/Albums/Two Words/01 a.mp3")));
  // Words in any order and case; the page beyond the results is empty.
  search->Search(QStringLiteral("song BAND"), 0);
  EXPECT_EQ(search->GetCount(), 1);
  search->Search(QStringLiteral("song"), 30);
  EXPECT_EQ(search->GetCount(), 0);
  EXPECT_TRUE(search->GetUrl(QStringLiteral("../third.flac"), 0).isEmpty());
}

TEST_F(ReferenceService, OffersTheNewestReleaseSignedAndThePlayerInstallsIt) {
  // Without a release folder the service is reachable and offers nothing.
  ServiceHost::SetHost(QStringLiteral("127.0.0.1:%1").arg(port_));
  QObject receiver;
  std::optional<UpdateCheckResult> result;
  TCheckUPDate::Create(&receiver, [&](const UpdateCheckResult& r) { result = r; });
  ASSERT_TRUE(test::WaitUntil([&] { return result.has_value(); }, 10000));
  EXPECT_TRUE(result->Online);
  EXPECT_FALSE(result->HasUpdate);

  ASSERT_NO_FATAL_FAILURE(Start(
      {QStringLiteral("--release"), Path("release"), QStringLiteral("--sign-key"), Path("key")}));
  ServiceHost::SetHost(QStringLiteral("127.0.0.1:%1").arg(port_));
  result.reset();
  TCheckUPDate::Create(&receiver, [&](const UpdateCheckResult& r) { result = r; });
  ASSERT_TRUE(test::WaitUntil([&] { return result.has_value(); }, 10000));
  ServiceHost::SetHost(QString());
  ASSERT_TRUE(result->Online);
  EXPECT_TRUE(result->HasUpdate);  // 9.1.2 (9120) against this build's 0.1.0 (100)
  EXPECT_TRUE(result->FileUrl.endsWith(QStringLiteral("/soft/vireo-setup-9.1.2.run")));
  const QByteArray pub = QByteArray::fromBase64(ReadFile(Path("key.pub")).trimmed());
  const UpdatePlan plan = TCheckUPDate::Plan(*result, base_, pub);
  ASSERT_TRUE(plan.StartUpdate);  // the release statement verifies
  EXPECT_EQ(plan.Version, 9120u);

  QTemporaryDir data;
  const QString target = UpdateInstaller::TargetPath(data.path() + u'/');
  std::atomic<bool> done{false}, failed{false};
  TFileDownLoadThread download(
      plan.UpdateFileUrl, false, [&](TFileDownLoadThread*, int) { failed = done = true; },
      [&](TFileDownLoadThread*) { done = true; }, [](TFileDownLoadThread*, qint32, qint32) {},
      target);
  ASSERT_TRUE(test::WaitUntil([&] { return done.load(); }, 10000));
  download.wait();
  ASSERT_FALSE(failed);
  EXPECT_TRUE(UpdateInstaller::Accept(target, plan.UpdateFileSig, pub));
  EXPECT_EQ(ReadFile(target), ReadFile(Path("release/vireo-setup-9.1.2.run")));

  // Served without the key, the same release carries no signature and starts no update.
  ASSERT_NO_FATAL_FAILURE(Start({QStringLiteral("--release"), Path("release")}));
  const auto unsignedCheck =
      TCheckUPDate::Evaluate(Get("/soft/update.xml"), QStringLiteral("0.1.0"));
  EXPECT_TRUE(unsignedCheck.HasUpdate);
  EXPECT_TRUE(unsignedCheck.FileSig.isEmpty());
  EXPECT_TRUE(unsignedCheck.ReleaseSig.isEmpty());
  EXPECT_FALSE(TCheckUPDate::Plan(unsignedCheck, base_, pub).StartUpdate);
}

TEST_F(ReferenceService, LogsOneLinePerRequestAndRefusesBadStarts) {
  Get("/index_sh.asp");
  Get("/mpost/rndmusic.asp");
  Get("/no/such/page");
  Stop();
  const QList<QByteArray> lines = log_.trimmed().split('\n');
  ASSERT_GE(lines.size(), 3);
  EXPECT_TRUE(log_.contains(" GET /index_sh.asp 200 "));
  EXPECT_TRUE(log_.contains(" GET /mpost/rndmusic.asp 200 "));
  EXPECT_TRUE(log_.contains(" GET /no/such/page 404 "));

  for (const QStringList& args :
       {QStringList{}, QStringList{QStringLiteral("--music"), Path("nowhere")},
        QStringList{QStringLiteral("--music"), Path("music"), QStringLiteral("--port"),
                    QStringLiteral("70000")},
        QStringList{QStringLiteral("--bogus"), QStringLiteral("1")}}) {
    QProcess p;
    p.start(QStringLiteral(VIREO_SERVICE_PATH), args);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 2) << args.join(u' ').toStdString();
    EXPECT_TRUE(p.readAllStandardError().contains("usage:"));
  }
  QProcess again;  // an existing key is never overwritten
  again.start(QStringLiteral(VIREO_SERVICE_PATH), {QStringLiteral("--make-key"), Path("key")});
  ASSERT_TRUE(again.waitForFinished(10000));
  EXPECT_EQ(again.exitCode(), 1);
}
