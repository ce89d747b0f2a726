#pragma once

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>

namespace vireo::test {

// A PulseAudio daemon of one test's own, with a null sink, that the test can kill, freeze and
// start again at the same address, as a desktop's sound server restarts under a running player.
class PrivatePulse {
 public:
  PrivatePulse();
  ~PrivatePulse();
  PrivatePulse(const PrivatePulse&) = delete;
  PrivatePulse& operator=(const PrivatePulse&) = delete;

  // The address clients connect to ("unix:/tmp/.../native"), the same across restarts.
  QByteArray Address() const;
  // Starts the daemon and waits until it accepts clients; false when it did not come up.
  bool Start();
  // Kills the daemon at once (SIGKILL), as a crash; its socket goes with it.
  void Kill();
  // Stops (SIGSTOP) or continues (SIGCONT) the daemon: a server that accepts but never answers.
  void Freeze(bool frozen);

 private:
  QTemporaryDir dir_;
  QProcess process_;
};

}  // namespace vireo::test
