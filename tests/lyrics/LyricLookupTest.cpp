#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <map>
#include <mutex>

#include "FakeLrclib.h"
#include "TestEnv.h"
#include "base/Gb18030.h"
#include "base/SimilarityPercent.h"
#include "base/UrlCodec.h"
#include "lyrics/LRC_CreateObj.h"
#include "lyrics/LyricFile.h"
#include "lyrics/LyricFolder.h"
#include "lyrics/TGetLrcTextThread.h"
#include "lyrics/TLrcListThread.h"
#include "lyrics/TLrcTextThread.h"
#include "net/HttpClient.h"
#include "net/ServiceHost.h"

using namespace vireo;
using vireo::test::FakeLrclib;
using vireo::test::Json;
using vireo::test::LoopbackHttpServer;
using vireo::test::LrclibRecord;
using vireo::test::WaitUntil;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A lyric service whose search answers come from a list the test sets per mode, and a
// service host that records the lyric reports.
class LookupTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tracks_.isValid());
    ASSERT_TRUE(QDir(tracks_.path()).mkpath(u"lrc"_qs));
    folder_ = tracks_.filePath(u"lrc"_qs);
    savedLimits_ = DefaultHttpLimits();
    SetDefaultHttpLimits({1000, 3000, 1 << 20});
    ServiceHost::SetHost(QString::fromStdString(service_.HostPort()));
  }
  void TearDown() override {
    ServiceHost::SetHost(QString());
    SetDefaultHttpLimits(savedLimits_);
    EXPECT_TRUE(TLrcTextThread::WaitForAll(10000));
  }

  // online: the lyric component is there and the service host answered; offline: neither.
  LrcLookupContext Context(bool online = true) {
    LrcLookupContext c;
    c.lyricFolder = folder_;
    c.reportToService = online;
    LrclibSettings s;
    s.baseUrl = lrclib_.BaseUrl();
    s.limits = {1000, 3000, 1 << 20};
    if (online) c.lrcDown = LRC_CreateObj(s);
    c.currentEntry = [this] { return current_; };
    return c;
  }

  // Runs one automatic lookup to its completion on this (the UI) thread.
  TLrcTextThread::Result LookUp(const TLrcTextThread::Track& track, const LrcLookupContext& c) {
    QObject receiver;
    std::optional<TLrcTextThread::Result> got;
    TLrcTextThread::Start(track, c, &receiver, [&](const TLrcTextThread::Result& r) { got = r; });
    EXPECT_TRUE(WaitUntil([&] { return got.has_value(); }, 20000));
    return got.value_or(TLrcTextThread::Result{});
  }

  size_t SearchRequests() {
    size_t n = 0;
    for (const auto& r : lrclib_.Server().Requests())
      if (r.target.rfind("/api/search", 0) == 0) ++n;
    return n;
  }

  std::vector<LoopbackHttpServer::Request> Reports() {
    WaitUntil([&] { return TLrcTextThread::Running() == 0; }, 10000);
    return service_.Requests();
  }

  std::mutex mutex_;  // guards answers_, status_
  QJsonArray answers_[2];
  int status_ = 200;
  FakeLrclib lrclib_{
      [this](const QString& path, const QUrlQuery& q) -> std::pair<int, std::string> {
        std::lock_guard lock(mutex_);
        if (status_ != 200) return {status_, "{}"};
        if (path != u"/api/search") return {404, "{}"};
        return {200, Json(answers_[q.hasQueryItem(u"q"_qs) ? 1 : 0])};
      }};
  LoopbackHttpServer service_{
      [](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(LoopbackHttpServer::Response(200, "1"));
      }};
  QTemporaryDir tracks_;
  QString folder_;
  LrcLookupContext::EntryNames current_{u"Yesterday"_qs, u"Beatles"_qs};
  HttpLimits savedLimits_;
};

}  // namespace

