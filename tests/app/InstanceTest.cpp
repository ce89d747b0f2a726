#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <future>
#include <memory>

#include "TestEnv.h"
#include "app/instance/ArgumentBlock.h"
#include "app/instance/InstanceProtocol.h"
#include "app/instance/InstanceServer.h"
#include "app/instance/SingleInstance.h"

namespace vireo {
namespace {

using test::WaitUntil;

// The first start lives in this process; later starts are real processes (the helper).
class InstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    first_ = std::make_unique<SingleInstance>(dir_.path());
  }

  // Makes this process the first start and records what its server hands over.
  InstanceServer* BecomeFirst(int batchWindowMs = 50) {
    EXPECT_TRUE(first_->CheckSingleInstance({QStringLiteral("/usr/bin/vireo")}));
    InstanceServer* server = first_->Server();
    server->SetBatchWindow(batchWindowMs);
    QObject::connect(server, &InstanceServer::ArgumentsForwarded,
                     [this](const ForwardedBatch& b) { batches_.append(b); });
    QObject::connect(server, &InstanceServer::ActivateRequested, [this] { ++activations_; });
    QObject::connect(server, &InstanceServer::LinksReceived,
                     [this](const QString& t) { links_.append(t); });
    QObject::connect(server, &InstanceServer::ArgumentsStored, [this](int) { ++stored_; });
    return server;
  }

  std::unique_ptr<QProcess> Start(const QString& mode, const QStringList& args,
                                  const QString& appName = QString()) {
    auto p = std::make_unique<QProcess>();
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VIREO_TEST_INSTANCE_DIR"), dir_.path());
    if (!appName.isEmpty()) env.insert(QStringLiteral("VIREO_TEST_APP_NAME"), appName);
    p->setProcessEnvironment(env);
    p->start(QStringLiteral(VIREO_INSTANCE_HELPER), QStringList{mode} + args);
    EXPECT_TRUE(p->waitForStarted());
    return p;
  }

