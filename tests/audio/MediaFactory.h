#pragma once

#include <QByteArray>
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
  // One continuous stereo sine cut in two files: the first `firstFrames` frames and the
  // `secondFrames` after them (cut where the wave stands, so the halves join seamlessly).
  // extra: output options for both (codec, metadata of both), extraFirst/extraSecond for one.
  static QStringList SplitTone(const QString& name, const QString& ext, int hz, int firstFrames,
                               int secondFrames, double amplitude = 0.5,
                               const QStringList& extra = {}, const QStringList& extraFirst = {},
                               const QStringList& extraSecond = {});
  // The first `frames` frames (all: -1) of a file as the ffmpeg command decodes it: 16-bit
  // stereo at 44100 Hz, as a monitor recording is.
  static QByteArray Decode(const QString& path, long long frames = -1);
  static QString Dir();
  static QString Write(const QString& name, const QByteArray& bytes);
};

}  // namespace vireo::test
