#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "FakeLrclib.h"
#include "lyrics/LRC_CreateObj.h"
#include "lyrics/TLrclibDown.h"

using namespace vireo;
using vireo::test::FakeLrclib;
using vireo::test::Json;
using vireo::test::LrclibRecord;
using vireo::test::Param;

namespace {

const QString kSynced = u"[00:01.00]晴天\n[00:02.00]第二行"_qs;

// Two records for any search: one with synced lyrics, one with plain lyrics only.
std::pair<int, std::string> Standard(const QString& path, const QUrlQuery&) {
  if (path == u"/api/search")
    return {200, Json(QJsonArray{
                     LrclibRecord(11, u"晴天"_qs, u"周杰伦"_qs, u"叶惠美"_qs, kSynced, u"晴天"_qs),
                     LrclibRecord(12, u"Yesterday"_qs, u"The Beatles"_qs, u"Help!"_qs, std::nullopt,
                                  u"Yesterday\nall my troubles"_qs)})};
  if (path == u"/api/get/77")
    return {200, Json(LrclibRecord(77, u"X"_qs, u"Y"_qs, u"Z"_qs, u""_qs, u"plain 77"_qs))};
  if (path == u"/api/get/78")
    return {200, Json(LrclibRecord(78, u"X"_qs, u"Y"_qs, u"Z"_qs, std::nullopt, std::nullopt))};
  return {404, R"({"code":404,"name":"TrackNotFound","message":"Failed to find specified track"})"};
}

LrclibSettings Settings(const QString& base) {
  LrclibSettings s;
  s.baseUrl = base;
  s.limits = {1000, 2000, 1 << 20};
  return s;
}

}  // namespace

TEST(LrclibDown, AFreeTextAttemptThatFindsNothingKeepsWhatTheFieldsFound) {
  bool failSecond = false;
  FakeLrclib fake([&](const QString&, const QUrlQuery& q) -> std::pair<int, std::string> {
    if (q.hasQueryItem(u"q"_qs)) return failSecond ? std::pair<int, std::string>{500, "oops"}
                                                  : std::pair<int, std::string>{200, "[]"};
    return {200, Json(QJsonArray{LrclibRecord(5, u"t"_qs, u"s"_qs, {}, kSynced, {})})};
  });
  TLrclibDown down(Settings(fake.BaseUrl()));
  for (const bool fail : {false, true}) {
    failSecond = fail;
    down.Reset();
    down.Search(u"t"_qs, u"s"_qs, QString(), 0);
    down.Search(u"t"_qs, u"s"_qs, QString(), 1);
    ASSERT_EQ(down.Count(), 1) << fail;
    EXPECT_EQ(down.GetItem(0)->Id, 5);
  }
}

TEST(LrclibDown, SearchModesAndTheirRequests) {
  FakeLrclib fake(Standard);
  TLrclibDown down(Settings(fake.BaseUrl() + u"/"_qs));
  down.Search(u"晴天"_qs, u"周杰伦 "_qs, QString(), 0);
  ASSERT_EQ(down.Count(), 2);
  EXPECT_EQ(down.GetItem(0), (LrcSearchItem{u"晴天"_qs, u"周杰伦"_qs, u"叶惠美"_qs, 11}));
  EXPECT_EQ(down.GetItem(1)->Title, u"Yesterday"_qs);
  EXPECT_FALSE(down.GetItem(2).has_value());
  EXPECT_FALSE(down.GetItem(-1).has_value());

  down.Search(u"晴天"_qs, u"周杰伦"_qs, u"叶惠美"_qs, 1);
  EXPECT_EQ(down.Count(), 2);  // what the free text found
  const auto requests = fake.Server().Requests();
  ASSERT_EQ(requests.size(), 2u);
  auto [path0, q0] = vireo::test::Target(requests[0]);
  EXPECT_EQ(path0, u"/api/search"_qs);
  EXPECT_EQ(Param(q0, "track_name"), u"晴天"_qs);
  EXPECT_EQ(Param(q0, "artist_name"), u"周杰伦"_qs);
  EXPECT_FALSE(q0.hasQueryItem(u"album_name"_qs));
  auto [path1, q1] = vireo::test::Target(requests[1]);
  EXPECT_EQ(Param(q1, "q"), u"晴天 周杰伦"_qs);
  EXPECT_FALSE(q1.hasQueryItem(u"track_name"_qs));
  for (const auto& r : requests) {
    EXPECT_EQ(r.Header("User-Agent"), "Vireo/" VIREO_VERSION " (desktop music player for Linux)");
    EXPECT_EQ(r.method, "GET");
  }
  down.Reset();
  EXPECT_EQ(down.Count(), 0);
}

