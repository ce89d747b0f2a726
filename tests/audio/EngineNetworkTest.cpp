#include <gtest/gtest.h>

#include <QFile>
#include <QThread>

#include "EngineRecorder.h"
#include "LoopbackHttpServer.h"
#include "MediaFactory.h"
#include "TestEnv.h"
#include "audio/PlayerSharedValues.h"
#include "audio/TAudioEngine.h"
#include "base/WorkerRegistry.h"

using namespace vireo;
using vireo::test::EngineRecorder;
using vireo::test::LoopbackHttpServer;
using vireo::test::MediaFactory;
using vireo::test::Pump;
using vireo::test::SilentTcpServer;
using vireo::test::WaitUntil;

namespace {

constexpr int kWait = 10000;

std::string FileBytes(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  const QByteArray b = f.readAll();
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}

std::string Song() {
  static const std::string bytes = FileBytes(
      MediaFactory::Tone(QStringLiteral("net-song"), QStringLiteral("mp3"), 1000, 1.5, 0.5));
  return bytes;
}

std::string Header(int status, const std::string& type, long long length) {
  std::string h = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Not Found") +
                  "\r\nContent-Type: " + type + "\r\nConnection: close\r\n";
  if (length >= 0) h += "Content-Length: " + std::to_string(length) + "\r\n";
  return h + "\r\n";
}

// Sends the body in pieces with pauses, so playback can start before the download ends.
void Trickle(LoopbackHttpServer::Connection& c, const std::string& body, size_t piece, int pauseMs,
             size_t upTo) {
  for (size_t at = 0; at < upTo; at += piece) {
    if (!c.Write(body.substr(at, std::min(piece, upTo - at)))) return;
    if (!c.Sleep(pauseMs)) return;
  }
}

class NetworkEngineTest : public testing::Test {
 protected:
  void SetUp() override {
    engine_ = std::make_unique<TAudioEngine>(MediaFactory::Dir());
    ASSERT_TRUE(engine_->OutputReady());
    rec_.Attach(*engine_);
    engine_->SetVolume(100);
  }
  QString Url(const LoopbackHttpServer& s, const char* path) {
    return QString::fromStdString(s.Url(path));
  }
  EngineRecorder rec_;
  std::unique_ptr<TAudioEngine> engine_;
};

}  // namespace

TEST_F(NetworkEngineTest, AStreamWithALengthConnectsPassesItsChunksAndPlaysBeforeTheDownloadEnds) {
  const std::string song = Song();
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(Header(200, "audio/mpeg", static_cast<long long>(song.size())));
        Trickle(c, song, 4096, 80, song.size());
      });
  engine_->Play(Url(server, "/song.mp3"));
  ASSERT_TRUE(WaitUntil([&] { return rec_.Has(QStringLiteral("end 1004")); }, kWait))
      << rec_.events.join(u',').toStdString();
  ASSERT_FALSE(rec_.events.isEmpty());
  EXPECT_EQ(rec_.events.first(), QStringLiteral("state 1005"));
  const qsizetype playing = rec_.events.indexOf(QStringLiteral("state 1002"));
  const qsizetype done = rec_.events.indexOf(QStringLiteral("chunk-end"));
  ASSERT_GT(playing, 0);
  EXPECT_LT(playing, done);  // sound before the whole file was in
  EXPECT_GT(rec_.events.indexOf(QStringLiteral("chunk")), 0);
  EXPECT_EQ(rec_.events.count(QStringLiteral("chunk-end")), 1);
  EXPECT_EQ(rec_.chunkBytes, static_cast<qint64>(song.size()));
  EXPECT_EQ(engine_->Shared().DownloadTotal.load(), song.size());
  EXPECT_EQ(rec_.States(), (QStringList{QStringLiteral("state 1005"), QStringLiteral("state 1002"),
                                        QStringLiteral("end 1004")}));
  EXPECT_NEAR(engine_->GetLength(), 1500, 80);
  EXPECT_GT(engine_->Bitrate(), 100);
}

TEST_F(NetworkEngineTest, SeekingWorksWithinWhatHasArrived) {
  const std::string song = FileBytes(
      MediaFactory::Tone(QStringLiteral("net-long"), QStringLiteral("mp3"), 700, 3.0, 0.5));
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(LoopbackHttpServer::Response(200, song, {{"Content-Type", "audio/mpeg"}}));
      });
  engine_->Play(Url(server, "/long.mp3"));
  ASSERT_TRUE(WaitUntil(
      [&] {
        return rec_.Has(QStringLiteral("chunk-end")) && engine_->State() == AudioState::Playing;
      },
      kWait));
  engine_->SetPosition(2000);
  EXPECT_GE(engine_->GetPosition(), 1950);
  Pump(200);
  EXPECT_GE(engine_->GetPosition(), 1950);
  EXPECT_LT(engine_->GetPosition(), 2500);
}

