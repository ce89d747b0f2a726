#include "app/instance/InstanceServer.h"

#include <QLocalServer>
#include <QLocalSocket>

#include "app/instance/ArgumentBlock.h"
#include "app/instance/InstanceProtocol.h"

namespace vireo {
namespace {

// However fast starts keep arriving, a batch is handed over after this many batch windows.
constexpr int kMaxBatchWindows = 8;

}  // namespace

InstanceServer::InstanceServer(QObject* parent) : QObject(parent) {
  qRegisterMetaType<vireo::ForwardedBatch>();
  flushTimer_.setSingleShot(true);
  connect(&flushTimer_, &QTimer::timeout, this, &InstanceServer::FlushBatch);
}

InstanceServer::~InstanceServer() {
  Close();
}

bool InstanceServer::Listen(const QString& socketPath) {
  Close();
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(socketPath);
  if (!server_->listen(socketPath)) {
    delete server_;
    server_ = nullptr;
    return false;
  }
  path_ = socketPath;
  connect(server_, &QLocalServer::newConnection, this, &InstanceServer::OnNewConnection);
  return true;
}

void InstanceServer::Close() {
  // The peers' sockets go with the listening server, their parent; none of them may call back.
  for (auto& [socket, connection] : connections_)
    if (connection.socket) QObject::disconnect(connection.socket, nullptr, this, nullptr);
  connections_.clear();
  if (server_) {
    server_->close();
    delete server_;
    server_ = nullptr;
  }
}

void InstanceServer::OnNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connections_[socket].socket = socket;
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] { OnDisconnected(socket); });
    if (socket->bytesAvailable() > 0) OnReadyRead(socket);
  }
}

void InstanceServer::OnReadyRead(QLocalSocket* socket) {
  auto it = connections_.find(socket);
  if (it == connections_.end()) return;
  it->second.buffer.append(socket->readAll());
  ProcessConnection(socket);
}

void InstanceServer::OnDisconnected(QLocalSocket* socket) {
  // Whatever of it still waits goes with it: nobody is left to read the answers.
  connections_.erase(socket);
  socket->deleteLater();
}

void InstanceServer::ProcessConnection(QLocalSocket* socket) {
  for (;;) {
    auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& c = it->second;
    if (c.busy) return;  // the outer call on this connection goes on with the next frame

    Frame frame;
    if (!c.waiting.isEmpty() && ready_) {
      frame = c.waiting.takeFirst();
    } else {
      if (c.buffer.size() < instance::kHeaderSize) return;
      const auto length = static_cast<quint32>(instance::ReadInt32(c.buffer.constData() + 4));
      if (length > instance::kMaxPayload) {
        // Not one of ours: drop the peer rather than buffering without bound.
        connections_.erase(it);
        socket->abort();
        socket->deleteLater();
        return;
      }
      if (c.buffer.size() < instance::kHeaderSize + static_cast<qsizetype>(length)) return;
      frame.kind = instance::ReadInt32(c.buffer.constData());
      frame.payload = c.buffer.mid(instance::kHeaderSize, length);
      c.buffer.remove(0, instance::kHeaderSize + length);
      if (!c.waiting.isEmpty()) {  // keeps the answers in the order of the requests
        c.waiting.append(frame);
        continue;
      }
    }

    c.busy = true;
    const bool handled = HandleFrame(socket, frame);
    it = connections_.find(socket);
    if (it == connections_.end()) return;
    it->second.busy = false;
    if (!handled) {
      it->second.waiting.prepend(frame);
      if (ready_) return;  // cannot happen: only waiting for readiness holds a frame back
      // Later frames of this connection queue behind it; they are read now so none is lost.
    }
  }
}

