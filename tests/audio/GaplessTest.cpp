// Two halves of one continuous tone played one after the other through the real engine, on a
// sound server of the test's own, while its null sink's monitor is recorded: the seam must not
// be heard (no silence, no step larger than the tone's own), the events keep their order, and
// what the user does near the seam stays immediate and correct.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include "EngineRecorder.h"
#include "LoopbackHttpServer.h"
#include "MediaFactory.h"
#include "MonitorRecording.h"
#include "PrivatePulse.h"
#include "SeamMeter.h"
#include "TestEnv.h"
#include "audio/PulseOutput.h"
#include "audio/TAudioEngine.h"

using namespace vireo;
using vireo::test::EngineRecorder;
using vireo::test::LoopbackHttpServer;
using vireo::test::MediaFactory;
using vireo::test::MonitorRecording;
using vireo::test::PrivatePulse;
using vireo::test::Pump;
using vireo::test::Seam;
using vireo::test::WaitUntil;

namespace {

// 441 Hz: a period of exactly 100 frames, so the cut at frame 44125 lies on a crest.
constexpr int kHz = 441;
constexpr int kCut = 44125;
constexpr int kSecondFrames = 44100;
constexpr double kAmplitude = 0.5;

// One half of the tone in a format: the first kCut frames, or the kSecondFrames after them.
QString Half(const QString& name, const QString& ext, bool second, const QStringList& codec = {},
             const QStringList& firstExtra = {}, const QStringList& secondExtra = {}) {
  return MediaFactory::SplitTone(QStringLiteral("gapless-") + name, ext, kHz, kCut, kSecondFrames,
                                 kAmplitude, codec, firstExtra, secondExtra)[second ? 1 : 0];
}
QString Half(const QString& ext, bool second) {
  return Half(ext, ext, second);
}

// iTunes gapless data as an encoder writes it: priming, padding and the track's sample count.
QStringList ItunesGapless(int samples) {
  return {QStringLiteral("-metadata"),
          QStringLiteral("iTunSMPB= 00000000 00000400 00000000 %1 00000000 00000000")
              .arg(samples, 16, 16, QLatin1Char('0'))
              .toUpper()
              .replace(QStringLiteral("ITUNSMPB"), QStringLiteral("iTunSMPB")),
          QStringLiteral("-movflags"), QStringLiteral("use_metadata_tags")};
}

Seam Inspect(const QByteArray& raw) {
  return Seam::Inspect(raw, kHz, kAmplitude);
}

// An engine on its own daemon, the monitor recorded; the end handler plays what comes next as
// the main window does.
class Gapless : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pulse_.Start());
    engine_ = std::make_unique<TAudioEngine>(MediaFactory::Dir(),
                                             std::make_shared<PulseOutput>(pulse_.Address()));
    rec_.Attach(*engine_);
    engine_->SetVolume(100);
    QObject::connect(engine_.get(), &TAudioEngine::OnEnd, &rec_.context, [this](AudioState) {
      if (!then_.isEmpty()) engine_->Play(std::exchange(then_, QString()));
    });
    QObject::connect(engine_.get(), &TAudioEngine::OnStateChange, &rec_.context, [this](AudioState s) {
      if (s == AudioState::Playing) positionsAtStart_ << engine_->GetPosition();
    });
  }
  void TearDown() override { engine_.reset(); }

  void StartRecording() {
    ASSERT_TRUE(recording_.Start(pulse_.Address(),
                                 MediaFactory::Dir() + QStringLiteral("/gapless-monitor.raw")));
    Pump(300);
  }
  QByteArray StopRecording() {
    Pump(300);
    return recording_.Stop();
  }
  // Plays a, with b prepared and played by the end handler; true once b has ended too.
  bool PlayBoth(const QString& a, const QString& b) {
    then_ = b;
    engine_->Play(a);
    if (!WaitUntil([&] { return engine_->State() == AudioState::Playing; }, 10000)) return false;
    engine_->PrepareNext(b);
    return WaitUntil([&] { return rec_.events.count(QStringLiteral("end 1004")) == 2; }, 15000);
  }

  PrivatePulse pulse_;
  EngineRecorder rec_;
  std::unique_ptr<TAudioEngine> engine_;
  MonitorRecording recording_;
  QString then_;
  QList<int> positionsAtStart_;
};