TEST_F(NetworkEngineTest, ASeekBeyondWhatHasArrivedIsRefused) {
  const std::string song = FileBytes(
      MediaFactory::Tone(QStringLiteral("net-long"), QStringLiteral("mp3"), 700, 3.0, 0.5));
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(Header(200, "audio/mpeg", static_cast<long long>(song.size())));
        Trickle(c, song, 2048, 150, song.size());
      });
  engine_->Play(Url(server, "/long.mp3"));
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, kWait));
  ASSERT_FALSE(rec_.Has(QStringLiteral("chunk-end")));
  engine_->SetPosition(2700);  // far past the few kilobytes in so far
  Pump(100);
  EXPECT_LT(engine_->GetPosition(), 1000);
}

TEST_F(NetworkEngineTest, AStreamWithoutALengthPlaysUntilTheConnectionCloses) {
  const std::string song = Song();
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(Header(200, "audio/mpeg", -1));
        Trickle(c, song, 8192, 20, song.size());
      });
  engine_->Play(Url(server, "/radio"));
  ASSERT_TRUE(WaitUntil([&] { return rec_.Has(QStringLiteral("end 1004")); }, kWait))
      << rec_.events.join(u',').toStdString();
  EXPECT_EQ(engine_->Shared().DownloadTotal.load(), kUnknownDownloadTotal);
  EXPECT_EQ(engine_->Bitrate(), 0);  // no size to tell it from: the previous value stays
  EXPECT_EQ(engine_->GetLength(), 0);
  EXPECT_EQ(rec_.chunkBytes, static_cast<qint64>(song.size()));
  EXPECT_TRUE(rec_.Has(QStringLiteral("state 1002")));
}

TEST_F(NetworkEngineTest, ANotFoundAnswerFailsWithADetail) {
  LoopbackHttpServer server(
      [](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(LoopbackHttpServer::Response(404, "<html>not here</html>"));
      });
  engine_->Play(Url(server, "/missing.mp3"));
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::OpenFailed; }, kWait));
  EXPECT_EQ(rec_.events,
            (QStringList{QStringLiteral("state 1005"), QStringLiteral("error 1006 2")}));
  // And a host that refuses the connection.
  rec_.events.clear();
  engine_->Play(QStringLiteral("http://127.0.0.1:%1/x.mp3").arg(LoopbackHttpServer::ClosedPort()));
  ASSERT_TRUE(WaitUntil([&] { return rec_.events.size() >= 2; }, kWait));
  EXPECT_EQ(rec_.events,
            (QStringList{QStringLiteral("state 1005"), QStringLiteral("error 1006 32")}));
}

TEST_F(NetworkEngineTest, AServerThatStopsHalfwayPlaysWhatArrivedAndEnds) {
  const std::string song = Song();
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(Header(200, "audio/mpeg", static_cast<long long>(song.size())));
        c.Write(song.substr(0, song.size() / 2));
      });
  engine_->Play(Url(server, "/half.mp3"));
  ASSERT_TRUE(WaitUntil([&] { return rec_.Has(QStringLiteral("end 1004")); }, kWait))
      << rec_.events.join(u',').toStdString();
  EXPECT_TRUE(rec_.Has(QStringLiteral("chunk-end")));
  EXPECT_EQ(rec_.chunkBytes, static_cast<qint64>(song.size() / 2));
  // What the cache compares against.
  EXPECT_EQ(engine_->Shared().DownloadTotal.load(), song.size());
  EXPECT_LT(engine_->GetPosition(), 1200);
}

TEST_F(NetworkEngineTest, TheEndOfADownloadAlreadySeesTheExpectedSize) {
  // The cache keeper compares what it wrote with DownloadTotal when the null buffer arrives; a
  // short download that ends before the decoder has opened must not find it still at 0 and pass
  // for complete.
  const std::string song = Song();
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(Header(200, "audio/mpeg", static_cast<long long>(song.size())));
        c.Write(song.substr(0, song.size() / 2));
      });
  uint32_t totalAtEnd = 0, writtenAtEnd = 0;
  // Connected before the recorder's own receiver sees the end, so the figures are in place.
  QObject::connect(engine_.get(), &TAudioEngine::OnDownload, &rec_.context,
                   [&](const char* b, int n, void*) {
                     if (b) {
                       engine_->Shared().DownloadWritten.fetch_add(static_cast<uint32_t>(n));
                     } else {
                       totalAtEnd = engine_->Shared().DownloadTotal.load();
                       writtenAtEnd = engine_->Shared().DownloadWritten.load();
                     }
                   });
  for (int round = 0; round < 3; ++round) {
    rec_.events.clear();
    engine_->Play(Url(server, "/half.mp3"));
    ASSERT_TRUE(WaitUntil([&] { return rec_.Has(QStringLiteral("chunk-end")); }, kWait))
        << rec_.events.join(u',').toStdString();
    EXPECT_EQ(totalAtEnd, song.size());
    EXPECT_EQ(writtenAtEnd, song.size() / 2);
    EXPECT_LT(writtenAtEnd, totalAtEnd);  // seen as incomplete
    ASSERT_TRUE(WaitUntil([&] { return !engine_->OpenPending(); }, kWait));
  }
}

