#include "app/desktop/MprisService.h"

#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "app/desktop/DesktopEntry.h"
#include "app/desktop/IMediaPlayerHost.h"
#include "app/desktop/MprisCoverArt.h"
#include "app/desktop/MprisPlayerAdaptor.h"
#include "app/desktop/MprisRootAdaptor.h"
#include "audio/AudioCodes.h"
#include "audio/TAudioEngine.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;

constexpr auto kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr auto kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

QString FileUrl(const QString& path) {
  return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

}  // namespace

// What the desktop was last told, in plain values so that a change is found by comparing them.
struct MprisService::Shown {
  QString status, loop;
  double volume = -1;
  bool canNext = false, canPrevious = false, canPlay = false, canPause = false, canSeek = false;
  QVariantMap metadata;
  QString metadataKey;  // the metadata's values as text (its variants do not compare by value)

  QVariantMap Changes(const Shown& before) const {
    QVariantMap out;
    if (status != before.status) out[u"PlaybackStatus"_s] = status;
    if (loop != before.loop) out[u"LoopStatus"_s] = loop;
    if (volume != before.volume) out[u"Volume"_s] = volume;
    if (canNext != before.canNext) out[u"CanGoNext"_s] = canNext;
    if (canPrevious != before.canPrevious) out[u"CanGoPrevious"_s] = canPrevious;
    if (canPlay != before.canPlay) out[u"CanPlay"_s] = canPlay;
    if (canPause != before.canPause) out[u"CanPause"_s] = canPause;
    if (canSeek != before.canSeek) out[u"CanSeek"_s] = canSeek;
    if (metadataKey != before.metadataKey) out[u"Metadata"_s] = metadata;
    return out;
  }
};

MprisService::MprisService(IMediaPlayerHost* host, QObject* parent)
    : QObject(parent),
      host_(host),
      cover_(new MprisCoverArt(MprisCoverArt::DefaultCacheDir(), this)) {
  new MprisRootAdaptor(this);
  new MprisPlayerAdaptor(this);
  shown_ = std::make_unique<Shown>();
  TAudioEngine* engine = host_->Engine();
  engine_ = engine;
  if (engine) {
    connect(engine, &TAudioEngine::OnStateChange, this, &MprisService::Refresh);
    connect(engine, &TAudioEngine::OnEnd, this, &MprisService::Refresh);
    connect(engine, &TAudioEngine::OnError, this, &MprisService::Refresh);
    connect(engine, &TAudioEngine::OnStreamTitle, this, &MprisService::Refresh);
  }
  connect(cover_, &MprisCoverArt::Ready, this, [this](const QString& audio, const QString& art) {
    if (audio != artFor_) return;  // an older request
    artUrl_ = art.isEmpty() ? QString() : FileUrl(art);
    Refresh();
  });
  UpdateTrack();
  *shown_ = Current();
}

MprisService::~MprisService() {
  if (registered_) {
    bus_.unregisterObject(QLatin1StringView(kObjectPath));
    bus_.unregisterService(serviceName_);
  }
}

bool MprisService::Register(QDBusConnection bus) {
  if (!bus.isConnected()) return false;
  if (!bus.registerObject(QLatin1StringView(kObjectPath), this, QDBusConnection::ExportAdaptors))
    return false;
  bus_ = bus;
  const QString base = QLatin1StringView(kServiceName);
  const QString instance = base + u".instance"_s + QString::number(::getpid());
  for (const QString& name : {base, instance}) {
    if (bus.registerService(name)) {
      serviceName_ = name;
      registered_ = true;
      return true;
    }
  }
  bus.unregisterObject(QLatin1StringView(kObjectPath));
  return false;
}

void MprisService::Refresh() {
  if (refreshQueued_) return;
  refreshQueued_ = true;
  QTimer::singleShot(0, this, &MprisService::Announce);
}

void MprisService::Announce() {
  refreshQueued_ = false;
  UpdateTrack();
  const Shown now = Current();
  const QVariantMap changes = now.Changes(*shown_);
  *shown_ = now;
  if (changes.isEmpty() || !registered_) return;
  QDBusMessage signal = QDBusMessage::createSignal(
      QLatin1StringView(kObjectPath), u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s);
  signal << QLatin1StringView(kPlayerInterface) << changes << QStringList();
  bus_.send(signal);
}

void MprisService::NotifySeeked() {
  Q_EMIT Seeked(Position());
}