struct Format {
  const char* name;
  const char* ext;
  QStringList codec;
  // A lossy codec's halves, coded apart, do not meet exactly (each rises from the silence it
  // was coded in and falls into the one after it), nor do halves resampled apart: the seam may step as far as the ffmpeg
  // command's own decode of the two halves, each cut to its length and joined sample by sample,
  // does. Otherwise (and for Ogg Vorbis, whose end that decode cuts short) no step larger than
  // the tone's own, with room for the recording's rounding.
  bool lossy = false;
  QStringList firstExtra = {}, secondExtra = {};
};

// The largest step a correct decoder gives at the seam of the two halves.
int JoinedStep(const QString& a, const QString& b) {
  const QByteArray joined = MediaFactory::Decode(a, kCut) + MediaFactory::Decode(b, kSecondFrames);
  return Inspect(joined).largestStep;
}

class GaplessFormat : public Gapless, public testing::WithParamInterface<Format> {};

}  // namespace

TEST_P(GaplessFormat, TheSecondHalfFollowsTheFirstWithoutASeam) {
  const Format& f = GetParam();
  const QString name = QString::fromLatin1(f.name), ext = QString::fromLatin1(f.ext);
  const QString a = Half(name, ext, false, f.codec, f.firstExtra, f.secondExtra);
  const QString b = Half(name, ext, true, f.codec, f.firstExtra, f.secondExtra);
  StartRecording();
  ASSERT_TRUE(PlayBoth(a, b)) << rec_.events.join(u',').toStdString();
  const Seam seam = Inspect(StopRecording());
  EXPECT_EQ(seam.quietMs, 0) << f.name;
  const int own = seam.toneStep * 3 / 2;
  const int joined = f.lossy ? JoinedStep(a, b) : 0;
  EXPECT_LE(seam.largestStep, std::max(own, joined + seam.toneStep / 8))
      << f.name << " (the tone's own: " << seam.toneStep << ", the halves decoded apart: " << joined
      << ")";
  // Both halves were heard (the monitor may miss the very first moments of a stream).
  EXPECT_GT(seam.toneFrames, kCut + kSecondFrames - 44100 / 4) << f.name;
  // The events as after any end and start; the second half starts from 0.
  EXPECT_EQ(rec_.events.filter(QStringLiteral("state")).join(u','),
            QStringLiteral("state 1002,state 1002")) << rec_.events.join(u',').toStdString();
  ASSERT_EQ(positionsAtStart_.size(), 2);
  EXPECT_LT(positionsAtStart_[1], 200);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, GaplessFormat,
    testing::Values(
        Format{"wav", "wav", {}}, Format{"flac", "flac", {}},
        Format{"mp3", "mp3", {QStringLiteral("-b:a"), QStringLiteral("192k")}, true},
        Format{"ogg", "ogg", {QStringLiteral("-c:a"), QStringLiteral("libvorbis")}},
        Format{"opus", "opus", {QStringLiteral("-c:a"), QStringLiteral("libopus")}, true},
        Format{"m4a_itunes", "m4a", {QStringLiteral("-c:a"), QStringLiteral("aac")}, true,
               ItunesGapless(kCut), ItunesGapless(kSecondFrames)},
        // As FFmpeg writes it: the priming and the end in the edit list only.
        Format{"m4a_editlist", "m4a", {QStringLiteral("-c:a"), QStringLiteral("aac")}, true},
        // A change of sample rate between the tracks: the second at 48000 Hz.
        Format{"wav_to_48000", "wav", {}, true, {}, {QStringLiteral("-ar"), QStringLiteral("48000")}}),
    [](const testing::TestParamInfo<Format>& p) { return std::string(p.param.name); });