TEST_F(NetworkEngineTest, APlsPlaylistIsFollowedToItsFirstEntry) {
  const std::string song = Song();
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request& r, LoopbackHttpServer::Connection& c) {
        if (r.target == "/station.pls") {
          c.Write(LoopbackHttpServer::Response(
              200, "[playlist]\nNumberOfEntries=2\nFile1=/stream.mp3\nFile2=/other.mp3\n",
              {{"Content-Type", "audio/x-scpls"}}));
        } else if (r.target == "/stream.mp3") {
          c.Write(LoopbackHttpServer::Response(200, song, {{"Content-Type", "audio/mpeg"}}));
        } else {
          c.Write(LoopbackHttpServer::Response(404, "no"));
        }
      });
  engine_->Play(Url(server, "/station.pls"));
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, kWait))
      << rec_.events.join(u',').toStdString();
  ASSERT_TRUE(WaitUntil([&] { return rec_.Has(QStringLiteral("chunk-end")); }, kWait));
  EXPECT_EQ(rec_.chunkBytes,
            static_cast<qint64>(song.size()));  // the playlist's own bytes are not passed on
  EXPECT_EQ(engine_->Shared().DownloadTotal.load(), song.size());
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].target, "/stream.mp3");
}

TEST_F(NetworkEngineTest, AnAddressWithSpacesAndChineseIsSentEncoded) {
  const std::string song = Song();
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request& r, LoopbackHttpServer::Connection& c) {
        if (r.target == "/music/my%20song%20%E6%99%B4%E5%A4%A9.mp3?id=1%202")
          c.Write(LoopbackHttpServer::Response(200, song, {{"Content-Type", "audio/mpeg"}}));
        else
          c.Write(LoopbackHttpServer::Response(404, "no"));
      });
  engine_->Play(Url(server, "/music/my song 晴天.mp3?id=1%202"));
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, kWait))
      << rec_.events.join(u',').toStdString();
  EXPECT_EQ(engine_->FileName(), Url(server, "/music/my song 晴天.mp3?id=1%202"));
}

TEST_F(NetworkEngineTest, StopDuringAPendingNetworkOpenDiscardsTheStream) {
  SilentTcpServer silent;
  engine_->Play(QStringLiteral("http://127.0.0.1:%1/slow.mp3").arg(silent.Port()));
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Connecting; }, kWait));
  // Progress goes on while connecting, with the silent buffers.
  const int ticks = rec_.progressCount;
  Pump(120);
  EXPECT_GT(rec_.progressCount, ticks);
  EXPECT_EQ(rec_.lastState, AudioState::Connecting);
  EXPECT_TRUE(std::all_of(rec_.fft.begin(), rec_.fft.end(), [](float v) { return v == 0; }));
  // A second Play while it is pending is refused and changes nothing.
  engine_->Play(QStringLiteral("/elsewhere.mp3"));
  EXPECT_EQ(rec_.events.last(), QStringLiteral("error 1004 -3"));
  EXPECT_TRUE(engine_->FileName().endsWith(QStringLiteral("/slow.mp3")));
  engine_->Stop();
  ASSERT_TRUE(WaitUntil([&] { return !engine_->OpenPending(); }, 3000));
  EXPECT_EQ(rec_.States(),
            (QStringList{QStringLiteral("state 1005"), QStringLiteral("error 1004 -3"),
                         QStringLiteral("state 1001"), QStringLiteral("error 1006 0")}));
  EXPECT_EQ(engine_->State(), AudioState::OpenFailed);
  EXPECT_EQ(engine_->GetPosition(), 0);
}

TEST_F(NetworkEngineTest, StopBeforeTheOpenedStreamIsHandedOverStillDiscardsIt) {
  const std::string song = Song();
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(Header(200, "audio/mpeg", static_cast<long long>(song.size())));
        Trickle(c, song, 2048, 100, song.size());
      });
  engine_->Play(Url(server, "/song.mp3"));
  // The opener finishes while the events wait in the queue; the stop comes before its result.
  ASSERT_TRUE(WorkerRegistry::Instance().WaitForAll(kWait, QStringLiteral("engine")));
  engine_->Stop();
  ASSERT_TRUE(WaitUntil([&] { return !engine_->OpenPending(); }, kWait));
  Pump(400);
  // Not a chunk of it is passed on, neither before nor after.
  EXPECT_EQ(rec_.events,
            (QStringList{QStringLiteral("state 1001"), QStringLiteral("error 1006 0")}));
  EXPECT_EQ(engine_->State(), AudioState::OpenFailed);
  EXPECT_EQ(engine_->GetLength(), 0);
}

TEST_F(NetworkEngineTest, ANetworkStreamStartsWithoutLevelling) {
  const std::string song = Song();
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(LoopbackHttpServer::Response(200, song, {{"Content-Type", "audio/mpeg"}}));
      });
  engine_->Shared().MeasuredGain.store(5.0f);
  engine_->SetDBGain(true);
  engine_->SetVolume(65);
  engine_->Play(Url(server, "/song.mp3"));
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, kWait));
  EXPECT_EQ(engine_->Shared().MeasuredGain.load(), 0.0f);
  EXPECT_FLOAT_EQ(engine_->StreamVolume(), 0.65f);
}
