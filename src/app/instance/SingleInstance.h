#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace vireo {

class InstanceServer;

// One player per user: the first start holds a lock file and listens on a local socket, both in
// the user's runtime folder; a later start hands its arguments over that socket and ends.
//
// The first start listens before its main window exists, so what later starts send meanwhile
// waits in the server (InstanceServer::SetReady) instead of being lost. A lock left behind by a
// player that died is recovered: the lock records its owner, and a dead owner's lock is taken.
class SingleInstance {
 public:
  enum class Handoff {
    Delivered,   // the running player stored the arguments and answered
    NoReceiver,  // nobody listens (the first start is still starting, or hangs)
    Failed,      // connected, but the answer never came
  };

  // folder: where the lock and the socket live; empty for the user's runtime folder.
  explicit SingleInstance(const QString& folder = QString());
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  static QString DefaultFolder();  // QStandardPaths::RuntimeLocation
  QString LockPath() const;        // <folder>/vireo-<uid>.lock
  QString SocketPath() const;      // <folder>/vireo-<uid>.socket

  // True for the first start: it holds the lock and Server() listens (not ready yet). False for
  // a later start, after it has handed args over (args[0] is its own path; with no further
  // argument it asks the running player to come to the front; "file://" addresses go as local
  // paths). Nothing is shown to the user.
  // Call it once the application object exists: the lock records the executable's name, by which
  // a later start tells a live owner from a dead one whose process id was reused.
  bool CheckSingleInstance(const QStringList& args);
  Handoff LastHandoff() const { return handoff_; }

  // The listening server of the first start; nullptr otherwise.
  InstanceServer* Server() const { return server_.get(); }

  // Stops listening and gives the lock up. Idempotent.
  void ReleaseSingleInstance();

  // One request over the socket: the answer, or nothing when there was no receiver or no answer
  // within timeoutMs. connectWaitMs: how long to keep trying to reach a receiver that is still
  // starting. Blocking; for a start that has no window yet, and for scripts and tests.
  static std::optional<qint32> Request(const QString& socketPath, qint32 kind,
                                       const QByteArray& payload, int timeoutMs = 30000,
                                       int connectWaitMs = 2000, bool* connected = nullptr);

 private:
  QString folder_;
  std::unique_ptr<QLockFile> lock_;
  std::unique_ptr<InstanceServer> server_;
  Handoff handoff_ = Handoff::NoReceiver;
};

}  // namespace vireo
