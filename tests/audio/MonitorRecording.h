#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

namespace vireo::test {

// What a sound server's null sink plays, recorded from its monitor with parec as 16-bit stereo
// at 44100 Hz into a file, for as long as the recording runs.
class MonitorRecording {
 public:
  ~MonitorRecording() { Stop(); }
  // server: the address clients connect to (empty: the usual one); false when parec did not start.
  bool Start(const QByteArray& server, const QString& path);
  // Ends the recording and returns it.
  QByteArray Stop();
  // What has been recorded so far; the recording goes on.
  QByteArray Peek() const;

 private:
  QProcess parec_;
  QString path_;
};

}  // namespace vireo::test