// A network stream next is connected shortly before the seam and follows in the same sink: the
// tone goes on without a gap of 50 ms (none, unless its connect came too late), and the stream's
// events come after the end as after any open of it.
TEST_F(Gapless, ANetworkStreamNextFollowsWithinFiftyMilliseconds) {
  const QString a = Half(QStringLiteral("wav"), false);
  QFile mp3(Half(QStringLiteral("mp3-stream"), QStringLiteral("mp3"), true,
                 {QStringLiteral("-b:a"), QStringLiteral("192k")}));
  ASSERT_TRUE(mp3.open(QIODevice::ReadOnly));
  const std::string song = mp3.readAll().toStdString();
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(LoopbackHttpServer::Response(200, song, {{"Content-Type", "audio/mpeg"}}));
      });
  StartRecording();
  ASSERT_TRUE(PlayBoth(a, QString::fromStdString(server.Url("/next.mp3"))))
      << rec_.events.join(u',').toStdString();
  const Seam seam = Inspect(StopRecording());
  EXPECT_LT(seam.quietMs, 50);
  EXPECT_GT(seam.toneFrames, kCut + kSecondFrames - 44100 / 4);
  // As after any open of a stream: the end, connecting, the chunks, playing; the download was
  // whole before the seam, so all of it comes before the start.
  EXPECT_EQ(rec_.events.mid(0, rec_.events.lastIndexOf(QStringLiteral("state 1002")) + 1)
                .join(u',')
                .replace(QRegularExpression(QStringLiteral("(,chunk(?!-))+")), QStringLiteral(",chunk")),
            QStringLiteral("state 1002,end 1004,state 1005,chunk,chunk-end,state 1002"))
      << rec_.events.join(u',').toStdString();
  EXPECT_LT(positionsAtStart_.value(1, 1000), 200);
  EXPECT_TRUE(engine_->FileName().startsWith(QStringLiteral("http://")));
}

// A network next withdrawn after it connected is not heard, and nothing of it reaches the
// player: no connecting state, no chunk (the player would keep them as the next track's copy).
TEST_F(Gapless, AWithdrawnNetworkNextPassesNothingOn) {
  const QString a = Half(QStringLiteral("wav"), false);
  const std::string song(64 << 10, '\0');
  LoopbackHttpServer server(
      [&](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(LoopbackHttpServer::Response(200, song, {{"Content-Type", "audio/mpeg"}}));
      });
  engine_->Play(a);
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, 10000));
  engine_->PrepareNext(QString::fromStdString(server.Url("/next.mp3")));
  ASSERT_TRUE(WaitUntil([&] { return server.RequestCount() == 1; }, 10000));
  Pump(100);
  engine_->PrepareNext(QString());
  ASSERT_TRUE(WaitUntil([&] { return rec_.events.contains(QStringLiteral("end 1004")); }, 10000));
  Pump(300);
  EXPECT_EQ(rec_.events.join(u','), QStringLiteral("state 1002,end 1004"));
  EXPECT_EQ(engine_->FileName(), a);
}

// Dropped before the seam, the next track is not played: the first ends as it always did.
TEST_F(Gapless, ANextTrackWithdrawnBeforeTheSeamIsNotPlayed) {
  const QString a = Half(QStringLiteral("wav"), false), b = Half(QStringLiteral("wav"), true);
  engine_->Play(a);
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, 10000));
  engine_->PrepareNext(b);
  ASSERT_TRUE(WaitUntil([&] { return engine_->GetPosition() > 700; }, 10000));
  engine_->PrepareNext(QString());  // the list changed: nothing follows
  ASSERT_TRUE(WaitUntil([&] { return rec_.events.contains(QStringLiteral("end 1004")); }, 10000));
  EXPECT_EQ(engine_->FileName(), a);
  EXPECT_GE(engine_->GetPosition(), 900);
  Pump(300);
  EXPECT_EQ(engine_->State(), AudioState::Ended);
  EXPECT_EQ(rec_.events.count(QStringLiteral("end 1004")), 1);
}

