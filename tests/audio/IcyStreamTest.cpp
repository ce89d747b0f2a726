#include <gtest/gtest.h>

#include <QFile>

#include "EngineRecorder.h"
#include "LoopbackHttpServer.h"
#include "MediaFactory.h"
#include "TestEnv.h"
#include "audio/IcyMetadataFilter.h"
#include "audio/NetworkSource.h"
#include "audio/TAudioEngine.h"
#include "base/Gb18030.h"

using namespace vireo;
using namespace Qt::StringLiterals;
using vireo::test::LoopbackHttpServer;
using vireo::test::MediaFactory;
using vireo::test::WaitUntil;

namespace {

constexpr int kWait = 15000;

// One metadata block as a station sends it: the length byte, then the text padded with zeros to
// a multiple of 16.
std::string Block(const std::string& text) {
  std::string body = text;
  body.resize((text.size() + 15) / 16 * 16, '\0');
  return std::string(1, static_cast<char>(body.size() / 16)) + body;
}

// audio interleaved with metadata every interval bytes; titles[i] (when present and not empty)
// goes into the i-th block, an empty block elsewhere.
std::string Interleave(const std::string& audio, size_t interval,
                       const std::vector<std::string>& blocks) {
  std::string out;
  size_t block = 0;
  for (size_t at = 0; at < audio.size(); at += interval) {
    out += audio.substr(at, interval);
    if (at + interval > audio.size()) break;  // a stream cut in the middle of its audio
    const std::string text = block < blocks.size() ? blocks[block] : std::string();
    out += text.empty() ? std::string(1, '\0') : Block(text);
    ++block;
  }
  return out;
}

std::string FileBytes(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll().toStdString();
}

}  // namespace

TEST(IcyMetadataFilter, AudioComesOutWholeAndTitlesInOrderHoweverTheBytesAreCut) {
  std::string audio(1000, '\0');
  for (size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<char>(i * 7 % 256);
  const std::string stream = Interleave(
      audio, 64,
      {"StreamTitle='First Song';StreamUrl='';", "", "", "StreamTitle='Guns N' Roses - Don't Cry';",
       "StreamTitle='" + ToGb18030(u"王菲 - 红豆"_s).toStdString() + "';", "StreamUrl='http://x/';",
       "StreamTitle='';", "StreamTitle='" + std::string("周杰伦 - 晴天") + "';"});
  const QStringList expected = {u"First Song"_s, u"Guns N' Roses - Don't Cry"_s, u"王菲 - 红豆"_s,
                                QString(), u"周杰伦 - 晴天"_s};
  for (const size_t piece : {stream.size(), size_t(1), size_t(7), size_t(65), size_t(300)}) {
    IcyMetadataFilter filter(64);
    QByteArray out;
    QStringList titles;
    for (size_t at = 0; at < stream.size(); at += piece)
      filter.Feed(QByteArrayView(stream).sliced(
                      static_cast<qsizetype>(at),
                      static_cast<qsizetype>(std::min(piece, stream.size() - at))),
                  out, titles);
    EXPECT_EQ(out.toStdString(), audio) << "pieces of " << piece;
    EXPECT_EQ(titles, expected) << "pieces of " << piece;
  }
}

TEST(IcyMetadataFilter, TheIntervalHeader) {
  EXPECT_EQ(IcyMetadataFilter::MetaIntervalOf("icy-metaint: 8192"), 8192);
  EXPECT_EQ(IcyMetadataFilter::MetaIntervalOf("ICY-MetaInt:16000"), 16000);
  EXPECT_EQ(IcyMetadataFilter::MetaIntervalOf("icy-metaint: 0"), 0);
  EXPECT_EQ(IcyMetadataFilter::MetaIntervalOf("icy-metaint: -5"), 0);
  EXPECT_EQ(IcyMetadataFilter::MetaIntervalOf("icy-metaint: 99999999999"), 0);
  EXPECT_EQ(IcyMetadataFilter::MetaIntervalOf("icy-metaint: x"), 0);
  EXPECT_EQ(IcyMetadataFilter::MetaIntervalOf("icy-name: 8192"), 0);
  QString title = u"unchanged"_s;
  EXPECT_FALSE(IcyMetadataFilter::ParseTitle("StreamUrl='x';", title));
  EXPECT_EQ(title, u"unchanged"_s);
  EXPECT_TRUE(IcyMetadataFilter::ParseTitle("StreamTitle='cut off", title));
  EXPECT_EQ(title, u"cut off"_s);
}

// A station of the old kind answers "ICY 200 OK"; the bytes read are the audio alone.
TEST(IcyMetadataFilter, NetworkSourceStripsTheMetadataOfAnIcyAnswer) {
  std::string audio(50000, '\0');
  for (size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<char>(i % 253);
  const std::string body =
      Interleave(audio, 4096, {"StreamTitle='One';", "", "StreamTitle='Two';"});
  LoopbackHttpServer server([&](const LoopbackHttpServer::Request&,
                                LoopbackHttpServer::Connection& c) {
    c.Write(
        "ICY 200 OK\r\nicy-name: Loop\r\ncontent-type: audio/mpeg\r\nicy-metaint: 4096\r\n\r\n");
    c.Write(body);
  });
  std::mutex mutex;
  QStringList titles;
  std::string passed;
  NetworkSource source(QByteArray::fromStdString(server.Url("/radio")), [&](const char* d, int n) {
    std::lock_guard lock(mutex);
    if (d) passed.append(d, static_cast<size_t>(n));
  });
  source.SetTitleHandler([&](const QString& t) {
    std::lock_guard lock(mutex);
    titles << t;
  });
  source.Start();
  ASSERT_EQ(source.WaitForAnswer(), 0);
  std::string read;
  std::vector<uint8_t> buf(8192);
  for (int n; (n = source.Read(buf.data(), static_cast<int>(buf.size()))) > 0;)
    read.append(reinterpret_cast<const char*>(buf.data()), static_cast<size_t>(n));
  EXPECT_EQ(read, audio);
  std::lock_guard lock(mutex);
  EXPECT_EQ(passed, audio);
  EXPECT_EQ(titles, (QStringList{u"One"_s, u"Two"_s}));
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].Header("Icy-MetaData"), "1");
}