// A different current entry is a different track for the desktop; its cover is looked for anew.
void MprisService::UpdateTrack() const {
  const MediaTrack t = host_->CurrentTrack();
  const QString key =
      t.valid ? QString::number(t.index) + u'\n' + t.title + u'\n' + t.artist + u'\n' + t.fileName
              : QString();
  if (key == trackKey_) return;
  // A track cached during its download changes only its file name: still the same track.
  const bool sameSong =
      !trackKey_.isEmpty() && t.valid && trackKey_.section(u'\n', 0, 2) == key.section(u'\n', 0, 2);
  trackKey_ = key;
  if (!sameSong) ++trackSerial_;
  if (!t.valid || t.isUrl) {
    artFor_.clear();
    artUrl_.clear();
  } else if (t.fileName != artFor_) {
    artFor_ = t.fileName;
    artUrl_.clear();
    cover_->Request(t.fileName);
  }
}

MprisService::Shown MprisService::Current() const {
  Shown s;
  s.status = PlaybackStatus();
  s.loop = LoopStatus();
  s.volume = Volume();
  s.canNext = CanGoNext();
  s.canPrevious = CanGoPrevious();
  s.canPlay = CanPlay();
  s.canPause = CanPause();
  s.canSeek = CanSeek();
  s.metadata = Metadata();
  QStringList parts;
  for (auto it = s.metadata.cbegin(); it != s.metadata.cend(); ++it) {
    const QVariant& v = it.value();
    parts << it.key() + u'=' +
                 (v.canConvert<QDBusObjectPath>() ? v.value<QDBusObjectPath>().path()
                                                  : v.toStringList().join(u'\x1f') + v.toString());
  }
  s.metadataKey = parts.join(u'\n');
  return s;
}

AudioState MprisService::State() const {
  const TAudioEngine* engine = host_->Engine();
  return engine ? engine->State() : AudioState::Stopped;
}

// The engine knows the length of what it plays; an entry not (or no longer) playing has the
// length the list holds.
int MprisService::LengthMs() const {
  const MediaTrack t = host_->CurrentTrack();
  const TAudioEngine* engine = host_->Engine();
  const AudioState state = State();
  if (engine && t.valid && engine->FileName() == t.fileName &&
      (state == AudioState::Playing || state == AudioState::Paused || state == AudioState::Ended)) {
    const int length = engine->GetLength();
    if (length > 0) return length;
  }
  return t.valid ? t.lengthMs : 0;
}

QString MprisService::TrackPath() const {
  if (trackKey_.isEmpty()) return QString::fromLatin1(kNoTrack);
  return u"/org/vireo/Track/"_s + QString::number(trackSerial_);
}

void MprisService::Raise() {
  host_->Raise();
}

void MprisService::Quit() {
  host_->Quit();
}

QStringList MprisService::SupportedUriSchemes() {
  return {u"file"_s, u"http"_s, u"https"_s, u"vireo"_s};
}

// The audio types of the player's desktop entry, so the two never disagree.
QStringList MprisService::SupportedMimeTypes() {
  static const QStringList types = [] {
    QStringList out;
    const QList<QByteArray> lines = DesktopEntry::Contents(u"vireo"_s).split('\n');
    for (const QByteArray& line : lines) {
      if (!line.startsWith("MimeType=")) continue;
      for (const QByteArray& type : line.mid(9).split(';'))
        if (type.startsWith("audio/")) out << QString::fromLatin1(type);
    }
    return out;
  }();
  return types;
}

void MprisService::PlayPause() {
  host_->PlayPause();
  Refresh();
}

// The play button's rule decides: it starts a stopped or ended track and resumes a paused one;
// a playing, connecting or failed track is left alone.
void MprisService::Play() {
  const AudioState state = State();
  if (state == AudioState::Stopped || state == AudioState::Ended || state == AudioState::Paused)
    host_->PlayPause();
  Refresh();
}

void MprisService::Pause() {
  if (State() == AudioState::Playing) host_->PlayPause();
  Refresh();
}

void MprisService::Stop() {
  host_->Stop();
  Refresh();
}

void MprisService::Next() {
  host_->Next();
  Refresh();
}

void MprisService::Previous() {
  host_->Previous();
  Refresh();
}

void MprisService::Seek(qlonglong offsetUs) {
  if (!CanSeek()) return;
  const TAudioEngine* engine = host_->Engine();
  const qint64 length = LengthMs();
  qint64 target = engine->GetPosition() + offsetUs / 1000;
  if (target < 0) target = 0;
  // Past the end is what the next button does.
  if (target > length) {
    host_->Next();
    return;
  }
  host_->SeekTo(static_cast<int>(target));
  Q_EMIT Seeked(target * 1000);
}

void MprisService::SetPosition(const QString& trackId, qlonglong positionUs) {
  UpdateTrack();
  if (!CanSeek() || trackId != TrackPath()) return;  // a stale id: the track has changed
  if (positionUs < 0 || positionUs / 1000 > LengthMs()) return;
  host_->SeekTo(static_cast<int>(positionUs / 1000));
  Q_EMIT Seeked(positionUs);
}

