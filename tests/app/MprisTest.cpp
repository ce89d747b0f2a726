#include <gtest/gtest.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

#include "../audio/MediaFactory.h"
#include "LoopbackHttpServer.h"
#include "MprisSpy.h"
#include "TestEnv.h"
#include "app/desktop/IMediaPlayerHost.h"
#include "app/desktop/MprisCoverArt.h"
#include "app/desktop/MprisService.h"
#include "audio/AudioCodes.h"
#include "audio/NullOutput.h"
#include "audio/TAudioEngine.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;
using test::MediaFactory;
using test::WaitUntil;

constexpr int kWait = 10000;

// The main window's playback rules for the buttons, over a real engine that plays into a null
// device in real time.
class FakeHost : public IMediaPlayerHost {
 public:
  struct Song {
    QString file, title, artist, album;
    int lengthMs = 0;
  };
  FakeHost() : engine_(MediaFactory::Dir(), std::make_shared<NullOutput>()) {
    engine_.SetVolume(100);
  }
  TAudioEngine* Engine() const override { return const_cast<TAudioEngine*>(&engine_); }
  void PlayPause() override {
    calls << u"PlayPause"_s;
    Button();
  }
  void Next() override {
    calls << u"Next"_s;
    if (songs.isEmpty()) return;
    if (++current >= songs.size()) current = 0;
    engine_.Stop();
    Button();
  }
  void Previous() override {
    calls << u"Previous"_s;
    if (songs.isEmpty()) return;
    if (--current >= 0) {
      engine_.Stop();
      Button();
    }
  }
  void Stop() override {
    calls << u"Stop"_s;
    engine_.Stop();
  }
  void SeekTo(int ms) override {
    calls << u"SeekTo %1"_s.arg(ms);
    engine_.SetPosition(ms);
  }
  bool OpenUri(const QString& name) override {
    calls << u"OpenUri "_s + name;
    return !name.contains(u"refused"_s);
  }
  TPlayMode PlayMode() const override { return TPlayMode(mode); }
  void SetPlayMode(TPlayMode m) override {
    calls << u"SetPlayMode %1"_s.arg(int(m));
    mode = int(m);
  }
  int Volume() const override { return volume; }
  void SetVolume(int v) override {
    calls << u"SetVolume %1"_s.arg(v);
    volume = v;
  }
  void Raise() override { calls << u"Raise"_s; }
  void Quit() override { calls << u"Quit"_s; }
  int EntryCount() const override { return static_cast<int>(songs.size()); }
  MediaTrack CurrentTrack() const override {
    MediaTrack t;
    if (current < 0 || current >= songs.size()) return t;
    const Song& s = songs[current];
    t = {true,      current, s.file, s.title, s.artist, s.album, s.file.startsWith(u"http"_s),
         s.lengthMs};
    return t;
  }

  QList<Song> songs;
  int current = -1;
  int mode = 0;
  int volume = 50;
  QStringList calls;

 private:
  // btn_playClick
  void Button() {
    if (songs.isEmpty()) return;
    switch (engine_.State()) {
      case AudioState::Stopped:
      case AudioState::Ended:
        if (current < 0) current = 0;
        engine_.Play(songs[current].file);
        break;
      case AudioState::Playing:
        engine_.Pause();
        break;
      case AudioState::Paused:
        engine_.Resume();
        break;
      default:
        break;
    }
  }
  TAudioEngine engine_;
};

// A session bus of our own for each test program, so nothing reaches the desktop's.
class PrivateBus {
 public:
  PrivateBus() {
    daemon_.start(u"dbus-daemon"_s,
                  {u"--session"_s, u"--nofork"_s, u"--nopidfile"_s, u"--print-address=1"_s});
    if (!daemon_.waitForStarted(5000)) return;
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(5000)) {
    }
    address_ = QString::fromUtf8(daemon_.readLine().trimmed());
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
  }
  ~PrivateBus() {
    daemon_.kill();
    daemon_.waitForFinished(3000);
  }
  QString Address() const { return address_; }

 private:
  QProcess daemon_;
  QString address_;
};

class MprisTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    cache_ = new QTemporaryDir();
    qputenv("XDG_CACHE_HOME", cache_->path().toUtf8());
    bus_ = new PrivateBus();
  }
  static void TearDownTestSuite() {
    delete bus_;
    delete cache_;
  }
  void SetUp() override {
    ASSERT_FALSE(bus_->Address().isEmpty()) << "no private session bus";
    host_.songs = {
        {Tone(u"mpris-a"_s, 12), u"红豆"_s, u"王菲"_s, u"唱游"_s, 12000},
        {Tone(u"mpris-b"_s, 12), u"Second"_s, u"Band"_s, QString(), 0},
        {Tone(u"mpris-c"_s, 12), u"Third"_s, QString(), QString(), 0},
    };
    service_ = std::make_unique<MprisService>(&host_);
    ASSERT_TRUE(service_->Register(QDBusConnection::sessionBus()));
    observer_ = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(bus_->Address(), u"observer"_s));
    ASSERT_TRUE(observer_->isConnected());
    observer_->connect(QString(), QString::fromLatin1(MprisService::kObjectPath),
                       u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s, &spy_,
                       SLOT(Changed(QString, QVariantMap, QStringList)));
    observer_->connect(QString(), QString::fromLatin1(MprisService::kObjectPath),
                       u"org.mpris.MediaPlayer2.Player"_s, u"Seeked"_s, &spy_,
                       SLOT(Seeked(qlonglong)));
  }
  void TearDown() override {
    observer_.reset();
    QDBusConnection::disconnectFromBus(u"observer"_s);
    service_.reset();
  }

  static QString Tone(const QString& name, double seconds) {
    return MediaFactory::Tone(name, u"mp3"_s, 440, seconds, 0.3);
  }

  // playerctl against our player; the event loop runs meanwhile, so the player can answer.
  struct Ctl {
    int code = -1;
    QString out;
  };
  Ctl Run(const QStringList& args) {
    QProcess p;
    p.start(u"playerctl"_s, QStringList{u"-p"_s, u"vireo"_s} + args);
    Ctl r;
    if (!p.waitForStarted(5000)) return r;
    WaitUntil([&] { return p.state() == QProcess::NotRunning; }, kWait);
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    return r;
  }
  QString Out(const QStringList& args) {
    const Ctl r = Run(args);
    EXPECT_EQ(r.code, 0) << args.join(u' ').toStdString();
    return r.out;
  }
  bool StatusBecomes(const QString& status) {
    return WaitUntil([&] { return Out({u"status"_s}) == status; }, kWait);
  }

  // A call from another client of the bus, answered while the event loop runs.
  QDBusMessage Call(const QString& interface, const QString& method,
                    const QVariantList& args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(
        service_->ServiceName(), QString::fromLatin1(MprisService::kObjectPath), interface, method);
    m.setArguments(args);
    QDBusPendingCall call = observer_->asyncCall(m);
    WaitUntil([&] { return call.isFinished(); }, kWait);
    return call.reply();
  }
  QVariant Get(const QString& interface, const QString& property) {
    const QDBusMessage reply =
        Call(u"org.freedesktop.DBus.Properties"_s, u"Get"_s, {interface, property});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
  }

  static inline QTemporaryDir* cache_ = nullptr;
  static inline PrivateBus* bus_ = nullptr;
  FakeHost host_;
  std::unique_ptr<MprisService> service_;
  std::unique_ptr<QDBusConnection> observer_;

  test::MprisSpy spy_;
};

