#include "app/instance/SingleInstance.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <cstdio>

#include "app/instance/ArgumentBlock.h"
#include "app/instance/CommandLine.h"
#include "app/instance/InstanceProtocol.h"
#include "app/instance/InstanceServer.h"

namespace vireo {
namespace {

QString BaseName() {
  return QStringLiteral("vireo-%1").arg(::getuid());
}

}  // namespace

SingleInstance::SingleInstance(const QString& folder)
    : folder_(folder.isEmpty() ? DefaultFolder() : folder) {}

SingleInstance::~SingleInstance() {
  ReleaseSingleInstance();
}

QString SingleInstance::DefaultFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString SingleInstance::LockPath() const {
  return QDir(folder_).filePath(BaseName() + QStringLiteral(".lock"));
}

QString SingleInstance::SocketPath() const {
  return QDir(folder_).filePath(BaseName() + QStringLiteral(".socket"));
}

bool SingleInstance::CheckSingleInstance(const QStringList& args) {
  Q_ASSERT_X(QCoreApplication::instance(), "CheckSingleInstance",
             "the application object must exist first");
  QDir().mkpath(folder_);
  auto lock = std::make_unique<QLockFile>(LockPath());
  // Held for the player's whole life: only a dead owner makes it stale, never its age.
  lock->setStaleLockTime(0);
  if (lock->tryLock(0)) {
    lock_ = std::move(lock);
    server_ = std::make_unique<InstanceServer>();
    if (!server_->Listen(SocketPath()))
      std::fprintf(stderr, "vireo: cannot listen at %s; later starts will not reach this one\n",
                   qPrintable(SocketPath()));
    return true;
  }
  if (lock->error() != QLockFile::LockFailedError)
    std::fprintf(stderr, "vireo: cannot create the lock file %s\n", qPrintable(LockPath()));

  // A later start (or one that could not lock at all): hand over and end.
  const QStringList sent =
      args.isEmpty() ? QStringList{QString()} : CommandLine::LocalArguments(args);
  const qint32 kind = sent.size() > 1 ? instance::kCopyDataArgs : instance::kCopyDataActivate;
  bool connected = false;
  const auto answer =
      Request(SocketPath(), kind, ArgumentBlock::Encode(sent), 30000, 2000, &connected);
  handoff_ = answer ? Handoff::Delivered : connected ? Handoff::Failed : Handoff::NoReceiver;
  return false;
}

void SingleInstance::ReleaseSingleInstance() {
  server_.reset();
  if (lock_) {
    lock_->unlock();
    lock_.reset();
  }
}

std::optional<qint32> SingleInstance::Request(const QString& socketPath, qint32 kind,
                                              const QByteArray& payload, int timeoutMs,
                                              int connectWaitMs, bool* connected) {
  if (connected) *connected = false;
  QLocalSocket socket;
  // The first start takes the lock a moment before it listens; give it that moment.
  QDeadlineTimer connectDeadline(connectWaitMs);
  for (;;) {
    socket.connectToServer(socketPath);
    if (socket.waitForConnected(500)) break;
    if (connectDeadline.hasExpired()) return std::nullopt;
    QThread::msleep(50);
  }
  if (connected) *connected = true;

  socket.write(instance::Frame(kind, payload));
  QDeadlineTimer deadline(timeoutMs);
  while (socket.bytesToWrite() > 0)
    if (!socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 1))))
      return std::nullopt;
  QByteArray answer;
  while (answer.size() < 4) {
    if (socket.bytesAvailable() == 0 &&
        !socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1))))
      return std::nullopt;
    answer.append(socket.read(4 - answer.size()));
  }
  return instance::ReadInt32(answer.constData());
}

}  // namespace vireo
