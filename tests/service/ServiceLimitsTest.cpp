#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <thread>
#include <vector>

#include "ServiceProcess.h"
#include "base/Gb18030.h"
#include "base/UrlCodec.h"

using namespace vireo;
using namespace vireo::test;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Get(int port, const QByteArray& target, const QByteArray& headers = {}) {
  return RawRequest(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers +
                              "Connection: close\r\n\r\n");
}

QByteArray Header(const QByteArray& answer, const QByteArray& name) {
  for (const QByteArray& line : answer.left(answer.indexOf("\r\n\r\n")).split('\n'))
    if (line.toLower().startsWith(QByteArray(name.toLower() + ':')))
      return line.mid(name.size() + 1).trimmed();
  return {};
}

QByteArray Body(const QByteArray& answer) {
  return answer.mid(answer.indexOf("\r\n\r\n") + 4);
}

QByteArray Upload(int port, const QString& title, const QByteArray& lyric) {
  const QByteArray body = "ltitle=" + URLEncodeText(title) + "&lsinger=&llrc=" + URLEncode(lyric);
  return RawRequest(port, "POST /mpost/lrcpost.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                          "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
                              body);
}

class ServiceLimits : public testing::Test {
 protected:
  void SetUp() override {
    track_ = QByteArray("ID3").append(QByteArray(100000 - 3, '\x5a'));
    ASSERT_NO_FATAL_FAILURE(WriteFile(Path("music/a.mp3"), track_));
    QDir().mkpath(Path("data/lyrics"));
    QDir().mkpath(Path("outside"));
    QByteArray why;
    ASSERT_TRUE(service_.Start({QStringLiteral("--music"), Path("music"), QStringLiteral("--data"),
                                Path("data")},
                               &why))
        << why.constData();
  }
  void TearDown() override { EXPECT_TRUE(service_.Stop()); }
  QString Path(const char* name) const { return root_.filePath(QString::fromUtf8(name)); }

  QTemporaryDir root_;
  ServiceProcess service_;
  QByteArray track_;
};

}  // namespace

