#include <gtest/gtest.h>

#include <QUrlQuery>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "LoopbackHttpServer.h"
#include "library/MUSIC_SEARCH_CreateObj.h"
#include "library/TArchiveMusicProvider.h"

using namespace vireo;
using vireo::test::LoopbackHttpServer;

namespace {

// Answers in the form the archive gives them (fields trimmed to those the component asks for).
const char* kSearchAnswer = R"json({
 "responseHeader": {"status": 0, "QTime": 41, "params": {"query": "(moonlight sonata) AND mediatype:(audio)",
           "qin" : "(moonlight sonata) AND mediatype:(audio)",
           "fields" : "identifier,title,creator,album,item_size",
           "wt" : "json",
           "rows" : "30",
           "start" : 30
}
}
, "response" : {
  "numFound" : 412, "start" : 30, "docs" : [
    {
      "identifier" : "MoonlightSonata_755",
      "title" : "Moonlight Sonata",
      "creator" : "Ludwig van Beethoven",
      "item_size" : 3459072
    },
    {
      "identifier" : "beethoven-sonatas-1950",
      "title" : [ "Piano Sonatas", "Vol. 1" ],
      "creator" : [ "Wilhelm Kempff", "Ludwig van Beethoven" ],
      "album" : "Sonatas",
      "item_size" : "734003200"
    },
    {"identifier" : "../../etc", "title" : "not an identifier"}, {"title" : "no identifier at all"},
    {"identifier" : "untitled_item"}
  ]
}
})json";

const char* kMetadataAnswer = R"json({
 "created": 1733700000, "d1": "ia800300.us.archive.org", "dir": "/31/items/MoonlightSonata_755",
 "files": [
   {"name": "Moonlight Sonata.flac", "source": "original", "format": "Flac", "size": "31457280"},
   {"name": "Moonlight Sonata_spectrogram.png", "source": "derivative", "format": "PNG"},
   {"name": "Moonlight Sonata.ogg", "source": "derivative", "format": "Ogg Vorbis"},
   {"name": "disc 1/Moonlight Sonata.mp3", "source": "derivative", "format": "VBR MP3", "size": "3459072"}
 ],
 "metadata": {"identifier": "MoonlightSonata_755", "mediatype": "audio", "title": "Moonlight Sonata"},
 "server": "ia800300.us.archive.org"})json";

const char* kOggOnlyAnswer = R"json({"files": [
   {"name": "cover.jpg", "format": "JPEG"},
   {"name": "track01.ogg", "format": "Ogg Vorbis"}]})json";

const char* kNoAudioAnswer = R"json({"files": [{"name": "scan.pdf", "format": "Text PDF"}]})json";

std::string Target(const LoopbackHttpServer::Request& r) {
  return r.target;
}

// The archive on loopback: answers by path, records the requests.
LoopbackHttpServer::Handler Archive() {
  return [](const LoopbackHttpServer::Request& r, LoopbackHttpServer::Connection& c) {
    const std::string& t = r.target;
    std::string body;
    int status = 200;
    if (t.rfind("/advancedsearch.php?", 0) == 0)
      body = kSearchAnswer;
    else if (t == "/metadata/MoonlightSonata_755")
      body = kMetadataAnswer;
    else if (t == "/metadata/ogg_only")
      body = kOggOnlyAnswer;
    else if (t == "/metadata/no_audio")
      body = kNoAudioAnswer;
    else if (t == "/metadata/broken")
      body = "{\"files\": [";
    else
      status = 404, body = "{}";
    c.Write(LoopbackHttpServer::Response(status, body, {{"Content-Type", "application/json"}}));
  };
}

MusicSearchSettings ArchiveAt(const LoopbackHttpServer& s) {
  MusicSearchSettings settings;
  settings.archiveBaseUrl = QString::fromStdString(s.Url("/"));
  settings.limits = {1000, 3000, 1 << 20};
  return settings;
}

}  // namespace

