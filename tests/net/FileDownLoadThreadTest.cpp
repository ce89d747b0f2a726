#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <memory>
#include <vector>

#include "LoopbackHttpServer.h"
#include "TestEnv.h"
#include "net/TFileDownLoadThread.h"

using namespace vireo;
using vireo::test::LoopbackHttpServer;

namespace {

// What a download left beside its target besides the target itself: nothing, finished or not.
QStringList Leftovers(const QString& target) {
  const QFileInfo info(target);
  QStringList out;
  for (const QString& name : info.absoluteDir().entryList(QDir::Files | QDir::Hidden))
    if (name != info.fileName() && name.startsWith(info.fileName())) out << name;
  return out;
}

struct Report {
  qint32 current, max;
  bool onUiThread;
};

// Records every callback of one download and where it ran.
struct Recorder {
  std::vector<Report> reports;  // UI thread only
  std::atomic<bool> completed{false};
  std::atomic<int> error{0};
  std::atomic<bool> endedOnWorker{false};
  std::atomic<bool> ended{false};
  Qt::HANDLE ui = QThread::currentThreadId();
  std::function<void(TFileDownLoadThread*)> duringProgress;

  TFileDownLoadThread::ProgressHandler Progress() {
    return [this](TFileDownLoadThread* t, qint32 c, qint32 m) {
      reports.push_back({c, m, QThread::currentThreadId() == ui});
      if (duringProgress) duringProgress(t);
    };
  }
  TFileDownLoadThread::CompleteHandler Complete() {
    return [this](TFileDownLoadThread*) {
      endedOnWorker = QThread::currentThreadId() != ui;
      completed = true;
      ended = true;
    };
  }
  TFileDownLoadThread::ErrorHandler Error() {
    return [this](TFileDownLoadThread*, int code) {
      endedOnWorker = QThread::currentThreadId() != ui;
      error = code;
      ended = true;
    };
  }
};

std::string Payload(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
  return s;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Url(const LoopbackHttpServer& s, const char* path) {
  return QString::fromStdString(s.Url(path));
}

// Sends the body in pieces with pauses, so a download gives several progress reports.
LoopbackHttpServer::Handler Trickle(std::string body, bool withLength, int pieces, int pauseMs) {
  return [=](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
    std::string head = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
    if (withLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    if (!c.Write(head + "\r\n")) return;
    const size_t step = (body.size() + pieces - 1) / pieces;
    for (size_t at = 0; at < body.size(); at += step) {
      if (!c.Write(std::string_view(body).substr(at, step))) return;
      if (!c.Sleep(pauseMs)) return;
    }
  };
}

}  // namespace

TEST(TFileDownLoadThread, WritesTheFileReportingProgressOnTheUiThreadAndCompletesOnTheWorker) {
  const std::string body = Payload(300000);
  LoopbackHttpServer server(Trickle(body, true, 4, 150));
  QTemporaryDir dir;
  const QString target = dir.filePath(QStringLiteral("update/up240315"));
  Recorder r;
  TFileDownLoadThread t(Url(server, "/soft/setup.run"), false, r.Error(), r.Complete(),
                        r.Progress(), target);
  ASSERT_TRUE(test::WaitUntil([&] { return r.ended.load(); }, 10000));
  t.wait();
  EXPECT_TRUE(r.completed);
  EXPECT_TRUE(r.endedOnWorker);
  EXPECT_EQ(ReadAll(target), QByteArray::fromStdString(body));
  EXPECT_EQ(Leftovers(target), QStringList());
  ASSERT_GE(r.reports.size(), 2u);
  qint32 last = -1;
  for (const Report& rep : r.reports) {
    EXPECT_TRUE(rep.onUiThread);
    EXPECT_EQ(rep.max, 300000);
    EXPECT_GT(rep.current, last);
    last = rep.current;
  }
  EXPECT_EQ(r.reports.back().current, 300000);
  EXPECT_EQ(t.ProgressCurrent(), 300000);
  EXPECT_EQ(t.ProgressMax(), 300000);
}

TEST(TFileDownLoadThread, AnAnswerWithoutLengthReportsMaxZero) {
  const std::string body = Payload(90000);
  LoopbackHttpServer server(Trickle(body, false, 3, 120));
  QTemporaryDir dir;
  Recorder r;
  TFileDownLoadThread t(Url(server, "/x"), false, r.Error(), r.Complete(), r.Progress(),
                        dir.filePath(QStringLiteral("f")));
  ASSERT_TRUE(test::WaitUntil([&] { return r.ended.load(); }, 10000));
  t.wait();
  EXPECT_TRUE(r.completed);
  ASSERT_FALSE(r.reports.empty());
  for (const Report& rep : r.reports) EXPECT_EQ(rep.max, 0);
  EXPECT_EQ(r.reports.back().current, 90000);
  EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("f"))).size(), 90000);
}