TEST_F(LookupTest, SideFileComesFirst) {
  const QString track = tracks_.filePath(u"song.mp3"_qs);
  WriteFile(tracks_.filePath(u"song.lrc"_qs), "[00:01.00]beside\n");
  WriteFile(folder_ + u"/yesterday beatles.lrc"_qs, "[00:01.00]folder\n");
  const auto r = LookUp({track, u"Yesterday"_qs, u"Beatles"_qs, {}}, Context(false));
  EXPECT_EQ(r.text, u"[00:01.00]beside\r\n"_qs);
  EXPECT_FALSE(r.downloaded);
  // Offline: no search, no report.
  EXPECT_EQ(lrclib_.Server().RequestCount(), 0u);
  EXPECT_TRUE(Reports().empty());

  // Four characters go, whatever they are: song.flac looks for song..lrc.
  EXPECT_EQ(LyricFolder::SideFile(u"/m/song.flac"_qs), u"/m/song..lrc"_qs);
  EXPECT_EQ(LyricFolder::SideFile(u"http://host/a.mp3"_qs), QString());
  EXPECT_EQ(LyricFolder::SideFile(QString()), QString());
}

TEST_F(LookupTest, SideFileIsFoundInAnyLetterCase) {
  // Collections made on other systems often carry "Song.LRC" beside "Song.mp3".
  const QString track = tracks_.filePath(u"Song.mp3"_qs);
  WriteFile(tracks_.filePath(u"Song.LRC"_qs), "[00:01.00]upper\n");
  WriteFile(folder_ + u"/song singer.lrc"_qs, "[00:01.00]folder\n");
  EXPECT_EQ(LyricFolder::FindSideFile(track), tracks_.filePath(u"Song.LRC"_qs));
  EXPECT_EQ(LookUp({track, u"song"_qs, u"singer"_qs, {}}, Context(false)).text,
            u"[00:01.00]upper\r\n"_qs);
  // The name as built wins over one that differs in case only.
  WriteFile(tracks_.filePath(u"Song.lrc"_qs), "[00:01.00]exact\n");
  EXPECT_EQ(LyricFolder::FindSideFile(track), tracks_.filePath(u"Song.lrc"_qs));
  EXPECT_FALSE(LyricFolder::FindSideFile(tracks_.filePath(u"none.mp3"_qs)).has_value());
  EXPECT_FALSE(LyricFolder::FindSideFile(tracks_.filePath(u"gone/Song.mp3"_qs)).has_value());
  EXPECT_FALSE(LyricFolder::FindSideFile(u"http://host/Song.mp3"_qs).has_value());
}

TEST_F(LookupTest, FolderFilesMatchByNameOnly) {
  WriteFile(folder_ + u"/Yesterday Beatles.lrc"_qs, "[00:01.00]by name\r\n");
  WriteFile(folder_ + u"/something else.lrc"_qs, "[00:01.00]other\r\n");
  WriteFile(folder_ + u"/yesterday beatles.txt"_qs, "not a lyric");
  auto r = LookUp({tracks_.filePath(u"x.mp3"_qs), u"Yesterday"_qs, u"Beatles"_qs, {}}, Context());
  EXPECT_EQ(r.text, u"[00:01.00]by name\r\n"_qs);
  EXPECT_FALSE(r.downloaded);
  EXPECT_EQ(SearchRequests(), 0u);
  // Found on disk but online: still reported.
  const auto reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].target, "/mpost/lrcpost.asp");
  EXPECT_EQ(QByteArray::fromStdString(reports[0].body),
            TLrcTextThread::ReportBody(u"Yesterday"_qs, u"Beatles"_qs, r.text));
}

TEST_F(LookupTest, CandidateRule) {
  // key "abcdefghijklmnopqrstuvwxyz0 s": names one byte off score 96; the last such in name
  // order wins, unless a full match comes before it.
  const QString title = u"abcdefghijklmnopqrstuvwxyz0"_qs, singer = u"s"_qs;
  const QByteArray key = LyricFolder::LowerAscii(title + u' ' + singer);
  ASSERT_EQ(SimilarityPercent("abcdefghijklmnopqrstuvwxyz0 x", key), 96);
  WriteFile(folder_ + u"/abcdefghijklmnopqrstuvwxyz0 x.lrc"_qs, "");
  WriteFile(folder_ + u"/abcdefghijklmnopqrstuvwxyz0 y.lrc"_qs, "");
  EXPECT_EQ(LyricFolder::FindCandidate(folder_, title, singer),
            folder_ + u"/abcdefghijklmnopqrstuvwxyz0 y.lrc"_qs);
  WriteFile(folder_ + u"/abcdefghijklmnopqrstuvwxyz0 S.LRC"_qs, "");
  EXPECT_EQ(LyricFolder::FindCandidate(folder_, title, singer),
            folder_ + u"/abcdefghijklmnopqrstuvwxyz0 S.LRC"_qs);
  EXPECT_FALSE(LyricFolder::FindCandidate(folder_, u"nothing"_qs, u"alike"_qs).has_value());
  EXPECT_FALSE(LyricFolder::FindCandidate(folder_ + u"/gone"_qs, title, singer).has_value());
}