TEST(ArchiveMusicSearch, SearchesAudioItemsAPageAtATime) {
  LoopbackHttpServer server(Archive());
  const auto search = MUSIC_SEARCH_CreateObj(ArchiveAt(server));
  ASSERT_TRUE(search);
  search->ClearResults();
  search->Search(QStringLiteral("moonlight sonata"), 30);

  ASSERT_EQ(server.RequestCount(), 1u);
  const auto req = server.Requests()[0];
  EXPECT_TRUE(req.Header("User-Agent").rfind("Vireo/", 0) == 0);
  const QUrlQuery q(QUrl(QString::fromStdString(Target(req))).query());
  EXPECT_EQ(q.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded),
            QStringLiteral("(moonlight sonata) AND mediatype:(audio)"));
  EXPECT_EQ(q.queryItemValue(QStringLiteral("rows")), QStringLiteral("30"));
  EXPECT_EQ(q.queryItemValue(QStringLiteral("page")), QStringLiteral("2"));  // offset 30
  EXPECT_EQ(q.queryItemValue(QStringLiteral("output")), QStringLiteral("json"));
  EXPECT_NE(Target(req).find("&fl%5B%5D=identifier&"), std::string::npos);

  // Items without a usable identifier are left out.
  ASSERT_EQ(search->GetCount(), 3);
  const TMusicSearchItem* first = search->GetItem(0);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Key, QStringLiteral("MoonlightSonata_755"));
  EXPECT_EQ(first->Title, QStringLiteral("Moonlight Sonata"));
  EXPECT_EQ(first->Singer, QStringLiteral("Ludwig van Beethoven"));
  EXPECT_EQ(first->SizeText, QStringLiteral("3.3 MB"));
  const TMusicSearchItem* second = search->GetItem(1);
  EXPECT_EQ(second->Title, QStringLiteral("Piano Sonatas, Vol. 1"));
  EXPECT_EQ(second->Singer, QStringLiteral("Wilhelm Kempff, Ludwig van Beethoven"));
  EXPECT_EQ(second->Album, QStringLiteral("Sonatas"));
  EXPECT_EQ(second->SizeText, QStringLiteral("700.0 MB"));
  EXPECT_EQ(search->GetItem(2)->Title, QStringLiteral("untitled_item"));  // falls back to the key
  EXPECT_EQ(search->GetItem(3), nullptr);
  EXPECT_EQ(search->GetItem(-1), nullptr);
}

TEST(ArchiveMusicSearch, TypedQueryCharactersCannotBreakTheQuery) {
  const TArchiveMusicProvider p("http://127.0.0.1:1", {});
  const QUrlQuery q(
      QUrl(QString::fromLatin1(p.SearchUrl(QStringLiteral("周杰伦 (晴天) OR title:\"x\"*"), 0, 30)))
          .query());
  EXPECT_EQ(q.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded),
            QStringLiteral("(周杰伦 晴天 OR title x) AND mediatype:(audio)"));
  EXPECT_EQ(q.queryItemValue(QStringLiteral("page")), QStringLiteral("1"));
  EXPECT_TRUE(p.SearchUrl(QStringLiteral(" ()*: "), 0, 30).isEmpty());
}

TEST(ArchiveMusicSearch, ResolvesAnItemToItsMp3ElseItsOgg) {
  LoopbackHttpServer server(Archive());
  const auto search = MUSIC_SEARCH_CreateObj(ArchiveAt(server));
  const QString base = QString::fromStdString(server.Url(""));
  EXPECT_EQ(search->GetUrl(QStringLiteral("MoonlightSonata_755"), 0),
            base + QStringLiteral("/download/MoonlightSonata_755/disc%201/Moonlight%20Sonata.mp3"));
  EXPECT_EQ(search->GetUrl(QStringLiteral("ogg_only"), 7),
            base + QStringLiteral("/download/ogg_only/track01.ogg"));
  EXPECT_TRUE(search->GetUrl(QStringLiteral("no_audio"), 0).isEmpty());
  EXPECT_TRUE(search->GetUrl(QStringLiteral("broken"), 0).isEmpty());
  EXPECT_TRUE(search->GetUrl(QStringLiteral("gone"), 0).isEmpty());  // 404
  const size_t asked = server.RequestCount();
  // A key that is no identifier never reaches the request path.
  EXPECT_TRUE(search->GetUrl(QStringLiteral("../../admin"), 0).isEmpty());
  EXPECT_TRUE(search->GetUrl(QStringLiteral("a/b"), 0).isEmpty());
  EXPECT_TRUE(search->GetUrl(QString(), 0).isEmpty());
  EXPECT_EQ(server.RequestCount(), asked);
}