// A seek in the last moments, after the next track was already decoded into the sink, plays
// the current track from there; so does a pause and resume, and the track then ends once.
TEST_F(Gapless, ASeekOrAPauseNearTheSeamKeepsTheCurrentTrack) {
  const QString a = Half(QStringLiteral("flac"), false), b = Half(QStringLiteral("flac"), true);
  engine_->Play(a);
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, 10000));
  engine_->PrepareNext(b);
  ASSERT_TRUE(WaitUntil([&] { return engine_->GetPosition() > 850; }, 10000));
  engine_->SetPosition(200);
  Pump(100);
  EXPECT_EQ(engine_->FileName(), a);
  EXPECT_LT(engine_->GetPosition(), 600);
  EXPECT_EQ(engine_->GetLength(), 1000);
  engine_->PrepareNext(b);
  ASSERT_TRUE(WaitUntil([&] { return engine_->GetPosition() > 850; }, 10000));
  engine_->Pause();
  Pump(300);
  const int paused = engine_->GetPosition();
  EXPECT_LE(paused, 1001);
  engine_->Resume();
  ASSERT_TRUE(WaitUntil([&] { return rec_.events.contains(QStringLiteral("end 1004")); }, 10000));
  Pump(300);
  EXPECT_EQ(rec_.events.count(QStringLiteral("end 1004")), 1);
  EXPECT_EQ(engine_->FileName(), a);
}

// A next track that cannot be opened leaves the current one to end as usual; the end handler's
// open of it then fails the usual way.
TEST_F(Gapless, ANextTrackThatCannotOpenTakesTheUsualErrorPath) {
  const QString a = Half(QStringLiteral("wav"), false);
  const QString broken = MediaFactory::Write(QStringLiteral("gapless-broken.mp3"), "not audio");
  then_ = broken;
  engine_->Play(a);
  ASSERT_TRUE(WaitUntil([&] { return engine_->State() == AudioState::Playing; }, 10000));
  engine_->PrepareNext(broken);
  ASSERT_TRUE(WaitUntil([&] { return rec_.events.filter(QStringLiteral("error 1006")).size() == 1; },
                        10000))
      << rec_.events.join(u',').toStdString();
  EXPECT_EQ(rec_.events.count(QStringLiteral("end 1004")), 1);
}

// A track's end is raised when its last frame is heard (by the sound server's clock), not a
// buffer's drain later.
TEST_F(Gapless, TheEndIsRaisedWhenTheLastFrameIsHeard) {
  const QString a = Half(QStringLiteral("wav"), false);
  QElapsedTimer clock;
  qint64 firstAt = -1, endAt = -1;
  int firstPosition = 0;
  QObject::connect(engine_.get(), &TAudioEngine::OnProgress, &rec_.context,
                   [&](AudioState state, int, int position, const float*, const uint32_t*) {
                     // The last tick before the end: the nearer, the less its own jitter counts.
                     if (state == AudioState::Playing && position > 100 && endAt < 0) {
                       firstAt = clock.elapsed();
                       firstPosition = position;
                     }
                   });
  QObject::connect(engine_.get(), &TAudioEngine::OnEnd, &rec_.context,
                   [&](AudioState) { endAt = clock.elapsed(); });
  clock.start();
  engine_->Play(a);
  ASSERT_TRUE(WaitUntil([&] { return endAt >= 0; }, 10000));
  ASSERT_GE(firstAt, 0);
  const qint64 heardFor = endAt - firstAt, left = engine_->GetLength() - firstPosition;
  // 50 ms for the end, and up to a tick's lateness of the progress event it is measured from.
  EXPECT_NEAR(double(heardFor), double(left), 75.0) << "heard for " << heardFor << " ms of " << left;
}