TEST_F(LookupTest, OnlineLyricIsSavedUnderTheCurrentEntryAndFoundAgain) {
  {
    std::lock_guard lock(mutex_);
    // Mode 0 finds nothing, so mode 1 is asked.
    answers_[1] =
        QJsonArray{LrclibRecord(1, u"Other"_qs, u"Band"_qs, {}, u"[00:01.00]wrong"_qs, {}),
                   LrclibRecord(2, u"晴天"_qs, u"周杰伦"_qs, {},
                                u"[00:01.00]故事的小黄花\n[00:02.00]b"_qs, {})};
  }
  current_ = {u"晴天 / live"_qs, u"周杰伦?"_qs};
  const auto r = LookUp({tracks_.filePath(u"q.mp3"_qs), u"晴天"_qs, u"周杰伦"_qs, {}}, Context());
  EXPECT_TRUE(r.downloaded);
  EXPECT_EQ(r.text, u"[00:01.00]故事的小黄花\r\n[00:02.00]b\r\n"_qs);
  EXPECT_EQ(SearchRequests(), 2u);

  // Saved as UTF-8 under the entry that is current now, without the forbidden characters.
  const QString saved = folder_ + u"/晴天  live 周杰伦.lrc"_qs;
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(saved); }, 10000));
  EXPECT_EQ(ReadFile(saved), r.text.toUtf8());

  // The report carries the GB18030 bytes, URL-encoded.
  const auto reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].method, "POST");
  EXPECT_EQ(QByteArray::fromStdString(reports[0].body),
            "ltitle=" + URLEncode(ToGb18030(u"晴天"_qs)) + "&lsinger=" +
                URLEncode(ToGb18030(u"周杰伦"_qs)) + "&llrc=" + URLEncode(ToGb18030(r.text)));
}

TEST_F(LookupTest, NothingOnlineSavesAnEmptyFileThatIsFoundNextTime) {
  const TLrcTextThread::Track track{
      tracks_.filePath(u"y.mp3"_qs), u"Yesterday"_qs, u"Beatles"_qs, {}};
  auto r = LookUp(track, Context());
  EXPECT_TRUE(r.downloaded);
  EXPECT_EQ(r.text, QString());
  EXPECT_EQ(SearchRequests(), 2u);
  const QString saved = folder_ + u"/Yesterday Beatles.lrc"_qs;
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(saved); }, 10000));
  EXPECT_EQ(QFile(saved).size(), 0);
  auto reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].body.find("llrc=petrel%5F12345"), std::string::npos);

  // The next play of the track finds the empty file (score 100) and asks no one.
  r = LookUp(track, Context());
  EXPECT_FALSE(r.downloaded);
  EXPECT_EQ(r.text, QString());
  EXPECT_EQ(SearchRequests(), 2u);
}

TEST_F(LookupTest, TheLyricServiceIsAskedWhenTheServiceHostIsSilentButNothingIsReported) {
  // The lyric service is another host than the player's service: its silence must not keep
  // lyrics offline, while the report goes to the service host only when it answered.
  auto c = Context();
  c.reportToService = false;
  const auto r = LookUp({tracks_.filePath(u"w.mp3"_qs), u"Yesterday"_qs, u"Beatles"_qs, {}}, c);
  EXPECT_TRUE(r.downloaded);
  EXPECT_EQ(SearchRequests(), 2u);
  ASSERT_TRUE(WaitUntil(
      [&] { return QFile::exists(folder_ + u"/Yesterday Beatles.lrc"_qs); }, 10000));
  EXPECT_TRUE(Reports().empty());
}