QString MprisService::OpenUri(const QString& uri) {
  const QUrl url(uri);
  const QString scheme = url.scheme().toLower();
  const QString name = scheme == u"file"_s ? url.toLocalFile() : uri;
  QString error;
  if (!SupportedUriSchemes().contains(scheme))
    error = u"unsupported address: "_s + uri;
  else if (name.isEmpty() || !host_->OpenUri(name))
    error = u"cannot open "_s + uri;
  if (!error.isEmpty() && calledFromDBus()) sendErrorReply(QDBusError::InvalidArgs, error);
  Refresh();
  return error;
}

QString MprisService::PlaybackStatus() const {
  switch (State()) {
    case AudioState::Playing:
    case AudioState::Connecting:  // asked to play; the sound is on its way
      return u"Playing"_s;
    case AudioState::Paused:
      return u"Paused"_s;
    default:
      return u"Stopped"_s;
  }
}

QString MprisService::LoopStatus() const {
  switch (host_->PlayMode()) {
    case TPlayMode::RepeatList:
      return u"Playlist"_s;
    case TPlayMode::RepeatTrack:
      return u"Track"_s;
    default:
      return u"None"_s;
  }
}

void MprisService::SetLoopStatus(const QString& status) {
  const TPlayMode mode = host_->PlayMode();
  TPlayMode wanted;
  if (status == u"None"_s) {
    if (mode == TPlayMode::InOrder || mode == TPlayMode::StopAfterTrack) return;
    wanted = TPlayMode::InOrder;
  } else if (status == u"Playlist"_s) {
    wanted = TPlayMode::RepeatList;
  } else if (status == u"Track"_s) {
    wanted = TPlayMode::RepeatTrack;
  } else {
    return;
  }
  if (wanted != mode) host_->SetPlayMode(wanted);
  Refresh();
}

double MprisService::Volume() const {
  return std::clamp(host_->Volume(), 0, 100) / 100.0;
}

void MprisService::SetVolume(double volume) {
  if (!std::isfinite(volume)) return;
  host_->SetVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100.0)));
  Refresh();
}

qlonglong MprisService::Position() const {
  const TAudioEngine* engine = host_->Engine();
  return engine ? static_cast<qlonglong>(engine->GetPosition()) * 1000 : 0;
}

QVariantMap MprisService::Metadata() const {
  UpdateTrack();
  QVariantMap m;
  m[u"mpris:trackid"_s] = QVariant::fromValue(QDBusObjectPath(TrackPath()));
  const MediaTrack t = host_->CurrentTrack();
  if (!t.valid) return m;
  QString title = t.title;
  QString artist = t.artist;
  QString album = t.album;
  // A station names the song it plays now, by convention "Artist - Title"; the station's own
  // name then stands where an album would.
  const TAudioEngine* engine = host_->Engine();
  const QString streamTitle = engine ? engine->StreamTitle() : QString();
  if (!streamTitle.isEmpty() && engine->FileName() == t.fileName) {
    const qsizetype dash = streamTitle.indexOf(u" - "_s);
    if (album.isEmpty()) album = t.title;
    if (dash > 0) {
      artist = streamTitle.left(dash).trimmed();
      title = streamTitle.mid(dash + 3).trimmed();
    } else {
      title = streamTitle;
    }
  }
  m[u"xesam:title"_s] = title;
  if (!artist.isEmpty()) m[u"xesam:artist"_s] = QStringList{artist};
  if (!album.isEmpty()) m[u"xesam:album"_s] = album;
  const int length = LengthMs();
  if (length > 0) m[u"mpris:length"_s] = static_cast<qlonglong>(length) * 1000;
  m[u"xesam:url"_s] = t.isUrl ? t.fileName : FileUrl(t.fileName);
  if (!artUrl_.isEmpty() && t.fileName == artFor_) m[u"mpris:artUrl"_s] = artUrl_;
  return m;
}

bool MprisService::CanGoNext() const {
  return host_->EntryCount() > 0;
}

bool MprisService::CanGoPrevious() const {
  return host_->EntryCount() > 0;
}

bool MprisService::CanPlay() const {
  return host_->EntryCount() > 0;
}

bool MprisService::CanPause() const {
  return host_->EntryCount() > 0;
}

// Only a track with a known length can be moved in; a radio stream cannot.
bool MprisService::CanSeek() const {
  const AudioState state = State();
  return (state == AudioState::Playing || state == AudioState::Paused) && LengthMs() > 0 &&
         host_->Engine() && host_->Engine()->GetLength() > 0;
}

}  // namespace vireo