// A radio station heard through the real engine and sound server: the song's title changes in the
// middle of the stream and the player learns it as it happens, over the one connection.
TEST(IcyStream, TheEngineAnnouncesTitlesAsTheyChange) {
  const std::string song = FileBytes(MediaFactory::Tone(u"icy-radio"_s, u"mp3"_s, 880, 3.0, 0.5));
  ASSERT_GT(song.size(), 20000u);
  const size_t interval = 8192;
  // The first title at once, the second after about half of the audio.
  std::vector<std::string> blocks(song.size() / interval + 1);
  blocks[0] = "StreamTitle='" + ToGb18030(u"电台 - 第一首"_s).toStdString() + "';";
  blocks[blocks.size() / 2] = "StreamTitle='Band - Second Song';StreamUrl='';";
  const std::string body = Interleave(song, interval, blocks);
  LoopbackHttpServer server([&](const LoopbackHttpServer::Request& r,
                                LoopbackHttpServer::Connection& c) {
    const bool icy = r.Header("Icy-MetaData") == "1";
    c.Write(std::string("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: Loop FM\r\n") +
            (icy ? "icy-metaint: 8192\r\n" : "") + "\r\n");
    const std::string& bytes = icy ? body : song;
    // Faster than it plays, but not all at once: the titles come while the stream plays.
    for (size_t at = 0; at < bytes.size(); at += 2000) {
      if (!c.Write(bytes.substr(at, 2000)) || !c.Sleep(25)) return;
    }
  });
  TAudioEngine engine(MediaFactory::Dir());
  ASSERT_TRUE(engine.OutputReady());
  engine.SetVolume(100);
  test::EngineRecorder rec;
  rec.Attach(engine);
  QStringList titles;
  std::string downloaded;
  QObject context;
  QObject::connect(&engine, &TAudioEngine::OnStreamTitle, &context, [&](const QString& t) {
    titles << t;
    rec.events << u"title "_s + t;
  });
  QObject::connect(&engine, &TAudioEngine::OnDownload, &context, [&](const char* b, int n, void*) {
    if (b) downloaded.append(b, static_cast<size_t>(n));
  });
  engine.Play(QString::fromStdString(server.Url("/live")));
  ASSERT_TRUE(WaitUntil([&] { return rec.Has(u"end 1004"_s); }, kWait))
      << rec.events.join(u',').toStdString();
  EXPECT_EQ(titles, (QStringList{u"电台 - 第一首"_s, u"Band - Second Song"_s}));
  EXPECT_EQ(engine.StreamTitle(), u"Band - Second Song"_s);
  // The second title came while the track was playing, before its end.
  const QStringList s = rec.States();
  const qsizetype playing = s.indexOf(u"state 1002"_s);
  const qsizetype second = s.indexOf(u"title Band - Second Song"_s);
  ASSERT_GE(playing, 0);
  EXPECT_GT(second, playing);
  EXPECT_LT(second, s.indexOf(u"end 1004"_s));
  EXPECT_EQ(server.RequestCount(), 1u);
  // What the copy-keeper gets is the MP3 itself, without a byte of metadata.
  EXPECT_EQ(downloaded.size(), song.size());
  EXPECT_TRUE(downloaded == song);
  // All of it was heard: the decoder met no metadata in the frames.
  EXPECT_NEAR(rec.lastPosition, 3000, 300);

  // The next open starts without a title.
  engine.Play(MediaFactory::Tone(u"icy-after"_s, u"mp3"_s, 440, 0.5));
  EXPECT_EQ(titles.last(), QString());
  EXPECT_TRUE(engine.StreamTitle().isEmpty());
}