TEST_F(MprisTest, RootInterfaceNamesThePlayer) {
  EXPECT_EQ(service_->ServiceName(), u"org.mpris.MediaPlayer2.vireo"_s);
  const QString root = u"org.mpris.MediaPlayer2"_s;
  EXPECT_EQ(Get(root, u"Identity"_s).toString(), u"Vireo"_s);
  EXPECT_EQ(Get(root, u"DesktopEntry"_s).toString(), u"org.vireo.Vireo"_s);
  EXPECT_TRUE(Get(root, u"CanQuit"_s).toBool());
  EXPECT_TRUE(Get(root, u"CanRaise"_s).toBool());
  EXPECT_FALSE(Get(root, u"HasTrackList"_s).toBool());
  EXPECT_EQ(Get(root, u"SupportedUriSchemes"_s).toStringList(),
            (QStringList{u"file"_s, u"http"_s, u"https"_s, u"vireo"_s}));
  const QStringList types = Get(root, u"SupportedMimeTypes"_s).toStringList();
  EXPECT_TRUE(types.contains(u"audio/mpeg"_s));
  EXPECT_TRUE(types.contains(u"audio/flac"_s));
  for (const QString& t : types) EXPECT_TRUE(t.startsWith(u"audio/"_s)) << t.toStdString();
  EXPECT_EQ(Call(root, u"Raise"_s).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(Call(root, u"Quit"_s).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(host_.calls, (QStringList{u"Raise"_s, u"Quit"_s}));
  const QString player = u"org.mpris.MediaPlayer2.Player"_s;
  EXPECT_EQ(Get(player, u"Rate"_s).toDouble(), 1.0);
  EXPECT_TRUE(Get(player, u"CanControl"_s).toBool());
}

// A second player holding the name leaves us the instance name of the convention.
TEST_F(MprisTest, TakenNameFallsBackToAnInstanceName) {
  ASSERT_TRUE(observer_->registerService(u"org.mpris.MediaPlayer2.vireo"_s) ||
              service_->ServiceName() == u"org.mpris.MediaPlayer2.vireo"_s);
  FakeHost other;
  QDBusConnection second = QDBusConnection::connectToBus(bus_->Address(), u"second"_s);
  {
    MprisService another(&other);
    ASSERT_TRUE(another.Register(second));
    EXPECT_TRUE(another.ServiceName().startsWith(u"org.mpris.MediaPlayer2.vireo.instance"_s));
  }
  QDBusConnection::disconnectFromBus(u"second"_s);
}

TEST_F(MprisTest, PlayPauseStopActAsTheButtons) {
  EXPECT_EQ(Out({u"status"_s}), u"Stopped"_s);
  Out({u"play-pause"_s});
  ASSERT_TRUE(StatusBecomes(u"Playing"_s));
  EXPECT_EQ(host_.current, 0);  // play from the stopped state starts entry 0
  ASSERT_TRUE(WaitUntil([&] { return spy_.Last(u"PlaybackStatus"_s) == u"Playing"_s; }, kWait));
  Out({u"play-pause"_s});
  ASSERT_TRUE(StatusBecomes(u"Paused"_s));
  EXPECT_EQ(host_.Engine()->State(), AudioState::Paused);
  Out({u"pause"_s});  // paused already: the button is not pressed again
  Out({u"play"_s});
  ASSERT_TRUE(StatusBecomes(u"Playing"_s));
  Out({u"play"_s});  // playing already: nothing
  EXPECT_EQ(host_.calls, (QStringList{u"PlayPause"_s, u"PlayPause"_s, u"PlayPause"_s}));
  Out({u"stop"_s});
  ASSERT_TRUE(StatusBecomes(u"Stopped"_s));
  ASSERT_TRUE(WaitUntil([&] { return spy_.Last(u"PlaybackStatus"_s) == u"Stopped"_s; }, kWait));
}

TEST_F(MprisTest, NextPreviousAndWhatIsPlaying) {
  const QString format =
      u"{{mpris:trackid}}|{{title}}|{{artist}}|{{album}}|{{mpris:length}}|"
      u"{{xesam:url}}"_s;
  Out({u"play"_s});
  ASSERT_TRUE(StatusBecomes(u"Playing"_s));
  const QStringList first = Out({u"metadata"_s, u"--format"_s, format}).split(u'|');
  ASSERT_EQ(first.size(), 6);
  EXPECT_EQ(first[1], u"红豆"_s);
  EXPECT_EQ(first[2], u"王菲"_s);
  EXPECT_EQ(first[3], u"唱游"_s);
  // The engine's length of the 12 s tone, give or take the encoder's padding.
  EXPECT_NEAR(first[4].toLongLong(), 12000000, 100000);
  EXPECT_EQ(QUrl(first[5]).toLocalFile(), host_.songs[0].file);

  Out({u"next"_s});
  ASSERT_TRUE(WaitUntil([&] { return Out({u"metadata"_s, u"title"_s}) == u"Second"_s; }, kWait));
  EXPECT_EQ(host_.current, 1);
  const QStringList second = Out({u"metadata"_s, u"--format"_s, format}).split(u'|');
  ASSERT_EQ(second.size(), 6);
  EXPECT_NE(second[0], first[0]);  // another track, another id
  EXPECT_EQ(second[2], u"Band"_s);
  ASSERT_TRUE(WaitUntil([&] { return spy_.Last(u"Metadata"_s).isValid(); }, kWait));

  // Previous from the first entry leaves no entry current while the track plays on.
  Out({u"previous"_s});
  ASSERT_TRUE(WaitUntil([&] { return Out({u"metadata"_s, u"title"_s}) == u"红豆"_s; }, kWait));
  Out({u"previous"_s});
  EXPECT_EQ(host_.current, -1);
  const QVariantMap none = qdbus_cast<QVariantMap>(
      Get(u"org.mpris.MediaPlayer2.Player"_s, u"Metadata"_s).value<QDBusArgument>());
  EXPECT_EQ(none.value(u"mpris:trackid"_s).value<QDBusObjectPath>().path(),
            u"/org/mpris/MediaPlayer2/TrackList/NoTrack"_s);
  EXPECT_FALSE(none.contains(u"xesam:title"_s));
  EXPECT_EQ(Out({u"status"_s}), u"Playing"_s);
  // Next from there wraps round to the first entry, as the button does.
  Out({u"next"_s});
  EXPECT_EQ(host_.current, 0);
}

TEST_F(MprisTest, PositionAndSeeking) {
  EXPECT_EQ(Out({u"position"_s}).toDouble(), 0.0);
  Out({u"play"_s});
  ASSERT_TRUE(StatusBecomes(u"Playing"_s));
  ASSERT_TRUE(WaitUntil([&] { return spy_.Last(u"CanSeek"_s) == true; }, kWait));
  Out({u"position"_s, u"6"_s});  // SetPosition with the current track id
  EXPECT_TRUE(host_.calls.contains(u"SeekTo 6000"_s)) << host_.calls.join(u',').toStdString();
  ASSERT_TRUE(WaitUntil([&] { return !spy_.seeks.isEmpty(); }, kWait));
  EXPECT_EQ(spy_.seeks.last(), 6000000);
  const double at = Out({u"position"_s}).toDouble();
  EXPECT_GE(at, 6.0);
  EXPECT_LT(at, 8.0);
  Out({u"position"_s, u"2-"_s});  // Seek by an offset
  ASSERT_TRUE(WaitUntil([&] { return spy_.seeks.size() == 2; }, kWait));
  EXPECT_NEAR(spy_.seeks.last(), 4000000, 1000000);
  // Past the end is the next button.
  Out({u"position"_s, u"30+"_s});
  EXPECT_EQ(host_.calls.last(), u"Next"_s);
  EXPECT_EQ(host_.current, 1);
  // A position for a track that is no longer current is ignored.
  const qsizetype before = host_.calls.size();
  EXPECT_EQ(
      Call(u"org.mpris.MediaPlayer2.Player"_s, u"SetPosition"_s,
           {QVariant::fromValue(QDBusObjectPath(u"/org/vireo/Track/999"_s)), qlonglong(1000000)})
          .type(),
      QDBusMessage::ReplyMessage);
  EXPECT_EQ(host_.calls.size(), before);
  // A user's own seek is announced when the window says so.
  service_->NotifySeeked();
  ASSERT_TRUE(WaitUntil([&] { return spy_.seeks.size() == 3; }, kWait));
}

TEST_F(MprisTest, LoopStatusFollowsThePlayMode) {
  EXPECT_EQ(Out({u"loop"_s}), u"None"_s);
  Out({u"loop"_s, u"Playlist"_s});
  EXPECT_EQ(host_.mode, 2);
  Out({u"loop"_s, u"Track"_s});
  EXPECT_EQ(host_.mode, 3);
  ASSERT_TRUE(WaitUntil([&] { return spy_.Last(u"LoopStatus"_s) == u"Track"_s; }, kWait));
  Out({u"loop"_s, u"None"_s});
  EXPECT_EQ(host_.mode, 0);
  // Stop-after-the-track has no loop status of its own: it reads None and stays as it is.
  host_.mode = 1;
  service_->Refresh();
  EXPECT_EQ(Out({u"loop"_s}), u"None"_s);
  Out({u"loop"_s, u"None"_s});
  EXPECT_EQ(host_.mode, 1);
  // The window changed the mode itself and says so.
  host_.mode = 2;
  service_->Refresh();
  ASSERT_TRUE(WaitUntil([&] { return spy_.Last(u"LoopStatus"_s) == u"Playlist"_s; }, kWait));
  EXPECT_EQ(host_.calls, (QStringList{u"SetPlayMode 2"_s, u"SetPlayMode 3"_s, u"SetPlayMode 0"_s}));
}

TEST_F(MprisTest, VolumeIsTheSliderAsAFraction) {
  EXPECT_EQ(Out({u"volume"_s}).toDouble(), 0.5);
  Out({u"volume"_s, u"0.8"_s});
  EXPECT_EQ(host_.volume, 80);
  ASSERT_TRUE(WaitUntil([&] { return spy_.Last(u"Volume"_s) == 0.8; }, kWait));
  Out({u"volume"_s, u"0.05-"_s});
  EXPECT_EQ(host_.volume, 75);
  // Out of range from a careless client: held to the slider's ends.
  Call(u"org.freedesktop.DBus.Properties"_s, u"Set"_s,
       {u"org.mpris.MediaPlayer2.Player"_s, u"Volume"_s, QVariant::fromValue(QDBusVariant(3.5))});
  EXPECT_EQ(host_.volume, 100);
  Call(u"org.freedesktop.DBus.Properties"_s, u"Set"_s,
       {u"org.mpris.MediaPlayer2.Player"_s, u"Volume"_s, QVariant::fromValue(QDBusVariant(-1.0))});
  EXPECT_EQ(host_.volume, 0);
  host_.volume = 33;
  service_->Refresh();
  ASSERT_TRUE(WaitUntil([&] { return spy_.Last(u"Volume"_s) == 0.33; }, kWait));
}

TEST_F(MprisTest, EmbeddedCoverBecomesArtUrl) {
  // A copy of the first tone with a front cover in its ID3v2 tag.
  const QString tagged = MediaFactory::Dir() + u"/mpris-cover.mp3"_s;
  QFile::remove(tagged);
  ASSERT_TRUE(QFile::copy(host_.songs[0].file, tagged));
  const QByteArray png("\x89PNG\r\n\x1a\n-not-really-a-picture-but-bytes", 38);
  {
    TagLib::MPEG::File f(QFile::encodeName(tagged).constData());
    auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
    frame->setMimeType("image/png");
    frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    frame->setPicture(TagLib::ByteVector(png.constData(), static_cast<unsigned>(png.size())));
    f.ID3v2Tag(true)->addFrame(frame);
    ASSERT_TRUE(f.save());
  }
  EXPECT_TRUE(MprisCoverArt::Extract(host_.songs[0].file, cache_->path()).isEmpty());
  const QString direct = MprisCoverArt::Extract(tagged, cache_->path() + u"/direct"_s);
  EXPECT_TRUE(direct.endsWith(u".png"_s)) << direct.toStdString();
  host_.songs[0].file = tagged;
  Out({u"play"_s});
  QString art;
  ASSERT_TRUE(WaitUntil(
      [&] {
        art = Run({u"metadata"_s, u"mpris:artUrl"_s}).out;
        return !art.isEmpty();
      },
      kWait));
  const QString picture = QUrl(art).toLocalFile();
  EXPECT_TRUE(picture.startsWith(cache_->path() + u"/vireo/covers/"_s)) << art.toStdString();
  EXPECT_TRUE(picture.endsWith(u".png"_s));
  QFile f(picture);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), png);
  // A file without a cover has no art address.
  Out({u"next"_s});
  ASSERT_TRUE(WaitUntil([&] { return Out({u"metadata"_s, u"title"_s}) == u"Second"_s; }, kWait));
  EXPECT_TRUE(WaitUntil([&] { return Run({u"metadata"_s, u"mpris:artUrl"_s}).out.isEmpty(); }, kWait));
}

