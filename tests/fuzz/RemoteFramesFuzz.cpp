// The player's local socket (remote control and second starts): any bytes a peer sends are
// answered frame by frame, one integer per whole request and in order, as the protocol table
// says; a peer that announces an oversized frame is dropped; and what is handed over (links,
// arguments) holds no zero characters. The server under test is the player's own InstanceServer
// with the remote-control answers of RemoteControl, over a real local socket.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTimer>
#include <memory>

#include "FuzzScratch.h"
#include "FuzzTarget.h"
#include "app/instance/ArgumentBlock.h"
#include "app/instance/InstanceProtocol.h"
#include "app/instance/InstanceServer.h"
#include "app/instance/RemoteControl.h"

namespace {

namespace instance = vireo::instance;

constexpr int kEntries = 7, kCurrent = 3;

struct Rig {
  std::unique_ptr<QCoreApplication> ownApp;  // libFuzzer has none; the replay test has its own
  std::unique_ptr<vireo::InstanceServer> server;
  vireo::RemoteActions actions;
  QString path;
  int shown = 0, activated = 0;
  QStringList links;
  QList<vireo::ForwardedBatch> batches;
};

Rig& TheRig() {
  static Rig* rig = [] {
    auto* r = new Rig;
    if (!QCoreApplication::instance()) {
      static int argc = 1;
      static char name[] = "fuzz_remote_frames";
      static char* argv[] = {name, nullptr};
      r->ownApp = std::make_unique<QCoreApplication>(argc, argv);
    }
    r->path = vireo::fuzz::ScratchFile(QStringLiteral("instance"));
    r->server = std::make_unique<vireo::InstanceServer>();
    FUZZ_CHECK(r->server->Listen(r->path));
    r->server->SetBatchWindow(0);
    r->actions.show = [r] { ++r->shown; };
    r->actions.count = [] { return kEntries; };
    r->actions.current = [] { return kCurrent; };
    r->server->SetMessageHandler(
        [r](int msg, int w, int l) { return vireo::RemoteControl::Answer(msg, w, l, r->actions); });
    QObject::connect(r->server.get(), &vireo::InstanceServer::LinksReceived,
                     [r](const QString& text) { r->links << text; });
    QObject::connect(r->server.get(), &vireo::InstanceServer::ActivateRequested,
                     [r] { ++r->activated; });
    QObject::connect(r->server.get(), &vireo::InstanceServer::ArgumentsForwarded,
                     [r](const vireo::ForwardedBatch& b) { r->batches << b; });
    r->server->SetReady();
    return r;
  }();
  return *rig;
}

// What the peer should get back, read plainly from the bytes by the protocol table.
struct Expected {
  QList<qint32> answers;
  bool dropped = false;
  int shows = 0, activations = 0, links = 0, senders = 0;
};

Expected Expect(QByteArrayView bytes) {
  Expected e;
  qsizetype at = 0;
  while (bytes.size() - at >= instance::kHeaderSize) {
    const qint32 kind = instance::ReadInt32(bytes.data() + at);
    const auto length = static_cast<quint32>(instance::ReadInt32(bytes.data() + at + 4));
    if (length > instance::kMaxPayload) {
      e.dropped = true;
      break;
    }
    if (bytes.size() - at - instance::kHeaderSize < qsizetype(length)) break;
    const QByteArrayView payload = bytes.sliced(at + instance::kHeaderSize, length);
    at += instance::kHeaderSize + length;
    const qint32 w = payload.size() >= 4 ? instance::ReadInt32(payload.data()) : 0;
    const qint32 l = payload.size() >= 8 ? instance::ReadInt32(payload.data() + 4) : 0;
    qint32 answer = 0;
    if (kind == instance::kCopyDataArgs) {
      answer = 1;
      ++e.senders;
    } else if (kind == instance::kCopyDataActivate) {
      ++e.activations;
    } else if (kind == instance::kCopyDataLinks) {
      ++e.links;
    } else if (kind == instance::kInfoUpdate) {
      if (w == vireo::RemoteControl::kShowWParam) ++e.shows;
    } else if (kind == instance::kCommandPlay) {
      if (l != 0)
        answer = -1;
      else if (w == 15 || w == 16 || w == 19 || w == 20)
        answer = 1;
      else if (w == 50)
        answer = kEntries;
      else if (w == 51)
        answer = kCurrent;
      else
        answer = -1;
    }
    e.answers << answer;
  }
  return e;
}

}  // namespace

VIREO_FUZZ_TARGET(remote_frames) {
  Rig& rig = TheRig();
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const Expected expected = Expect(bytes);
  rig.shown = rig.activated = 0;
  rig.links.clear();
  rig.batches.clear();

  QLocalSocket peer;
  peer.connectToServer(rig.path);
  FUZZ_CHECK(peer.waitForConnected(2000));
  peer.write(bytes);
  peer.flush();
  // The loop wakes at least every millisecond; it ends once every answer is in (and the peer is
  // dropped, where it must be), or after two seconds.
  QTimer tick;
  tick.start(1);
  QByteArray got;
  QElapsedTimer clock;
  clock.start();
  const qsizetype want = expected.answers.size() * 4;
  while (clock.elapsed() < 2000) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    got += peer.readAll();
    const bool gone = peer.state() == QLocalSocket::UnconnectedState;
    if (got.size() >= want && (!expected.dropped || gone)) break;
    if (gone) break;
  }
  // Anything more would be an answer to no request: a few more turns to let it show.
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  got += peer.readAll();
  FUZZ_CHECK(got.size() == want);
  for (qsizetype i = 0; i < expected.answers.size() && (i + 1) * 4 <= got.size(); ++i)
    FUZZ_CHECK(instance::ReadInt32(got.constData() + i * 4) == expected.answers[i]);
  if (expected.dropped) FUZZ_CHECK(peer.state() == QLocalSocket::UnconnectedState);
  peer.abort();
  // Stored arguments are handed over by a timer of no delay.
  clock.restart();
  do {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  } while (rig.server->PendingSenders() > 0 && clock.elapsed() < 500);

  FUZZ_CHECK(rig.shown == expected.shows);
  FUZZ_CHECK(rig.activated == expected.activations);
  FUZZ_CHECK(rig.links.size() == expected.links);
  for (const QString& text : rig.links) FUZZ_CHECK(!text.contains(QChar(0)));
  qsizetype senders = 0;
  for (const vireo::ForwardedBatch& b : rig.batches) {
    senders += b.senders.size();
    FUZZ_CHECK(b.pendingArgs.size() == b.lastIndex + 1);
    for (const QString& arg : b.pendingArgs) FUZZ_CHECK(!arg.contains(QChar(0)));
  }
  FUZZ_CHECK(senders == expected.senders);
  FUZZ_CHECK(rig.server->PendingSenders() == 0 && rig.server->WaitingRequests() == 0);
  return 0;
}
