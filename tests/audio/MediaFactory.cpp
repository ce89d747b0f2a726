#include "MediaFactory.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace vireo::test {

QString MediaFactory::Dir() {
  static QTemporaryDir dir;
  return dir.path();
}

QString MediaFactory::Tone(const QString& name, const QString& ext, int hz, double seconds,
                           double amplitude, const QStringList& extra) {
  const QString path = Dir() + QLatin1Char('/') + name + QLatin1Char('.') + ext;
  if (QFileInfo::exists(path)) return path;
  QStringList args = {
      QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
      QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
      // Two channels from the source itself: an upmix would lower the level by 3 dB.
      QStringLiteral("aevalsrc=%1*sin(2*PI*%2*t)|%1*sin(2*PI*%2*t):s=44100:d=%3")
          .arg(amplitude)
          .arg(hz)
          .arg(seconds)};
  args += extra;
  args << path;
  QProcess ffmpeg;
  ffmpeg.start(QStringLiteral("ffmpeg"), args);
  EXPECT_TRUE(ffmpeg.waitForFinished(30000));
  EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().constData();
  return path;
}

QStringList MediaFactory::SplitTone(const QString& name, const QString& ext, int hz,
                                    int firstFrames, int secondFrames, double amplitude,
                                    const QStringList& extra, const QStringList& extraFirst,
                                    const QStringList& extraSecond) {
  QStringList paths;
  for (const bool second : {false, true}) {
    const QString path =
        Dir() + QLatin1Char('/') + name + (second ? u"-b." : u"-a.") + ext;
    paths << path;
    if (QFileInfo::exists(path)) continue;
    const QString phase = second ? QStringLiteral("+%1/44100").arg(firstFrames) : QString();
    const int frames = second ? secondFrames : firstFrames;
    QStringList args = {
        QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
        QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("aevalsrc=%1*sin(2*PI*%2*(t%3))|%1*sin(2*PI*%2*(t%3)):s=44100:d=%4")
            .arg(amplitude)
            .arg(hz)
            .arg(phase)
            .arg(frames / 44100 + 1),
        QStringLiteral("-af"), QStringLiteral("atrim=end_sample=%1").arg(frames)};
    args += extra;
    args += second ? extraSecond : extraFirst;
    args << path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    EXPECT_TRUE(ffmpeg.waitForFinished(30000));
    EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().constData();
  }
  return paths;
}

QByteArray MediaFactory::Decode(const QString& path, long long frames) {
  QProcess ffmpeg;
  ffmpeg.start(QStringLiteral("ffmpeg"),
               {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                QStringLiteral("-i"), path, QStringLiteral("-ar"), QStringLiteral("44100"),
                QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-f"),
                QStringLiteral("s16le"), QStringLiteral("-")});
  EXPECT_TRUE(ffmpeg.waitForFinished(30000));
  EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().constData();
  QByteArray raw = ffmpeg.readAllStandardOutput();
  if (frames >= 0) raw.truncate(frames * 4);
  return raw;
}

QString MediaFactory::Write(const QString& name, const QByteArray& bytes) {
  const QString path = Dir() + QLatin1Char('/') + name;
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  return path;
}

}  // namespace vireo::test
