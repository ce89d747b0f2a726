#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

#include "LoopbackHttpServer.h"
#include "TestEnv.h"
#include "base/WorkerRegistry.h"
#include "net/HttpClient.h"
#include "net/TGetThr.h"
#include "net/TPostThr.h"

using namespace vireo;
using vireo::test::LoopbackHttpServer;

namespace {
QByteArray Bytes(const std::string& s) {
  return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

LoopbackHttpServer::Handler Answer(std::string body) {
  return [body = std::move(body)](const LoopbackHttpServer::Request&,
                                  LoopbackHttpServer::Connection& c) {
    c.Write(LoopbackHttpServer::Response(200, body));
  };
}
}  // namespace

TEST(TPostThr, ResultCodeIsTheSingleDigitElse255) {
  EXPECT_EQ(TPostThr::ResultCode(" 1 "), 1);
  EXPECT_EQ(TPostThr::ResultCode("0"), 0);
  EXPECT_EQ(TPostThr::ResultCode("\r\n9\r\n"), 9);
  EXPECT_EQ(TPostThr::ResultCode("10"), 255);
  EXPECT_EQ(TPostThr::ResultCode(""), 255);
  EXPECT_EQ(TPostThr::ResultCode("x"), 255);
}

TEST(TPostThr, ReportsTheResultCodeOnTheReceiversThread) {
  for (const auto& [answer, expected] : {std::pair{" 1 ", 1}, std::pair{"10", 255}}) {
    LoopbackHttpServer server(Answer(answer));
    QObject receiver;
    int code = -1;
    Qt::HANDLE thread = nullptr;
    TPostThr::Create(Bytes(server.Url("/mpost/mp3down.asp")), "a=1", &receiver, [&](int c) {
      code = c;
      thread = QThread::currentThreadId();
    });
    ASSERT_TRUE(test::WaitUntil([&] { return code != -1; }));
    EXPECT_EQ(code, expected);
    EXPECT_EQ(thread, QThread::currentThreadId());
  }
}

TEST(TPostThr, AReceiverGoneBeforeTheAnswerIsNotTouched) {
  LoopbackHttpServer server(
      [](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Sleep(200);
        c.Write(LoopbackHttpServer::Response(200, "1"));
      });
  bool called = false;
  {
    auto receiver = std::make_unique<QObject>();
    TPostThr::Create(Bytes(server.Url("/p")), "a", receiver.get(), [&](int) { called = true; });
  }
  ASSERT_TRUE(TPostThr::WaitForAll(5000));
  test::Pump(50);
  EXPECT_FALSE(called);
}

TEST(RequestThreads, ManyRequestsOverlapAndEndByThemselves) {
  std::atomic<int> inFlight{0}, peak{0};
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        const int now = ++inFlight;
        int p = peak.load();
        while (now > p && !peak.compare_exchange_weak(p, now)) {
        }
        c.Sleep(150);
        --inFlight;
        c.Write(LoopbackHttpServer::Response(200, "1"));
      });
  for (int i = 0; i < 4; ++i) TPostThr::Create(Bytes(server.Url("/p")), "a");
  for (int i = 0; i < 4; ++i)
    TGetThr::Create(Bytes(server.Url("/mpost/hot.asp?id=") + std::to_string(i)));
  EXPECT_TRUE(TPostThr::WaitForAll(5000));
  EXPECT_TRUE(TGetThr::WaitForAll(5000));
  EXPECT_EQ(TPostThr::Running(), 0);
  EXPECT_EQ(TGetThr::Running(), 0);
  EXPECT_EQ(server.RequestCount(), 8u);
  EXPECT_GT(peak.load(), 1);  // nothing serialises them
}

// A request to a host that never answers is ended by the shutdown at exit, long before its own
// time limit, and its receiver hears nothing.
TEST(RequestThreads, ShutdownAbortsATransferInFlight) {
  LoopbackHttpServer server([](const LoopbackHttpServer::Request&,
                               LoopbackHttpServer::Connection& c) { c.Sleep(30000); });
  WorkerRegistry registry;
  std::atomic<bool> completed{true};
  QElapsedTimer t;
  t.start();
  registry.Start(QStringLiteral("get"), [&](WorkerJob&) {
    HttpExchange ex;
    ex.url = Bytes(server.Url("/silent"));
    ex.limits.totalTimeoutMs = 25000;
    completed = HttpFetch(ex).completed;
  });
  ASSERT_TRUE(vireo::test::WaitUntil([&] { return server.RequestCount() == 1; }, 5000));
  EXPECT_TRUE(registry.Shutdown(5000));
  EXPECT_LT(t.elapsed(), 20000);  // cancelled, not ended by its own 25 s limit
  EXPECT_FALSE(completed.load());
}