TEST_F(MprisTest, OpenUriHandsPathsAndAddresses) {
  Out({u"open"_s, u"file:///tmp/a%20b/%E7%BA%A2.mp3"_s});
  Out({u"open"_s, u"http://127.0.0.1:1/live?x=1"_s});
  EXPECT_EQ(host_.calls,
            (QStringList{u"OpenUri /tmp/a b/红.mp3"_s, u"OpenUri http://127.0.0.1:1/live?x=1"_s}));
  host_.calls.clear();
  const QDBusMessage ftp =
      Call(u"org.mpris.MediaPlayer2.Player"_s, u"OpenUri"_s, {u"ftp://127.0.0.1/a.mp3"_s});
  EXPECT_EQ(ftp.type(), QDBusMessage::ErrorMessage);
  const QDBusMessage refused =
      Call(u"org.mpris.MediaPlayer2.Player"_s, u"OpenUri"_s, {u"file:///refused.mp3"_s});
  EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(host_.calls, (QStringList{u"OpenUri /refused.mp3"_s}));
}

TEST_F(MprisTest, EmptyListCanDoNothing) {
  host_.songs.clear();
  service_->Refresh();
  ASSERT_TRUE(WaitUntil([&] { return spy_.Last(u"CanPlay"_s) == false; }, kWait));
  const QString player = u"org.mpris.MediaPlayer2.Player"_s;
  EXPECT_FALSE(Get(player, u"CanGoNext"_s).toBool());
  EXPECT_FALSE(Get(player, u"CanPause"_s).toBool());
  EXPECT_FALSE(Get(player, u"CanSeek"_s).toBool());
  Run({u"play"_s});  // playerctl itself may refuse, seeing CanPlay false
  Call(player, u"Play"_s);
  test::Pump(200);
  EXPECT_EQ(Out({u"status"_s}), u"Stopped"_s);
  EXPECT_EQ(host_.Engine()->State(), AudioState::Stopped);
}