bool InstanceServer::HandleFrame(QLocalSocket* socket, const Frame& frame) {
  switch (frame.kind) {
    case instance::kCopyDataArgs:
      StoreArguments(frame.payload);
      Reply(socket, 1);
      Q_EMIT ArgumentsStored(PendingSenders());
      ScheduleFlush();
      return true;
    case instance::kCopyDataActivate:
    case instance::kCopyDataLinks: {
      Event event{frame.kind == instance::kCopyDataActivate ? Event::Activate : Event::Links,
                  frame.kind == instance::kCopyDataLinks ? ArgumentBlock::DecodeText(frame.payload)
                                                         : QString()};
      if (!ready_) {
        waitingEvents_.append(event);
        Reply(socket, 0);
      } else {
        // The sender waits until handled, as it waited for the window's handler.
        QPointer<QLocalSocket> guard(socket);
        Deliver(event);
        Reply(guard, 0);
      }
      return true;
    }
    case instance::kInfoUpdate:
    case instance::kCommandPlay: {
      if (!ready_) return false;
      const qint32 wparam =
          frame.payload.size() >= 4 ? instance::ReadInt32(frame.payload.constData()) : 0;
      const qint32 lparam =
          frame.payload.size() >= 8 ? instance::ReadInt32(frame.payload.constData() + 4) : 0;
      QPointer<QLocalSocket> guard(socket);
      int result = 0;
      if (handler_) {
        try {
          result = handler_(frame.kind, wparam, lparam);
        } catch (...) {
          result = 0;  // a failing handler is dropped like any event handler's failure
        }
      }
      Reply(guard, result);
      return true;
    }
    default:
      Reply(socket, 0);  // consumed without effect
      return true;
  }
}

void InstanceServer::StoreArguments(const QByteArray& block) {
  const QStringList strings = ArgumentBlock::Decode(block);
  if (pendingArgs_.isEmpty()) {
    pendingIndex_ = 1;
    pendingArgs_.append(QString());  // slot 0
    batchAge_.start();
  }
  QStringList sender;
  for (qsizetype i = 1; i < strings.size(); ++i) {  // the sender's own path is skipped
    pendingArgs_.append(strings[i]);
    sender.append(strings[i]);
    ++pendingIndex_;
  }
  pendingSenders_.append(sender);
}

void InstanceServer::ScheduleFlush() {
  if (!ready_ || copyDataDepth_ > 0 || pendingSenders_.isEmpty()) return;
  if (batchAge_.isValid() && batchAge_.elapsed() >= qint64(batchWindowMs_) * kMaxBatchWindows) {
    flushTimer_.start(0);
    return;
  }
  flushTimer_.start(batchWindowMs_);
}

void InstanceServer::FlushBatch() {
  if (!ready_ || copyDataDepth_ > 0 || pendingSenders_.isEmpty()) return;
  ForwardedBatch batch;
  batch.pendingArgs = std::move(pendingArgs_);
  batch.lastIndex = pendingIndex_ - 1;
  batch.senders = std::move(pendingSenders_);
  pendingArgs_.clear();
  pendingSenders_.clear();
  pendingIndex_ = 1;
  batchAge_.invalidate();

  ++copyDataDepth_;
  try {
    Q_EMIT ArgumentsForwarded(batch);
  } catch (...) {
    // Dropped: the batch is over either way, and the player goes on.
  }
  --copyDataDepth_;
  // What arrived while the batch was being opened is the next batch, not lost.
  ScheduleFlush();
}

void InstanceServer::Deliver(const Event& event) {
  try {
    if (event.kind == Event::Activate)
      Q_EMIT ActivateRequested();
    else
      Q_EMIT LinksReceived(event.text);
  } catch (...) {
  }
}

int InstanceServer::WaitingRequests() const {
  int n = 0;
  for (const auto& [socket, connection] : connections_) n += int(connection.waiting.size());
  return n;
}

void InstanceServer::SetReady() {
  if (ready_) return;
  ready_ = true;
  const QList<Event> events = std::exchange(waitingEvents_, {});
  for (const Event& event : events) Deliver(event);
  QList<QLocalSocket*> sockets;
  for (auto& [socket, connection] : connections_) sockets.append(socket);
  for (QLocalSocket* socket : sockets) ProcessConnection(socket);
  // Everything stored before the window existed is one batch, handed over now.
  FlushBatch();
}

void InstanceServer::Reply(QLocalSocket* socket, qint32 result) {
  if (!socket || socket->state() != QLocalSocket::ConnectedState) return;
  QByteArray out;
  instance::AppendInt32(out, result);
  socket->write(out);
  socket->flush();
}

}  // namespace vireo
