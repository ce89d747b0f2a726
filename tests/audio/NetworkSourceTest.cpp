#include <gtest/gtest.h>

#include <QThread>

#include "LoopbackHttpServer.h"
#include "audio/AudioCodes.h"
#include "audio/NetworkSource.h"

using namespace vireo;
using vireo::test::LoopbackHttpServer;

TEST(NetworkSource, AStreamWithoutALengthNeverHoldsMoreThanItsRing) {
  std::atomic<bool> stop{false};
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write("HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nConnection: close\r\n\r\n");
        const std::string piece(64 << 10, '\x55');
        while (!stop.load() && c.Write(piece)) {
        }
      });
  std::atomic<qint64> passed{0};
  NetworkSource source(QByteArray::fromStdString(server.Url("/radio")),
                       [&](const char* d, int n) { passed += d ? n : 0; });
  source.Start();
  ASSERT_EQ(source.WaitForAnswer(), 0);
  EXPECT_FALSE(source.Seekable());
  EXPECT_EQ(source.ContentLength(), -1);
  QThread::msleep(400);  // nobody reads: the download must wait
  const int64_t held = source.Arrived();
  EXPECT_LE(held, 1 << 20);
  EXPECT_GE(held, 512 << 10);
  // Reading makes room and the download goes on.
  std::vector<uint8_t> buf(256 << 10);
  int64_t read = 0;
  while (read < (3 << 20)) {
    const int n = source.Read(buf.data(), static_cast<int>(buf.size()));
    ASSERT_GT(n, 0);
    read += n;
  }
  EXPECT_LE(source.Arrived() - read, 1 << 20);
  EXPECT_GE(passed.load() + (64 << 10), read);  // the handler hears of a chunk once all of it is in
  stop = true;
  source.Cancel();
  EXPECT_EQ(source.Read(buf.data(), 16), -1);
}

TEST(NetworkSource, AWholeFileSeeksAnywhereAndReportsItsSize) {
  std::string body(100000, '\0');
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i % 251);
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(LoopbackHttpServer::Response(200, body));
      });
  NetworkSource source(QByteArray::fromStdString(server.Url("/f.bin")));
  source.Start();
  ASSERT_EQ(source.WaitForAnswer(), 0);
  EXPECT_TRUE(source.Seekable());
  EXPECT_EQ(source.Seek(0, 0x10000 /* AVSEEK_SIZE */), 100000);
  EXPECT_EQ(source.Seek(99990, SEEK_SET), 99990);
  uint8_t b[32];
  int got = 0;
  while (got < 10) {
    const int n = source.Read(b + got, 32 - got);
    ASSERT_GT(n, 0);
    got += n;
  }
  EXPECT_EQ(got, 10);
  EXPECT_EQ(b[0], static_cast<uint8_t>(99990 % 251));
  EXPECT_EQ(source.Read(b, 32), 0);  // the end
  EXPECT_EQ(source.Seek(-100, SEEK_END), 99900);
  EXPECT_EQ(source.Seek(200000, SEEK_SET), -1);
  EXPECT_FALSE(NetworkSource::IsNetworkName("/home/x.mp3"));
  EXPECT_TRUE(NetworkSource::IsNetworkName("HTTPS://a/b"));
}