// A station names its songs in the stream: the desktop shows the song, the station as the album.
TEST_F(MprisTest, RadioShowsTheSongTheStationNames) {
  QFile tone(host_.songs[0].file);
  ASSERT_TRUE(tone.open(QIODevice::ReadOnly));
  const std::string audio = tone.readAll().toStdString();
  std::string body;
  for (size_t at = 0; at < audio.size(); at += 4096) {
    body += audio.substr(at, 4096);
    if (at + 4096 > audio.size()) break;
    if (at == 0) {
      std::string meta = "StreamTitle='Band - Song On Air';";
      meta.resize(48, '\0');
      body += std::string(1, '\3') + meta;
    } else {
      body += std::string(1, '\0');
    }
  }
  test::LoopbackHttpServer server(
      [&](const test::LoopbackHttpServer::Request&, test::LoopbackHttpServer::Connection& c) {
        c.Write("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-metaint: 4096\r\n\r\n");
        for (size_t at = 0; at < body.size(); at += 8192)
          if (!c.Write(body.substr(at, 8192)) || !c.Sleep(300)) return;
      });
  host_.songs = {
      {QString::fromStdString(server.Url("/live")), u"Loop FM"_s, QString(), QString(), 0}};
  Out({u"play"_s});
  ASSERT_TRUE(WaitUntil(
      [&] {
        return Run({u"metadata"_s, u"title"_s}).out == u"Song On Air"_s;
      },
      kWait));
  EXPECT_EQ(Out({u"metadata"_s, u"artist"_s}), u"Band"_s);
  EXPECT_EQ(Out({u"metadata"_s, u"album"_s}), u"Loop FM"_s);
  EXPECT_EQ(Out({u"metadata"_s, u"xesam:url"_s}), host_.songs[0].file);
  EXPECT_EQ(Out({u"status"_s}), u"Playing"_s);
  EXPECT_FALSE(Get(u"org.mpris.MediaPlayer2.Player"_s, u"CanSeek"_s).toBool());
  Out({u"stop"_s});
}

}  // namespace
}  // namespace vireo
