#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>

#include "app/instance/ForwardedBatch.h"

class QLocalServer;
class QLocalSocket;

namespace vireo {

// The running player's end of the local socket: receives what later starts hand over (kinds
// 1812, 1813, 1814) and the remote-control messages of other programs (1806, 1807), and answers
// each request with one integer (wire format: app/InstanceProtocol.h, docs/REMOTE.md).
//
// Arguments (1812) are stored and answered at once, so a slow open never holds a second start.
// Starts that arrive close together, e.g. several files opened from the file manager at once,
// are collected into one ForwardedBatch handed over once. Until SetReady() (the main window
// exists) nothing is handed over: arguments, activations and links wait in arrival order, and
// remote-control requests wait for their answer.
//
// Threading: lives on the UI thread; every signal and the message handler run there.
class InstanceServer : public QObject {
  Q_OBJECT

 public:
  // msg is 1806 or 1807; the result is written back to the requesting program.
  using MessageHandler = std::function<int(int msg, int wparam, int lparam)>;

  explicit InstanceServer(QObject* parent = nullptr);
  ~InstanceServer() override;

  // Listens at socketPath (a leftover socket file of a crashed player is removed first; the
  // caller holds the instance lock). Only the user can connect.
  bool Listen(const QString& socketPath);
  void Close();
  QString SocketPath() const { return path_; }

  void SetMessageHandler(MessageHandler handler) { handler_ = std::move(handler); }
  // The main window is there: delivers what waited, then hands over as things arrive.
  void SetReady();
  bool IsReady() const { return ready_; }

  // Arrivals within this many milliseconds of the previous one join its batch (default 250).
  void SetBatchWindow(int ms) { batchWindowMs_ = ms; }
  // Senders whose arguments are stored but not yet handed over.
  int PendingSenders() const { return static_cast<int>(pendingSenders_.size()); }
  // Remote-control requests waiting for SetReady() to be answered.
  int WaitingRequests() const;

 Q_SIGNALS:
  void ArgumentsForwarded(const vireo::ForwardedBatch& batch);
  void ActivateRequested();
  void LinksReceived(const QString& links);
  // A sender's arguments were stored and it was released; senders = PendingSenders().
  void ArgumentsStored(int senders);

 private:
  struct Frame {
    qint32 kind = 0;
    QByteArray payload;
  };
  struct Connection {
    QPointer<QLocalSocket> socket;
    QByteArray buffer;
    QList<Frame> waiting;  // frames held back until ready, in order
    bool busy = false;     // a frame of this connection is being handled (re-entrancy guard)
  };
  struct Event {
    enum Kind { Activate, Links } kind;
    QString text;
  };

  void OnNewConnection();
  void OnReadyRead(QLocalSocket* socket);
  void OnDisconnected(QLocalSocket* socket);
  void ProcessConnection(QLocalSocket* socket);
  // False when the frame has to wait for SetReady().
  bool HandleFrame(QLocalSocket* socket, const Frame& frame);
  void StoreArguments(const QByteArray& block);
  void ScheduleFlush();
  void FlushBatch();
  void Deliver(const Event& event);
  static void Reply(QLocalSocket* socket, qint32 result);

  QLocalServer* server_ = nullptr;
  QString path_;
  MessageHandler handler_;
  bool ready_ = false;
  int batchWindowMs_ = 250;
  std::map<QLocalSocket*, Connection> connections_;
  QList<Event> waitingEvents_;

  // The batch being collected: PendingArgs with slot 0 empty, PendingIndex the next slot.
  QStringList pendingArgs_;
  int pendingIndex_ = 1;
  QList<QStringList> pendingSenders_;
  // How many batch hand-overs are running (nested when a handler runs an event loop); arrivals
  // meanwhile are kept for the next batch instead of being opened inside the running one.
  int copyDataDepth_ = 0;
  QTimer flushTimer_;
  QElapsedTimer batchAge_;
};

}  // namespace vireo
