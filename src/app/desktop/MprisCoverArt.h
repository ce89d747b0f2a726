#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace vireo {

// The cover picture embedded in an audio file (ID3v2 APIC in MP3, WAV and AIFF; FLAC pictures;
// Ogg Vorbis and Opus METADATA_BLOCK_PICTURE; MP4 covr), saved once into the user's cache folder
// so that the desktop can show it through a file address. The front cover is preferred, then the
// first picture. The cached file is named after the audio file's path, size and modification
// time, so an edited file gets its new cover and an unchanged one is not read again.
//
// Threading contract: Extract() is a blocking function for any thread. A CoverArt object lives
// on the UI thread; Request() reads the file on a worker thread and Ready() comes back on the
// UI thread, never after the object is destroyed.
class MprisCoverArt : public QObject {
  Q_OBJECT

 public:
  explicit MprisCoverArt(QString cacheDir = DefaultCacheDir(), QObject* parent = nullptr);
  ~MprisCoverArt() override;

  // $XDG_CACHE_HOME/vireo/covers
  static QString DefaultCacheDir();
  // The cached picture of audioPath (extracted now when it is not cached yet), or empty when the
  // file has none, cannot be read or the picture cannot be written.
  static QString Extract(const QString& audioPath, const QString& cacheDir);

  void Request(const QString& audioPath);

 Q_SIGNALS:
  void Ready(const QString& audioPath, const QString& pictureFile);

 private:
  struct Relay;
  QString cacheDir_;
  std::shared_ptr<Relay> relay_;
};

}  // namespace vireo