TEST_F(LookupTest, AFailingServiceSavesNothing) {
  {
    std::lock_guard lock(mutex_);
    status_ = 503;
  }
  const auto r = LookUp({tracks_.filePath(u"z.mp3"_qs), u"Title"_qs, u"Singer"_qs, {}}, Context());
  EXPECT_FALSE(r.downloaded);
  EXPECT_EQ(r.text, QString());
  Reports();
  EXPECT_TRUE(QDir(folder_).entryList(QDir::Files).isEmpty());

  // Without a component (the factory gave none) there is no online path either.
  auto c = Context();
  c.lrcDown = nullptr;
  EXPECT_FALSE(LookUp({QString(), u"Title"_qs, u"Singer"_qs, {}}, c).downloaded);
}

TEST(LyricLookup, ScoreTableKeepsOnlyResultsThatBeatEveryEarlierOne) {
  // Against the key "abc" (title "ab" + singer "c"): the exact result scores 100, the close one
  // ("abx") 66. The album picks the order of the answer.
  FakeLrclib service([](const QString& path, const QUrlQuery& q) -> std::pair<int, std::string> {
    if (path != u"/api/search") return {404, "{}"};
    const bool exactFirst = q.queryItemValue(u"album_name"_qs) == u"exact-first"_qs;
    const QJsonObject exact = LrclibRecord(1, u"AB"_qs, u"C"_qs, {}, u" \n "_qs, {});
    const QJsonObject close = LrclibRecord(2, u"ab"_qs, u"x"_qs, {}, u"close one"_qs, {});
    return {200, Json(exactFirst ? QJsonArray{exact, close} : QJsonArray{close, exact})};
  });
  LrclibSettings s;
  s.baseUrl = service.BaseUrl();
  auto down = LRC_CreateObj(s);
  ASSERT_EQ(SimilarityPercent("abx", "abc"), 66);
  // The blank best result comes first: the close one never entered the table.
  EXPECT_EQ(TLrcTextThread::SearchOnline(*down, u"ab"_qs, u"c"_qs, u"exact-first"_qs), QString());
  // Close first: it is kept at 66, the exact one at 100 is tried first and is blank.
  EXPECT_EQ(TLrcTextThread::SearchOnline(*down, u"ab"_qs, u"c"_qs, u"close-first"_qs),
            u"close one\r\n"_qs);
}

namespace {

// A component answering from lists the test sets, whose downloads may fail.
class ScriptedLrcDown : public ILrcDown {
 public:
  QList<LrcSearchItem> results;
  std::map<qint64, std::optional<QString>> lyrics;  // missing: the download fails

  void Reset() override {}
  void Search(const QString&, const QString&, const QString&, int) override {}
  int Count() const override { return 0; }
  std::optional<LrcSearchItem> GetItem(int) const override { return std::nullopt; }
  std::optional<QString> Download(qint64 id) override {
    const auto it = lyrics.find(id);
    return it == lyrics.end() ? std::nullopt : it->second;
  }
  std::optional<QList<LrcSearchItem>> Find(const QString&, const QString&, const QString&,
                                           int) override {
    return results;
  }
};

}  // namespace

TEST(LyricLookup, AFailedDownloadIsNoAnswerOfTheService) {
  ScriptedLrcDown down;
  // Both enter the score table: "abx" at 66, then "abc" at 100.
  down.results = {{u"ab"_qs, u"x"_qs, {}, 1}, {u"ab"_qs, u"c"_qs, {}, 2}};
  down.lyrics[1] = u" "_qs;  // blank
  // The best one cannot be fetched: nothing is known, so nothing may be saved as "no lyric".
  EXPECT_EQ(TLrcTextThread::SearchOnline(down, u"ab"_qs, u"c"_qs, {}), std::nullopt);
  // Once it answers, even blank, the service has had its say.
  down.lyrics[2] = QString();
  EXPECT_EQ(TLrcTextThread::SearchOnline(down, u"ab"_qs, u"c"_qs, {}), QString());
  // A result below the lyric found is never asked, so its failure changes nothing.
  down.lyrics[2] = u"[00:01.00]x"_qs;
  down.lyrics.erase(1);
  EXPECT_EQ(TLrcTextThread::SearchOnline(down, u"ab"_qs, u"c"_qs, {}), u"[00:01.00]x\r\n"_qs);
}

