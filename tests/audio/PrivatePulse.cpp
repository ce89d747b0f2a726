#include "PrivatePulse.h"

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include "TestEnv.h"

namespace vireo::test {

namespace {
QString Socket(const QTemporaryDir& dir) {
  return dir.path() + QStringLiteral("/run/pulse/native");
}
}  // namespace

PrivatePulse::PrivatePulse() {
  QDir(dir_.path()).mkpath(QStringLiteral("home"));
  QDir(dir_.path()).mkpath(QStringLiteral("run"));
  QFile::setPermissions(dir_.path() + QStringLiteral("/run"),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

PrivatePulse::~PrivatePulse() {
  Freeze(false);
  Kill();
}

QByteArray PrivatePulse::Address() const {
  return "unix:" + Socket(dir_).toUtf8();
}

bool PrivatePulse::Start() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HOME"), dir_.path() + QStringLiteral("/home"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path() + QStringLiteral("/run"));
  env.remove(QStringLiteral("PULSE_SERVER"));
  process_.setProcessEnvironment(env);
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.setStandardOutputFile(QProcess::nullDevice());
  process_.start(QStringLiteral("pulseaudio"),
                 {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                  QStringLiteral("--disallow-exit"), QStringLiteral("-n"),
                  QStringLiteral("--load=module-null-sink"),
                  QStringLiteral("--load=module-native-protocol-unix")});
  if (!process_.waitForStarted(5000)) return false;
  return WaitUntil([&] { return QFile::exists(Socket(dir_)); }, 10000);
}

void PrivatePulse::Kill() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.kill();
  process_.waitForFinished(5000);
  // Left behind by a killed daemon; the next start makes it anew, and waits for that.
  QFile::remove(Socket(dir_));
}

void PrivatePulse::Freeze(bool frozen) {
  if (process_.state() == QProcess::NotRunning) return;
  ::kill(static_cast<pid_t>(process_.processId()), frozen ? SIGSTOP : SIGCONT);
}

}  // namespace vireo::test