// 64 clients (each from an address of its own) trickle a request a byte at a time and 64 more
// sockets from one address say nothing: the service still answers everyone else at once, turns
// the extra idle sockets of that one address away, and still stops at once when told to.
TEST_F(ServiceLimits, SlowAndSilentClientsKeepNoOneElseWaiting) {
  const int port = service_.Port();
  std::vector<int> slow, silent;
  for (int i = 0; i < 64; ++i) {
    const QByteArray from = "127.0.0." + QByteArray::number(10 + i);
    slow.push_back(ConnectFrom(from.constData(), port));
    ASSERT_GE(slow.back(), 0);
  }
  for (int i = 0; i < 64; ++i) {
    silent.push_back(ConnectFrom("127.0.0.200", port));
    ASSERT_GE(silent.back(), 0);
  }
  std::atomic<bool> stop{false};
  std::thread trickle([&] {
    const QByteArray request = "GET /index_sh.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Pad: ";
    for (qsizetype k = 0; !stop; ++k) {
      for (int fd : slow)
        ::send(fd, request.constData() + std::min(k, request.size() - 1), 1, MSG_NOSIGNAL);
      for (int i = 0; i < 6 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(600));  // every socket has been taken
  // The trickle goes on for as long as the test runs: a request held behind the slow ones would
  // run into RawRequest's five-second limit unanswered, and a stop that waited for them into
  // Stop's ten seconds.
  for (int i = 0; i < 10; ++i) {
    const QByteArray answer = Get(port, "/index_sh.asp");
    EXPECT_EQ(StatusOf(answer), 200) << "request " << i;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  // The silent address holds the most it may; the others were answered 503 and closed.
  int turnedAway = 0;
  std::vector<pollfd> waiting;
  for (int fd : silent) waiting.push_back({fd, POLLIN, 0});
  QElapsedTimer waited;
  waited.start();
  while (turnedAway < 64 - 16 && waited.elapsed() < 5000 &&
         ::poll(waiting.data(), waiting.size(), 200) >= 0) {
    for (pollfd& p : waiting) {
      if (p.fd < 0 || !(p.revents & (POLLIN | POLLHUP))) continue;
      char buf[256];
      const ssize_t n = ::recv(p.fd, buf, sizeof buf, MSG_DONTWAIT);
      if (n > 0 && QByteArray(buf, n).startsWith("HTTP/1.1 503")) ++turnedAway;
      p.fd = -1;
    }
  }
  EXPECT_EQ(turnedAway, 64 - 16);
  EXPECT_TRUE(service_.Stop());
  stop = true;
  trickle.join();
  for (int fd : slow) ::close(fd);
  for (int fd : silent) ::close(fd);
}

TEST_F(ServiceLimits, ByteRangesOutsideTheFileAreRefusedAndEndsBeyondItAreCut) {
  const int port = service_.Port();
  const QByteArray beyond = Get(port, "/music/a.mp3", "Range: bytes=99999999999-\r\n");
  EXPECT_EQ(StatusOf(beyond), 416);
  EXPECT_EQ(Header(beyond, "Content-Range"), QByteArray("bytes */100000"));
  EXPECT_LT(Header(beyond, "Content-Length").toLongLong(), 200);
  EXPECT_EQ(StatusOf(Get(port, "/music/a.mp3", "Range: bytes=100000-\r\n")), 416);

  const QByteArray cut = Get(port, "/music/a.mp3", "Range: bytes=99990-99999999999\r\n");
  EXPECT_EQ(StatusOf(cut), 206);
  EXPECT_EQ(Header(cut, "Content-Range"), QByteArray("bytes 99990-99999/100000"));
  EXPECT_EQ(Body(cut), track_.right(10));
  const QByteArray suffix = Get(port, "/music/a.mp3", "Range: bytes=-500000\r\n");
  EXPECT_EQ(StatusOf(suffix), 206);
  EXPECT_EQ(Body(suffix), track_);
  // A refusal is sent whole, whatever range was asked for.
  const QByteArray missing = Get(port, "/music/none.mp3", "Range: bytes=3-5\r\n");
  EXPECT_EQ(StatusOf(missing), 404);
  EXPECT_EQ(Body(missing), QByteArray("no such track: none.mp3\n"));
}

TEST_F(ServiceLimits, LyricUploadsNeverWriteThroughALinkAndKeepLongChineseTitles) {
  const int port = service_.Port();
  const QString outside = Path("outside/planted.lrc");
  ASSERT_TRUE(QFile::link(outside, Path("data/lyrics/Planted.lrc")));  // dangling
  EXPECT_EQ(StatusOf(Upload(port, QStringLiteral("Planted"), "[00:01.00]x")), 409);
  EXPECT_FALSE(QFile::exists(outside));
  // A link to a file that exists outside: the file is left as it was.
  WriteFile(Path("outside/kept.lrc"), "kept");
  ASSERT_TRUE(QFile::link(Path("outside/kept.lrc"), Path("data/lyrics/Kept.lrc")));
  EXPECT_EQ(StatusOf(Upload(port, QStringLiteral("Kept"), "[00:01.00]x")), 409);
  EXPECT_EQ(ReadFile(Path("outside/kept.lrc")), QByteArray("kept"));
  EXPECT_EQ(QDir(Path("outside")).entryList(QDir::Files).size(), 1);

  // 150 characters of Chinese: 300 bytes of GB18030, 450 of UTF-8.
  const QString title = QString(150, u'晴');
  EXPECT_EQ(StatusOf(Upload(port, title, "[00:01.00]long")), 200);
  const QStringList stored =
      QDir(Path("data/lyrics")).entryList({QStringLiteral("晴*.lrc")}, QDir::Files);
  ASSERT_EQ(stored.size(), 1);
  EXPECT_LE(stored[0].toUtf8().size(), 255);
  EXPECT_TRUE(title.startsWith(stored[0].chopped(4)));
  EXPECT_EQ(ReadFile(Path("data/lyrics/") + stored[0]), QByteArray("[00:01.00]long"));
}