TEST(LyricLookup, ReportBodyAndSaveNames) {
  // 20 bytes or fewer (as GB18030) are reported as the placeholder.
  EXPECT_EQ(TLrcTextThread::ReportBody(u"a b"_qs, u"周"_qs, u"12345678901234567890"_qs),
            "ltitle=a%20b&lsinger=%D6%DC&llrc=petrel%5F12345");
  EXPECT_EQ(TLrcTextThread::ReportBody(u"t"_qs, u"s"_qs, u"一二三四五六七八九十x"_qs),
            "ltitle=t&lsinger=s&llrc=" + URLEncode(ToGb18030(u"一二三四五六七八九十x"_qs)));

  EXPECT_EQ(LyricFolder::SaveName(u"a:b*c"_qs, u"d|e\"f"_qs, 100), u"abc def.lrc"_qs);
  // The automatic save keeps 100 bytes, never half a character; the dialog keeps all.
  const QString title = QString(60, QChar(u'晴'));  // 120 bytes in GB18030
  EXPECT_EQ(LyricFolder::SaveName(title, u"x"_qs, LyricFolder::kAutoNameBytes),
            QString(50, QChar(u'晴')) + u".lrc"_qs);
  EXPECT_EQ(LyricFolder::SaveName(u"x"_qs + title, u"y"_qs, 100),
            u"x"_qs + QString(49, QChar(u'晴')) + u".lrc"_qs);
  EXPECT_EQ(LyricFolder::SaveName(title, u"x"_qs, -1), title + u" x.lrc"_qs);
}

namespace {

// A service with five results for any search and a lyric per id.
std::pair<int, std::string> FiveResults(const QString& path, const QUrlQuery& q) {
  if (path.startsWith(u"/api/get/"))
    return {200, Json(LrclibRecord(path.mid(9).toLongLong(), u"t"_qs, u"s"_qs, {},
                                   u"lyric "_qs + path.mid(9), {}))};
  QJsonArray a;
  const QString tag = q.hasQueryItem(u"q"_qs) ? u"q"_qs : u"f"_qs;
  for (int i = 0; i < 5; ++i)
    a.append(LrclibRecord(100 + i, tag + QString::number(i), u"singer"_qs, u"album"_qs,
                          u"lyric "_qs + QString::number(100 + i), {}));
  return {200, Json(a)};
}

}  // namespace

TEST(LyricLookup, ListThreadAddsNumberedRowsOneByOne) {
  FakeLrclib service(FiveResults);
  LrclibSettings s;
  s.baseUrl = service.BaseUrl();
  auto down = LRC_CreateObj(s);
  QObject dialog;
  std::vector<QStringList> rows;
  bool done = false;
  auto thread = TLrcListThread::Start(
      u"title"_qs, u"singer"_qs, QString(), down, &dialog,
      [&](int i, const LrcSearchItem& item) { rows.push_back(TLrcListThread::RowTexts(i, item)); },
      [&] { done = true; });
  ASSERT_TRUE(WaitUntil([&] { return done; }, 20000));
  // Both searches ran; the rows are those of the second (mode 1).
  EXPECT_EQ(service.Server().RequestCount(), 2u);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (QStringList{u"1"_qs, u"q0 "_qs, u"singer "_qs, u"album "_qs}));
  EXPECT_EQ(rows[4][0], u"5"_qs);

  // The dialog downloads by row index from the component's results.
  std::optional<QString> text;
  TGetLrcTextThread::Start(3, down, &dialog, [&](const QString& t) { text = t; });
  ASSERT_TRUE(WaitUntil([&] { return text.has_value(); }, 20000));
  EXPECT_EQ(*text, u"lyric 103"_qs);
  // Or by the row's own item, which does not depend on the component's list.
  down->Reset();
  text.reset();
  TGetLrcTextThread::Start(LrcSearchItem{u"x"_qs, u"y"_qs, {}, 555}, down, &dialog,
                           [&](const QString& t) { text = t; });
  ASSERT_TRUE(WaitUntil([&] { return text.has_value(); }, 20000));
  EXPECT_EQ(*text, u"lyric 555"_qs);
  // A row that no longer exists gives an empty text.
  text.reset();
  TGetLrcTextThread::Start(3, down, &dialog, [&](const QString& t) { text = t; });
  ASSERT_TRUE(WaitUntil([&] { return text.has_value(); }, 20000));
  EXPECT_EQ(*text, QString());
}

