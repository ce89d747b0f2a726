#pragma once

#include <QString>
#include <QStringList>

namespace vireo::test {

// Audio files made at test time with the ffmpeg command, in a folder that lives as long as the
// test program. Each is made once per program and reused.
class MediaFactory {
 public:
  // A stereo sine: ext picks the format (mp3, ogg, flac, wav, aiff, ...). extra: further output
  // options (metadata, codec settings). amplitude: peak, 0..1.
  static QString Tone(const QString& name, const QString& ext, int hz, double seconds,
                      double amplitude = 0.5, const QStringList& extra = {});
  static QString Dir();
  static QString Write(const QString& name, const QByteArray& bytes);
};

}  // namespace vireo::test
