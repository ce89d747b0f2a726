#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <memory>

#include "audio/AudioCodes.h"

namespace vireo {

class IMediaPlayerHost;
class MprisCoverArt;

// The player on the session bus as an MPRIS2 media player (org.mpris.MediaPlayer2.vireo at
// /org/mpris/MediaPlayer2), so desktops, their media keys, sound applets and playerctl can control
// it. Every command goes through the host and acts exactly as the matching button; what the
// desktop reads (status, loop mode, volume, the current entry with its cover) comes from the host
// and its engine, and changes are announced with PropertiesChanged.
//
// Play modes as loop statuses: 0 (in order) and 1 (stop after the track) are "None", 2 is
// "Playlist", 3 is "Track". Setting "None" selects 0, unless the mode is 1 already.
//
// The engine's state changes, ends, errors and stream titles refresh the announced values by
// themselves; the host calls Refresh() when something else the desktop shows changed (the current
// entry, the list, the play mode, the volume) and NotifySeeked() when the user moved the position.
// Refresh() only schedules a comparison for the next pass of the event loop, so calling it often
// costs nothing and the host's own handlers have finished when the values are read.
//
// Threading contract: a QObject of the UI thread, like the host.
class MprisService : public QObject, protected QDBusContext {
  Q_OBJECT

 public:
  static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.vireo";
  static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

  // host must outlive this object (the main window owns both).
  explicit MprisService(IMediaPlayerHost* host, QObject* parent = nullptr);
  ~MprisService() override;

  // Exports the object and takes the bus name. When another process holds the name, the
  // instance name of the MPRIS convention (org.mpris.MediaPlayer2.vireo.instance<pid>) is taken
  // instead. False when there is no bus or neither name could be had; the player works on.
  bool Register(QDBusConnection bus = QDBusConnection::sessionBus());
  QString ServiceName() const { return serviceName_; }

  void Refresh();
  void NotifySeeked();

  // --- what the adaptors export ---
  // org.mpris.MediaPlayer2
  void Raise();
  void Quit();
  static QStringList SupportedUriSchemes();
  static QStringList SupportedMimeTypes();
  // org.mpris.MediaPlayer2.Player
  void PlayPause();
  void Play();
  void Pause();
  void Stop();
  void Next();
  void Previous();
  void Seek(qlonglong offsetUs);
  void SetPosition(const QString& trackId, qlonglong positionUs);
  // Empty when the host took it, else why not (also the error reply to a D-Bus caller).
  QString OpenUri(const QString& uri);
  QString PlaybackStatus() const;
  QString LoopStatus() const;
  void SetLoopStatus(const QString& status);
  double Volume() const;
  void SetVolume(double volume);
  qlonglong Position() const;  // microseconds
  QVariantMap Metadata() const;
  bool CanGoNext() const;
  bool CanGoPrevious() const;
  bool CanPlay() const;
  bool CanPause() const;
  bool CanSeek() const;

 Q_SIGNALS:
  void Seeked(qlonglong positionUs);  // relayed by the player adaptor

 private:
  struct Shown;  // the values last announced
  Shown Current() const;
  void Announce();
  void UpdateTrack() const;
  int LengthMs() const;
  AudioState State() const;
  QString TrackPath() const;

  IMediaPlayerHost* host_;
  QPointer<QObject> engine_;
  MprisCoverArt* cover_;
  QDBusConnection bus_{QString()};
  QString serviceName_;
  bool registered_ = false;
  bool refreshQueued_ = false;
  std::unique_ptr<Shown> shown_;
  // The current entry as last seen: a different entry gets a new track id. Reading any value
  // looks at the entry again, so these follow the host even between refreshes.
  mutable QString trackKey_;
  mutable quint64 trackSerial_ = 0;
  mutable QString artFor_;  // the local file whose cover artUrl_ is
  mutable QString artUrl_;
};

}  // namespace vireo