  // Waits (serving the event loop meanwhile) for a helper to end; its exit code, or -1.
  static int Finish(QProcess& p, int timeoutMs = 15000) {
    if (!WaitUntil([&] { return p.state() == QProcess::NotRunning; }, timeoutMs)) return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

  // A request from another thread, so that this thread can serve it.
  std::future<std::optional<qint32>> RequestAsync(qint32 kind, QByteArray payload) {
    const QString path = first_->SocketPath();
    return std::async(std::launch::async, [path, kind, payload] {
      return SingleInstance::Request(path, kind, payload, 15000, 2000);
    });
  }
  template <typename T>
  static T Await(std::future<T>& f) {
    EXPECT_TRUE(WaitUntil(
        [&] { return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 15000));
    return f.get();
  }

  static QByteArray Pair(qint32 w, qint32 l) {
    QByteArray out;
    instance::AppendInt32(out, w);
    instance::AppendInt32(out, l);
    return out;
  }

  QTemporaryDir dir_;
  std::unique_ptr<SingleInstance> first_;
  QList<ForwardedBatch> batches_;
  QStringList links_;
  int activations_ = 0;
  int stored_ = 0;
};

TEST_F(InstanceTest, SecondStartHandsItsArgumentsOverAndEnds) {
  InstanceServer* server = BecomeFirst();
  server->SetReady();
  auto second = Start(QStringLiteral("start"), {QStringLiteral("/music/Song"),
                                                QStringLiteral("One.mp3"), QStringLiteral("维雀")});
  EXPECT_EQ(Finish(*second), 0);
  ASSERT_TRUE(WaitUntil([&] { return batches_.size() == 1; }));
  const ForwardedBatch& b = batches_[0];
  EXPECT_EQ(b.pendingArgs, (QStringList{QString(), QStringLiteral("/music/Song"),
                                        QStringLiteral("One.mp3"), QStringLiteral("维雀")}));
  EXPECT_EQ(b.lastIndex, 3);
  ASSERT_EQ(b.senders.size(), 1);
  EXPECT_EQ(b.senders[0].size(), 3);
  EXPECT_EQ(activations_, 0);
}

TEST_F(InstanceTest, FileAddressesFromTheFileManagerArriveAsPaths) {
  BecomeFirst()->SetReady();
  auto second = Start(QStringLiteral("start"), {QStringLiteral("file:///music/My%20Song.mp3")});
  EXPECT_EQ(Finish(*second), 0);
  ASSERT_TRUE(WaitUntil([&] { return batches_.size() == 1; }));
  EXPECT_EQ(batches_[0].pendingArgs.value(1), QStringLiteral("/music/My Song.mp3"));
}

TEST_F(InstanceTest, SecondStartWithoutArgumentsOnlyActivates) {
  BecomeFirst()->SetReady();
  auto second = Start(QStringLiteral("start"), {});
  EXPECT_EQ(Finish(*second), 0);
  EXPECT_EQ(activations_, 1);
  EXPECT_EQ(stored_, 0);
  EXPECT_TRUE(batches_.isEmpty());
}

TEST_F(InstanceTest, ArrivalsBeforeTheWindowExistsWaitAndBecomeOneBatch) {
  InstanceServer* server = BecomeFirst();
  std::vector<std::unique_ptr<QProcess>> starts;
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
    starts.push_back(Start(QStringLiteral("start"), {QString::fromLatin1(name)}));
  auto activate = Start(QStringLiteral("start"), {});
  // Every sender is released right after storing, although no window exists yet.
  for (auto& p : starts) EXPECT_EQ(Finish(*p), 0);
  EXPECT_EQ(Finish(*activate), 0);
  EXPECT_EQ(stored_, 3);
  EXPECT_EQ(server->PendingSenders(), 3);
  EXPECT_TRUE(batches_.isEmpty());
  EXPECT_EQ(activations_, 0);

  server->SetReady();
  EXPECT_EQ(activations_, 1);
  ASSERT_EQ(batches_.size(), 1);
  EXPECT_EQ(batches_[0].lastIndex, 3);
  EXPECT_EQ(batches_[0].senders.size(), 3);
  const QSet<QString> got(batches_[0].pendingArgs.begin() + 1, batches_[0].pendingArgs.end());
  EXPECT_EQ(got, (QSet<QString>{QStringLiteral("a.mp3"), QStringLiteral("b.mp3"),
                                QStringLiteral("c.mp3")}));
  EXPECT_EQ(server->PendingSenders(), 0);
}

TEST_F(InstanceTest, StartsArrivingTogetherAreHandedOverOnce) {
  // As when the file manager opens several files at once: one start per file.
  BecomeFirst(/*batchWindowMs=*/3000)->SetReady();
  std::vector<std::unique_ptr<QProcess>> starts;
  for (const char* name : {"1.mp3", "2.mp3", "3.mp3"})
    starts.push_back(Start(QStringLiteral("start"), {QString::fromLatin1(name)}));
  for (auto& p : starts) EXPECT_EQ(Finish(*p), 0);
  ASSERT_TRUE(WaitUntil([&] { return !batches_.isEmpty(); }, 15000));
  ASSERT_EQ(batches_.size(), 1);
  EXPECT_EQ(batches_[0].senders.size(), 3);
  EXPECT_EQ(batches_[0].lastIndex, 3);
}

TEST_F(InstanceTest, ArrivalsWhileABatchIsOpenedAreTheNextBatch) {
  InstanceServer* server = BecomeFirst(/*batchWindowMs=*/20);
  server->SetReady();
  std::unique_ptr<QProcess> late;
  bool opening = false;
  bool nested = false;
  QObject::connect(server, &InstanceServer::ArgumentsForwarded, [&](const ForwardedBatch&) {
    nested = nested || opening;
    if (late) return;
    // Opening takes a while and serves events meanwhile; another start arrives then.
    opening = true;
    late = Start(QStringLiteral("start"), {QStringLiteral("late.mp3")});
    EXPECT_TRUE(WaitUntil([&] { return stored_ == 2; }));
    test::Pump(200);  // the slow open goes on for ten batch windows
    opening = false;
  });
  auto first = Start(QStringLiteral("start"), {QStringLiteral("early.mp3")});
  EXPECT_EQ(Finish(*first), 0);
  ASSERT_TRUE(WaitUntil([&] { return batches_.size() == 2; }));
  EXPECT_FALSE(nested);  // not opened inside the running batch, and not dropped with it
  EXPECT_EQ(batches_[0].pendingArgs, (QStringList{QString(), QStringLiteral("early.mp3")}));
  EXPECT_EQ(batches_[1].pendingArgs, (QStringList{QString(), QStringLiteral("late.mp3")}));
  EXPECT_EQ(Finish(*late), 0);
}

TEST_F(InstanceTest, LockOfADeadPlayerIsRecoveredAndALiveOneIsNot) {
  auto holder = Start(QStringLiteral("hold"), {});
  ASSERT_TRUE(WaitUntil([&] { return holder->canReadLine(); }));
  EXPECT_EQ(holder->readLine().trimmed(), QByteArray("first"));

  // While the holder lives, this start is a later one and reaches it.
  SingleInstance later(dir_.path());
  EXPECT_FALSE(later.CheckSingleInstance({QStringLiteral("self")}));
  EXPECT_EQ(later.LastHandoff(), SingleInstance::Handoff::Delivered);

  // Killed without a chance to clean up: lock and socket files stay behind.
  ::kill(static_cast<pid_t>(holder->processId()), SIGKILL);
  EXPECT_EQ(Finish(*holder), -1);
  EXPECT_TRUE(QFile::exists(first_->LockPath()));

  InstanceServer* server = BecomeFirst();
  server->SetReady();
  auto second = Start(QStringLiteral("start"), {QStringLiteral("x.mp3")});
  EXPECT_EQ(Finish(*second), 0);
  ASSERT_TRUE(WaitUntil([&] { return batches_.size() == 1; }));
  EXPECT_EQ(batches_[0].pendingArgs.value(1), QStringLiteral("x.mp3"));
}

TEST_F(InstanceTest, ALiveLockIsKeptWhateverTheApplicationCallsItself) {
  // The lock records the owner's name; a name other than the executable's must not make a live
  // owner look like a stranger that reused a dead owner's process id.
  auto holder = Start(QStringLiteral("hold"), {}, QStringLiteral("Vireo 维雀"));
  ASSERT_TRUE(WaitUntil([&] { return holder->canReadLine(); }));
  auto second = Start(QStringLiteral("start"), {QStringLiteral("a.mp3")});
  EXPECT_EQ(Finish(*second), 0);
  holder->kill();
  Finish(*holder);
}

TEST_F(InstanceTest, LockedButNotListeningEndsWithoutEffect) {
  // The first start has its lock but no socket yet (or hangs before listening).
  QLockFile lock(first_->LockPath());
  ASSERT_TRUE(lock.tryLock(0));
  auto second = Start(QStringLiteral("start"), {QStringLiteral("a.mp3")});
  EXPECT_EQ(Finish(*second), 2);
}

TEST_F(InstanceTest, ReleaseLetsTheNextStartBeFirst) {
  BecomeFirst();
  first_->ReleaseSingleInstance();
  EXPECT_EQ(first_->Server(), nullptr);
  auto next = Start(QStringLiteral("start"), {QStringLiteral("a.mp3")});
  EXPECT_EQ(Finish(*next), 10);
}

TEST_F(InstanceTest, ClosingWithARequestWaitingHangsUpOnIt) {
  InstanceServer* server = BecomeFirst();
  auto waiting = RequestAsync(instance::kCommandPlay, Pair(50, 0));
  ASSERT_TRUE(WaitUntil([&] { return server->WaitingRequests() == 1; }));
  first_->ReleaseSingleInstance();
  EXPECT_EQ(Await(waiting), std::nullopt);
  EXPECT_FALSE(QFile::exists(first_->SocketPath()));
}

TEST_F(InstanceTest, RemoteControlIsAnsweredWithTheWindowsResult) {
  InstanceServer* server = BecomeFirst();
  QList<QList<int>> calls;
  server->SetMessageHandler([&](int msg, int w, int l) {
    calls.append({msg, w, l});
    return msg == instance::kCommandPlay && w == 50 && l == 0 ? 7 : -1;
  });

  // Before the window exists, the request waits for it instead of being lost.
  auto early = RequestAsync(instance::kCommandPlay, Pair(50, 0));
  auto args = RequestAsync(instance::kCopyDataArgs,
                           ArgumentBlock::Encode({QStringLiteral("p"), QStringLiteral("a")}));
  EXPECT_EQ(Await(args), 1);
  ASSERT_TRUE(WaitUntil([&] { return server->WaitingRequests() == 1; }));
  EXPECT_TRUE(calls.isEmpty());
  server->SetReady();
  EXPECT_EQ(Await(early), 7);

  auto other = RequestAsync(instance::kCommandPlay, Pair(20, 5));
  EXPECT_EQ(Await(other), -1);
  auto show = RequestAsync(instance::kInfoUpdate, Pair(99, 0));
  EXPECT_EQ(Await(show), -1);
  EXPECT_EQ(calls, (QList<QList<int>>{{1807, 50, 0}, {1807, 20, 5}, {1806, 99, 0}}));

  auto unknown = RequestAsync(4242, QByteArray("whatever"));
  EXPECT_EQ(Await(unknown), 0);
}

TEST_F(InstanceTest, SeveralRequestsOnOneConnectionAreAnsweredInOrder) {
  InstanceServer* server = BecomeFirst();
  server->SetMessageHandler([](int, int w, int) { return w * 10; });
  const QString path = first_->SocketPath();
  auto answers = std::async(std::launch::async, [path] {
    QLocalSocket s;
    s.connectToServer(path);
    QList<qint32> out;
    if (!s.waitForConnected(5000)) return out;
    QByteArray frames;
    for (int w : {1, 2, 3}) frames += instance::Frame(instance::kCommandPlay, Pair(w, 0));
    s.write(frames);
    s.waitForBytesWritten(5000);
    QByteArray got;
    while (got.size() < 12 && s.waitForReadyRead(10000)) got += s.readAll();
    for (int i = 0; i + 4 <= got.size(); i += 4) out.append(instance::ReadInt32(got.data() + i));
    return out;
  });
  // Sent before ready: answered only once the window is there, still in order.
  ASSERT_TRUE(WaitUntil([&] { return server->WaitingRequests() == 3; }));
  server->SetReady();
  EXPECT_EQ(Await(answers), (QList<qint32>{10, 20, 30}));
}

TEST_F(InstanceTest, LinksAreHandedOverAsOneText) {
  InstanceServer* server = BecomeFirst();
  auto early = RequestAsync(instance::kCopyDataLinks, QByteArray("vireo://a;\0", 11));
  EXPECT_EQ(Await(early), 0);
  EXPECT_TRUE(links_.isEmpty());
  server->SetReady();
  auto late = RequestAsync(instance::kCopyDataLinks, QByteArray("one;two;"));
  EXPECT_EQ(Await(late), 0);
  EXPECT_EQ(links_, (QStringList{QStringLiteral("vireo://a;"), QStringLiteral("one;two;")}));
}

TEST_F(InstanceTest, AForeignPeerAnnouncingAHugeFrameIsDroppedAndOthersAreServed) {
  InstanceServer* server = BecomeFirst();
  server->SetReady();
  server->SetMessageHandler([](int, int, int) { return 5; });
  const QString path = first_->SocketPath();
  auto dropped = std::async(std::launch::async, [path] {
    QLocalSocket s;
    s.connectToServer(path);
    if (!s.waitForConnected(5000)) return false;
    QByteArray header;
    instance::AppendInt32(header, instance::kCopyDataArgs);
    instance::AppendInt32(header, 0x7FFFFFFF);
    s.write(header);
    s.waitForBytesWritten(5000);
    // The server hangs up instead of answering.
    return s.waitForDisconnected(10000) || s.state() == QLocalSocket::UnconnectedState;
  });
  EXPECT_TRUE(Await(dropped));
  auto fine = RequestAsync(instance::kCommandPlay, Pair(15, 0));
  EXPECT_EQ(Await(fine), 5);
}

}  // namespace
}  // namespace vireo