TEST(LrclibDown, DownloadPrefersSyncedLyrics) {
  FakeLrclib fake(Standard);
  TLrclibDown down(Settings(fake.BaseUrl()));
  down.Search(u"a"_qs, u"b"_qs, QString(), 0);
  const size_t afterSearch = fake.Server().RequestCount();
  EXPECT_EQ(down.Download(11), kSynced);
  EXPECT_EQ(down.Download(12), u"Yesterday\nall my troubles"_qs);
  // Both came with the search; the service is not asked again.
  EXPECT_EQ(fake.Server().RequestCount(), afterSearch);

  // Records not seen in a search are fetched by id: an empty synced text counts as none.
  EXPECT_EQ(down.Download(77), u"plain 77"_qs);
  EXPECT_EQ(down.Download(78), QString());  // instrumental: no lyric at all
  EXPECT_EQ(down.Download(99), QString());  // 404: the service knows no such record
  EXPECT_EQ(fake.Server().RequestCount(), afterSearch + 3);
  EXPECT_EQ(vireo::test::Target(fake.Server().Requests().back()).first, u"/api/get/99"_qs);
}

TEST(LrclibDown, LongLyricsArriveWhole) {
  QString longText;
  for (int i = 0; i < 3000; ++i)
    longText += u"[00:01.00]一行很长的歌词 line "_qs + QString::number(i) + u'\n';
  FakeLrclib fake([&](const QString&, const QUrlQuery&) {
    return std::pair{200, Json(LrclibRecord(5, u"t"_qs, u"s"_qs, u"a"_qs, longText, std::nullopt))};
  });
  TLrclibDown down(Settings(fake.BaseUrl()));
  const auto text = down.Download(5);
  ASSERT_TRUE(text.has_value());
  EXPECT_GT(text->toUtf8().size(), 4096 * 20);
  EXPECT_EQ(*text, longText);
}

TEST(LrclibDown, EmptyBrokenAndFailingAnswers) {
  std::atomic<int> mode{0};
  FakeLrclib fake([&](const QString&, const QUrlQuery&) -> std::pair<int, std::string> {
    switch (mode.load()) {
      case 0:
        return {200, "[]"};
      case 1:
        return {200, "[{\"id\": 1, \"trackName\": \"x\""};  // cut short
      case 2:
        return {200, "{\"id\": 1}"};  // not an array
      case 3:
        return {500, "oops"};
      default:
        return {200, R"([{"trackName":"no id"},7,{"id":3,"trackName":"ok"}])"};
    }
  });
  TLrclibDown down(Settings(fake.BaseUrl()));
  ASSERT_EQ(down.Find(u"t"_qs, u"s"_qs, QString(), 0), QList<LrcSearchItem>{});
  for (int m : {1, 2, 3}) {
    mode = m;
    EXPECT_FALSE(down.Find(u"t"_qs, u"s"_qs, QString(), 0).has_value()) << m;
    down.Search(u"t"_qs, u"s"_qs, QString(), 1);
    EXPECT_EQ(down.Count(), 0) << m;
  }
  mode = 3;
  EXPECT_FALSE(down.Download(1).has_value());
  mode = 1;
  EXPECT_FALSE(down.Download(1).has_value());
  // Records without an id are skipped, the rest kept.
  mode = 4;
  const auto items = down.Find(u"t"_qs, u"s"_qs, QString(), 0);
  ASSERT_TRUE(items.has_value());
  ASSERT_EQ(items->size(), 1);
  EXPECT_EQ(items->at(0).Id, 3);
  // Nothing to search for: no request at all.
  const size_t before = fake.Server().RequestCount();
  EXPECT_EQ(down.Find(QString(), u"s"_qs, QString(), 0), QList<LrcSearchItem>{});
  EXPECT_EQ(down.Find(u" "_qs, QString(), QString(), 1), QList<LrcSearchItem>{});
  EXPECT_EQ(fake.Server().RequestCount(), before);
}