TEST(LyricLookup, ListThreadStopsAfterTheNextRow) {
  FakeLrclib service(FiveResults);
  LrclibSettings s;
  s.baseUrl = service.BaseUrl();
  auto down = LRC_CreateObj(s);
  QObject dialog;
  int rows = 0;
  bool done = false;
  std::shared_ptr<TLrcListThread> thread;
  thread = TLrcListThread::Start(
      u"title"_qs, u"singer"_qs, QString(), down, &dialog,
      [&](int, const LrcSearchItem&) {
        ++rows;
        thread->Terminate();  // pressing "stop" while the first row is added
      },
      [&] { done = true; });
  ASSERT_TRUE(WaitUntil([&] { return done; }, 20000));
  EXPECT_EQ(rows, 1);
}

TEST(LyricLookup, NothingReachesAReceiverThatIsGone) {
  QTemporaryDir dir;
  FakeLrclib service(FiveResults);
  LrclibSettings s;
  s.baseUrl = service.BaseUrl();
  LrcLookupContext c;
  c.lyricFolder = dir.path();
  c.reportToService = true;
  c.lrcDown = LRC_CreateObj(s);
  bool asked = false;
  c.currentEntry = [&] {
    asked = true;
    return LrcLookupContext::EntryNames{u"a"_qs, u"b"_qs};
  };
  bool called = false;
  {
    auto* window = new QObject;
    TLrcTextThread::Start({QString(), u"f0"_qs, u"singer"_qs, {}}, c, window,
                          [&](const TLrcTextThread::Result&) { called = true; });
    auto* dialog = new QObject;
    TLrcListThread::Start(
        u"t"_qs, u"s"_qs, QString(), c.lrcDown, dialog,
        [&](int, const LrcSearchItem&) { called = true; }, [&] { called = true; });
    TGetLrcTextThread::Start(0, c.lrcDown, dialog, [&](const QString&) { called = true; });
    delete window;
    delete dialog;
  }
  ASSERT_TRUE(TLrcTextThread::WaitForAll(20000));
  vireo::test::Pump(100);
  EXPECT_FALSE(called);
  EXPECT_FALSE(asked);
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(LyricLookup, AWordTimedResultAsCloseAsTheBestIsPreferred) {
  ScriptedLrcDown down;
  LrcSearchItem plain{u"Song"_qs, u"Singer"_qs, {}, 1};
  LrcSearchItem timed{u"Song"_qs, u"Singer"_qs, {}, 2, true, false};
  LrcSearchItem farTimed{u"Other"_qs, u"Name"_qs, {}, 3, true, false};
  down.lyrics[1] = u"[00:01.00]plain"_qs;
  down.lyrics[2] = u"[00:01.00]<00:01.00>timed"_qs;
  down.lyrics[3] = u"[00:01.00]<00:01.00>far"_qs;
  down.results = {plain, farTimed, timed};
  EXPECT_EQ(TLrcTextThread::SearchOnline(down, u"Song"_qs, u"Singer"_qs, {}),
            u"[00:01.00]<00:01.00>timed\r\n"_qs);
  // A word-timed result that is a worse match is not taken over the best one.
  down.results = {plain, farTimed};
  EXPECT_EQ(TLrcTextThread::SearchOnline(down, u"Song"_qs, u"Singer"_qs, {}),
            u"[00:01.00]plain\r\n"_qs);
  // Without word timing anywhere the order is the score table's, as ever.
  down.results = {plain};
  EXPECT_EQ(TLrcTextThread::SearchOnline(down, u"Song"_qs, u"Singer"_qs, {}),
            u"[00:01.00]plain\r\n"_qs);
}
