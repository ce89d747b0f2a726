#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "LoopbackHttpServer.h"
#include "net/HttpClient.h"
#include "net/ServiceHost.h"

using namespace vireo;
using vireo::test::LoopbackHttpServer;
using vireo::test::SilentTcpServer;

namespace {

QByteArray Bytes(const std::string& s) {
  return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

LoopbackHttpServer::Handler Answer(std::string body, int status = 200) {
  return [body = std::move(body), status](const LoopbackHttpServer::Request&,
                                          LoopbackHttpServer::Connection& c) {
    c.Write(LoopbackHttpServer::Response(status, body));
  };
}

// Short limits so the failure cases finish quickly; restored after each test.
class HttpTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = DefaultHttpLimits();
    SetDefaultHttpLimits({1000, 2000, 1 << 20});
  }
  void TearDown() override { SetDefaultHttpLimits(saved_); }
  HttpLimits saved_;
};

}  // namespace

TEST_F(HttpTest, GetSendsTheAgentAndAsksForAFreshAnswer) {
  LoopbackHttpServer server(Answer("<update/>"));
  EXPECT_EQ(HttpGet(Bytes("  " + server.Url("/soft/update.xml") + "\r\n")),
            QByteArray("<update/>"));
  ASSERT_EQ(server.RequestCount(), 1u);
  const auto req = server.Requests()[0];
  EXPECT_EQ(req.requestLine, "GET /soft/update.xml HTTP/1.1");
  EXPECT_EQ(req.Header("User-Agent"), "Internet Explorer");
  EXPECT_EQ(req.Header("Cache-Control"), "no-cache");
  EXPECT_EQ(req.Header("Pragma"), "no-cache");
  EXPECT_EQ(req.Header("Host"), server.HostPort());
  EXPECT_FALSE(req.HasHeader("Cookie"));
}

TEST_F(HttpTest, GetReturnsErrorPagesLikeAnyAnswer) {
  LoopbackHttpServer server(Answer("not here", 404));
  EXPECT_EQ(HttpGet(Bytes(server.Url("/x"))), QByteArray("not here"));
}

TEST_F(HttpTest, GetKeepsOnlyTheBytesBeforeAZeroInEachPiece) {
  // Piece one (1025 bytes) holds a zero at 10; piece two is clean; piece three has a zero at 0.
  std::string body(1025, 'a');
  body[10] = '\0';
  body += std::string(1025, 'b');
  body += std::string(1, '\0') + "ccc";
  LoopbackHttpServer server(Answer(body));
  const QByteArray got = HttpGet(Bytes(server.Url("/z")));
  EXPECT_EQ(got, QByteArray(10, 'a') + QByteArray(1025, 'b'));
}