TEST(LrclibDown, SilentAndClosedServersFailWithinTheLimits) {
  vireo::test::SilentTcpServer silent;
  TLrclibDown down(Settings(u"http://127.0.0.1:"_qs + QString::number(silent.Port())));
  QElapsedTimer timer;
  timer.start();
  EXPECT_FALSE(down.Find(u"t"_qs, u"s"_qs, QString(), 0).has_value());
  EXPECT_FALSE(down.Download(1).has_value());
  EXPECT_LT(timer.elapsed(), 30000);

  TLrclibDown closed(Settings(u"http://127.0.0.1:"_qs +
                              QString::number(vireo::test::LoopbackHttpServer::ClosedPort())));
  closed.Search(u"t"_qs, u"s"_qs, QString(), 0);
  EXPECT_EQ(closed.Count(), 0);
}

TEST(LrclibDown, FactoryRefusesUnusableUrls) {
  EXPECT_NE(LRC_CreateObj(), nullptr);
  for (const char* bad : {"", "   ", "ftp://x.org", "lrclib.net", "http://", "file:///tmp"}) {
    LrclibSettings s;
    s.baseUrl = QString::fromLatin1(bad);
    EXPECT_EQ(LRC_CreateObj(s), nullptr) << bad;
  }
  EXPECT_EQ(TLrclibDown::NormalizeBaseUrl(u" https://lrclib.net// "_qs), "https://lrclib.net");
}

TEST(LrclibDown, ALaterResetWinsOverASearchStillRunning) {
  // The search's answer is held back until the Reset has been issued: a Reset issued while a
  // search runs must not be undone by that search's results.
  std::promise<void> arrived, resetDone;
  const std::shared_future<void> reset = resetDone.get_future().share();
  std::atomic<int> requests{0};
  vireo::test::LoopbackHttpServer server([&](const vireo::test::LoopbackHttpServer::Request&,
                                             vireo::test::LoopbackHttpServer::Connection& c) {
    if (requests++ == 0) {
      arrived.set_value();
      reset.wait_for(std::chrono::seconds(10));  // bounded: a broken Reset fails, never hangs
    }
    c.Write(vireo::test::LoopbackHttpServer::Response(
        200, Json(QJsonArray{LrclibRecord(1, u"a"_qs, u"b"_qs, u"c"_qs, u"x"_qs, {})})));
  });
  TLrclibDown down(Settings(QString::fromStdString(server.Url(""))));
  std::thread searcher([&] { down.Search(u"a"_qs, u"b"_qs, QString(), 0); });
  arrived.get_future().wait();
  down.Reset();
  resetDone.set_value();
  searcher.join();
  EXPECT_EQ(down.Count(), 0);
  // Without a later call, the search's results stay.
  down.Search(u"a"_qs, u"b"_qs, QString(), 0);
  EXPECT_EQ(down.Count(), 1);
}

TEST(LrclibDown, SharedAcrossThreadsWithoutALock) {
  FakeLrclib fake(Standard);
  auto down = LRC_CreateObj(Settings(fake.BaseUrl()));
  ASSERT_NE(down, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([down, t] {
      for (int i = 0; i < 10; ++i) {
        if ((i + t) % 3 == 0) down->Reset();
        down->Search(u"a"_qs, u"b"_qs, QString(), i % 2);
        for (int k = 0; k < down->Count() + 1; ++k)
          if (const auto item = down->GetItem(k)) (void)down->Download(item->Id);
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_TRUE(down->Count() == 0 || down->Count() == 2);
}