// The first sound of a track started after a silence is heard at once, not after the sound
// server's idle latency: it reaches the monitor within 100 ms of the playing state. (The monitor
// itself runs late for its first second, so the recording is given that to settle first.)
TEST_F(Gapless, TheFirstSoundAfterASilenceComesAtTheStart) {
  const QString a = Half(QStringLiteral("wav"), false);
  const QString path = MediaFactory::Dir() + QStringLiteral("/first-sound-monitor.raw");
  ASSERT_TRUE(recording_.Start(pulse_.Address(), path));
  QFile file(path);
  ASSERT_TRUE(WaitUntil([&] { return file.size() >= 44100 * 4 * 3 / 2; }, 10000));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QElapsedTimer clock;
  qint64 playingAt = -1;
  QObject::connect(engine_.get(), &TAudioEngine::OnStateChange, &rec_.context,
                   [&](AudioState s) {
                     if (s == AudioState::Playing && playingAt < 0) playingAt = clock.elapsed();
                   });
  file.seek(file.size());
  clock.start();
  engine_->Play(a);
  qint64 heardAt = -1;
  QByteArray tail;
  ASSERT_TRUE(WaitUntil(
      [&] {
        tail += file.readAll();
        const auto* s = reinterpret_cast<const int16_t*>(tail.constData());
        for (qsizetype i = 0; i < tail.size() / 4; ++i)
          if (std::abs(int(s[2 * i])) > kAmplitude * 32767 / 10) {
            heardAt = clock.elapsed();
            return true;
          }
        tail = tail.right(tail.size() % 4);
        return false;
      },
      10000));
  ASSERT_GE(playingAt, 0);
  EXPECT_LT(heardAt - playingAt, 100) << "playing at " << playingAt << " ms, heard at " << heardAt;
}

// With volume levelling, the next track's own gain takes effect at the seam sample: the level
// steps once, there, from the first track's to the second's, with nothing in between.
TEST_F(Gapless, TheNextTracksLevellingGainStartsAtTheSeam) {
  const QStringList halves = MediaFactory::SplitTone(
      QStringLiteral("gapless-levelled"), QStringLiteral("wav"), kHz, kCut, kSecondFrames, 0.4);
  // A gain tool that measures +20 dB for the second half and 0 dB for the first.
  const QString tool = MediaFactory::Dir() + QStringLiteral("/levelling-m3g");
  QFile script(tool);
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write("#!/bin/sh\ncase \"$*\" in *levelled-b*) g=20 ;; *) g=0 ;; esac\n"
               "printf 'Track\\tLoudness\\tGain\\r\\n1\\t-20\\t%s\\t1\\r\\n' \"$g\"\n");
  script.close();
  script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
  engine_->SetGainToolPath(tool);
  engine_->SetDBGain(true);
  engine_->SetVolume(50);  // 0.5 for the first half, (50 + 20) / 100 for the second
  StartRecording();
  ASSERT_TRUE(PlayBoth(halves[0], halves[1])) << rec_.events.join(u',').toStdString();
  const QByteArray raw = StopRecording();
  const auto* s = reinterpret_cast<const int16_t*>(raw.constData());
  int first = 0, second = 0, between = 0, changes = 0, last = 0;
  for (qsizetype at = 0; at + 44 <= raw.size() / 4; at += 44) {
    int peak = 0;
    for (qsizetype i = at; i < at + 44; ++i) peak = std::max(peak, std::abs(int(s[2 * i])));
    const double level = peak / 32767.0;
    int kind = 0;
    if (std::abs(level - 0.2) < 0.01) kind = 1;
    else if (std::abs(level - 0.28) < 0.01) kind = 2;
    else if (level > 0.05) kind = 3;
    if (kind == 1) ++first;
    if (kind == 2) ++second;
    if (kind == 3) ++between;
    if ((kind == 1 || kind == 2) && last != 0 && kind != last) ++changes;
    if (kind == 1 || kind == 2) last = kind;
  }
  EXPECT_GT(first, 700);
  EXPECT_GT(second, 900);
  EXPECT_EQ(changes, 1);
  EXPECT_LE(between, 3);  // the fades of the recording's edges and the window astride the seam
}