TEST_F(HttpTest, PostSendsExactlyTheServiceForm) {
  LoopbackHttpServer server(Answer(" 1 "));
  const QByteArray body = "title=%B8%E8&singer=a%20b";
  // Without the scheme, as the callers sometimes pass it.
  EXPECT_EQ(HttpPost(Bytes(server.HostPort() + "/mpost/mp3down.asp"), body), QByteArray(" 1 "));
  ASSERT_EQ(server.RequestCount(), 1u);
  const auto req = server.Requests()[0];
  EXPECT_EQ(req.requestLine, "POST /mpost/mp3down.asp HTTP/1.0");
  EXPECT_EQ(req.Header("Accept"), "*/*");
  EXPECT_EQ(req.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(req.Header("Content-Length"), std::to_string(body.size()));
  EXPECT_FALSE(req.HasHeader("User-Agent"));
  EXPECT_FALSE(req.HasHeader("Expect"));
  EXPECT_EQ(req.body, body.toStdString());
}

TEST_F(HttpTest, PostCarriesBinaryBodiesAndLongAnswersWhole) {
  std::string answer(100000, 'x');
  answer[5] = '\0';  // POST answers keep every byte
  LoopbackHttpServer server(Answer(answer));
  const QByteArray body("a\0b\xff", 4);
  EXPECT_EQ(HttpPost(Bytes(server.Url("/mpost/lrcpost.asp")), body), Bytes(answer));
  EXPECT_EQ(server.Requests()[0].body, std::string("a\0b\xff", 4));
}

TEST_F(HttpTest, FailuresGiveEmptyText) {
  const std::string closed = "127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort());
  EXPECT_EQ(HttpGet(Bytes("http://" + closed + "/")), QByteArray());
  EXPECT_EQ(HttpPost(Bytes("http://" + closed + "/p"), "a=1"), QByteArray());
  EXPECT_EQ(HttpGet(""), QByteArray());
  EXPECT_EQ(HttpGet("   "), QByteArray());
  EXPECT_EQ(HttpPost("no-slash-no-host", "a"), QByteArray());  // SplitUrl finds no host
  EXPECT_EQ(HttpGet("file:///etc/passwd"), QByteArray());      // only http and https are spoken
}

TEST_F(HttpTest, ASilentHostIsGivenUpOnWithinTheLimit) {
  SilentTcpServer silent;
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(HttpGet(Bytes("http://127.0.0.1:" + std::to_string(silent.Port()) + "/")),
            QByteArray());
  EXPECT_EQ(HttpPost(Bytes("127.0.0.1:" + std::to_string(silent.Port()) + "/p"), "x"),
            QByteArray());
  // Two exchanges, each given up on by its 2 s overall limit; the host would wait forever.
  EXPECT_LT(t.elapsed(), 20000);
}

TEST_F(HttpTest, AnOversizedAnswerIsCut) {
  LoopbackHttpServer server(
      [](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        const std::string block(64 * 1024, 'q');
        for (int i = 0; i < 64 && c.Write(block); ++i) {
        }  // 4 MiB on offer, the limit is 1 MiB
      });
  const QByteArray got = HttpGet(Bytes(server.Url("/big")));
  EXPECT_EQ(got.size(), 1 << 20);

  HttpExchange ex;
  ex.url = Bytes(server.Url("/big"));
  ex.limits = {1000, 5000, 1000};
  const HttpResult r = HttpFetch(ex);
  EXPECT_TRUE(r.truncated);
  EXPECT_FALSE(r.completed);
  EXPECT_EQ(r.body.size(), 1000);
}

TEST_F(HttpTest, FetchStreamsChunksWithTheLengthAndCanStop) {
  LoopbackHttpServer server(Answer(std::string(300000, 'm')));
  HttpExchange ex;
  ex.url = Bytes(server.Url("/song.mp3"));
  ex.limits = {1000, 5000, 0};
  qint64 seen = 0, announced = -2;
  HttpResult r = HttpFetch(ex, [&](const char*, qsizetype n, qint64 len) {
    seen += n;
    announced = len;
    return true;
  });
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(seen, 300000);
  EXPECT_EQ(announced, 300000);
  EXPECT_TRUE(r.body.isEmpty());

  seen = 0;
  r = HttpFetch(ex, [&](const char*, qsizetype n, qint64) {
    seen += n;
    return false;
  });
  EXPECT_FALSE(r.completed);
  EXPECT_GT(seen, 0);
  EXPECT_LT(seen, 300000);
}

TEST_F(HttpTest, CancelEndsAStalledExchange) {
  LoopbackHttpServer server(
      [](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write("HTTP/1.1 200 OK\r\n\r\nabc");
        c.Sleep(10000);
      });
  std::atomic<bool> cancel{true};
  HttpExchange ex;
  ex.url = Bytes(server.Url("/radio"));
  ex.limits = {1000, 0, 0};
  ex.cancel = &cancel;
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(HttpFetch(ex).completed);
  EXPECT_LT(t.elapsed(), 8000);  // ended by the cancel, not by the server's 10 s
}

TEST(ServiceHost, BuildsServiceAddressesAndEmptyMeansOffline) {
  ServiceHost::SetHost(QStringLiteral(" music.example.org:8080 "));
  EXPECT_TRUE(ServiceHost::Online());
  EXPECT_EQ(ServiceHost::Url("/soft/update.xml"),
            QByteArray("http://music.example.org:8080/soft/update.xml"));
  ServiceHost::SetHost(QString());
  EXPECT_FALSE(ServiceHost::Online());
  EXPECT_EQ(ServiceHost::Url("/soft/update.xml"), QByteArray());
}

TEST_F(HttpTest, AServiceHostWithAPortIsReachedForBothVerbs) {
  LoopbackHttpServer server(Answer("7"));
  ServiceHost::SetHost(QString::fromStdString(server.HostPort()));
  EXPECT_EQ(HttpPost(ServiceHost::Url("/mpost/mp3down.asp"), "a=1"), QByteArray("7"));
  EXPECT_EQ(HttpGet(ServiceHost::Url("/mpost/rndmusic.asp")), QByteArray("7"));
  EXPECT_EQ(server.RequestCount(), 2u);
  ServiceHost::SetHost(QString());
  // Offline: nothing is sent.
  EXPECT_EQ(HttpGet(ServiceHost::Url("/mpost/rndmusic.asp")), QByteArray());
  EXPECT_EQ(HttpPost(ServiceHost::Url("/mpost/mp3down.asp"), "a=1"), QByteArray());
  EXPECT_EQ(server.RequestCount(), 2u);
}