TEST(TFileDownLoadThread, ATerminateRequestIsAnsweredAtTheNextReportAndLeavesNoFile) {
  const std::string body = Payload(400000);
  LoopbackHttpServer server(Trickle(body, true, 8, 150));
  QTemporaryDir dir;
  const QString target = dir.filePath(QStringLiteral("up"));
  QFile old(target);  // an earlier download of the same name stays as it was
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("earlier");
  old.close();
  Recorder r;
  r.duringProgress = [](TFileDownLoadThread* t) { t->requestInterruption(); };
  TFileDownLoadThread t(Url(server, "/big"), false, r.Error(), r.Complete(), r.Progress(), target);
  ASSERT_TRUE(test::WaitUntil([&] { return r.ended.load(); }, 10000));
  t.wait();
  EXPECT_FALSE(r.completed);
  EXPECT_EQ(r.error.load(), TFileDownLoadThread::kAborted);
  EXPECT_TRUE(r.endedOnWorker);
  // The report during which the request came is the one that answers it.
  EXPECT_EQ(r.reports.size(), 1u);
  EXPECT_LT(r.reports[0].current, 400000);
  EXPECT_EQ(ReadAll(target), QByteArray("earlier"));
  EXPECT_EQ(Leftovers(target), QStringList());
}

TEST(TFileDownLoadThread, FailuresReachOnErrorWithTheirCode) {
  QTemporaryDir dir;
  {
    LoopbackHttpServer server(
        [](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
          c.Write(LoopbackHttpServer::Response(404, "no such installer"));
        });
    Recorder r;
    TFileDownLoadThread t(Url(server, "/soft/missing"), false, r.Error(), r.Complete(),
                          r.Progress(), dir.filePath(QStringLiteral("a")));
    ASSERT_TRUE(test::WaitUntil([&] { return r.ended.load(); }, 10000));
    t.wait();
    EXPECT_EQ(r.error.load(), 404);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("a"))));
  }
  {
    Recorder r;
    const QString url =
        QStringLiteral("http://127.0.0.1:%1/x").arg(LoopbackHttpServer::ClosedPort());
    TFileDownLoadThread t(url, false, r.Error(), r.Complete(), r.Progress(),
                          dir.filePath(QStringLiteral("b")));
    ASSERT_TRUE(test::WaitUntil([&] { return r.ended.load(); }, 10000));
    t.wait();
    EXPECT_EQ(r.error.load(), TFileDownLoadThread::kTransferFailed);
    EXPECT_TRUE(r.reports.empty());
  }
  {
    // A connection dropped halfway is a failure, not a short file.
    LoopbackHttpServer server(
        [](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
          c.Write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nonly part");
        });
    Recorder r;
    TFileDownLoadThread t(Url(server, "/cut"), false, r.Error(), r.Complete(), r.Progress(),
                          dir.filePath(QStringLiteral("c")));
    ASSERT_TRUE(test::WaitUntil([&] { return r.ended.load(); }, 10000));
    t.wait();
    EXPECT_EQ(r.error.load(), TFileDownLoadThread::kTransferFailed);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("c"))));
  }
}

TEST(TFileDownLoadThread, WithoutAnErrorHandlerItWaitsForItsCreatorToStart) {
  LoopbackHttpServer server(
      [](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(LoopbackHttpServer::Response(200, "installer"));
      });
  QTemporaryDir dir;
  Recorder r;
  TFileDownLoadThread t(Url(server, "/i"), false, nullptr, r.Complete(), r.Progress(),
                        dir.filePath(QStringLiteral("i")));
  test::Pump(100);
  EXPECT_FALSE(t.isRunning());
  EXPECT_EQ(server.RequestCount(), 0u);
  t.start();
  ASSERT_TRUE(test::WaitUntil([&] { return r.ended.load(); }, 10000));
  t.wait();
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("i"))), QByteArray("installer"));
}

TEST(TFileDownLoadThread, DestroyingItWhileAReportWaitsEndsAtOnceWithoutCallbacks) {
  const std::string body = Payload(200000);
  LoopbackHttpServer server(Trickle(body, true, 4, 300));
  QTemporaryDir dir;
  Recorder r;
  auto t = std::make_unique<TFileDownLoadThread>(Url(server, "/x"), false, r.Error(), r.Complete(),
                                                 r.Progress(), dir.filePath(QStringLiteral("x")));
  // No events are processed, so the worker's first report waits for the UI thread.
  // The worker publishes the size it reports just before it hands the report over and waits;
  // this thread runs no event loop meanwhile, so the report cannot be answered.
  QDeadlineTimer deadline(5000);
  while (t->ProgressMax() == 0 && !deadline.hasExpired()) QThread::msleep(2);
  ASSERT_EQ(server.RequestCount(), 1u);
  ASSERT_EQ(t->ProgressMax(), 200000);
  t.reset();
  test::Pump(50);
  EXPECT_TRUE(r.reports.empty());
  EXPECT_FALSE(r.ended);
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x"))));
}