TEST(ArchiveMusicSearch, FailuresGiveNoResults) {
  for (const auto& [status, body] : {std::pair{500, std::string("{\"error\": \"busy\"}")},
                                     std::pair{200, std::string("<html>maintenance</html>")},
                                     std::pair{200, std::string("{\"response\": {}}")}}) {
    LoopbackHttpServer server(
        [status, body](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
          c.Write(LoopbackHttpServer::Response(status, body));
        });
    const auto search = MUSIC_SEARCH_CreateObj(ArchiveAt(server));
    search->Search(QStringLiteral("x"), 0);
    EXPECT_EQ(search->GetCount(), 0) << body;
  }
  MusicSearchSettings closed;
  closed.archiveBaseUrl =
      QStringLiteral("http://127.0.0.1:%1").arg(LoopbackHttpServer::ClosedPort());
  const auto search = MUSIC_SEARCH_CreateObj(closed);
  search->Search(QStringLiteral("x"), 0);
  EXPECT_EQ(search->GetCount(), 0);
  EXPECT_TRUE(search->GetUrl(QStringLiteral("abc"), 0).isEmpty());
}

TEST(MusicSearchComponent, IsOnlyCreatedForAnHttpBase) {
  MusicSearchSettings s;
  s.archiveBaseUrl = QStringLiteral("ftp://archive.org");
  EXPECT_FALSE(MUSIC_SEARCH_CreateObj(s));
  s.archiveBaseUrl = QStringLiteral("not a url");
  EXPECT_FALSE(MUSIC_SEARCH_CreateObj(s));
  s.archiveBaseUrl = QStringLiteral("https://archive.org/");
  EXPECT_TRUE(MUSIC_SEARCH_CreateObj(s));
}

TEST(MusicSearchComponent, RecordsStayValidUntilClearResultsAndPagesHoldThirty) {
  // Forty results for any search: the component keeps thirty.
  std::string docs;
  for (int i = 0; i < 40; ++i)
    docs += std::string(i ? "," : "") + "{\"identifier\": \"item" + std::to_string(i) +
            "\", \"title\": \"Song " + std::to_string(i) + "\"}";
  const std::string answer = "{\"response\": {\"docs\": [" + docs + "]}}";
  LoopbackHttpServer server(
      [answer](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(LoopbackHttpServer::Response(200, answer));
      });
  const auto search = MUSIC_SEARCH_CreateObj(ArchiveAt(server));
  search->ClearResults();
  search->Search(QStringLiteral("song"), 0);
  ASSERT_EQ(search->GetCount(), IMusicSearch::kPageSize);
  const TMusicSearchItem* kept = search->GetItem(29);
  EXPECT_EQ(kept->Title, QStringLiteral("Song 29"));
  // A second search without ClearResults replaces the page but not the records handed out.
  search->Search(QStringLiteral("song"), 30);
  EXPECT_EQ(search->GetCount(), 30);
  EXPECT_NE(search->GetItem(29), kept);
  EXPECT_EQ(kept->Title, QStringLiteral("Song 29"));
  EXPECT_EQ(kept->Key, QStringLiteral("item29"));
  search->ClearResults();
  EXPECT_EQ(search->GetCount(), 0);
  EXPECT_EQ(search->GetItem(0), nullptr);
}

TEST(MusicSearchComponent, ASearchOvertakenByClearResultsIsDroppedAndGetUrlOverlapsIt) {
  std::mutex m;
  std::condition_variable cv;
  bool release = false;
  std::atomic<int> searchesWaiting{0};
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request& r, LoopbackHttpServer::Connection& c) {
        if (r.target.rfind("/metadata/", 0) == 0) {
          c.Write(LoopbackHttpServer::Response(200, kOggOnlyAnswer));
          return;
        }
        std::unique_lock lock(m);
        ++searchesWaiting;
        cv.notify_all();
        cv.wait(lock, [&] { return release || c.Stopping(); });
        lock.unlock();
        c.Write(LoopbackHttpServer::Response(200, kSearchAnswer));
      });
  const auto search = MUSIC_SEARCH_CreateObj(ArchiveAt(server));
  std::thread searcher([&] { search->Search(QStringLiteral("moonlight"), 0); });
  {
    std::unique_lock lock(m);
    cv.wait_for(lock, std::chrono::seconds(5), [&] { return searchesWaiting > 0; });
  }
  ASSERT_EQ(searchesWaiting.load(), 1);
  // While the search waits on the network: an address resolves, and the user starts over.
  EXPECT_EQ(search->GetUrl(QStringLiteral("ogg_only"), 0),
            QString::fromStdString(server.Url("/download/ogg_only/track01.ogg")));
  search->ClearResults();
  {
    std::lock_guard lock(m);
    release = true;
  }
  cv.notify_all();
  searcher.join();
  EXPECT_EQ(search->GetCount(), 0);
}
