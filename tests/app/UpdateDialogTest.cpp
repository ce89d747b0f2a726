#include <gtest/gtest.h>
#include <sodium.h>

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>

#include "LibraryTestHost.h"
#include "LoopbackHttpServer.h"
#include "TestEnv.h"
#include "TestSigningKey.h"
#include "app/librarywindow/TLibraryWebPage.h"
#include "app/librarywindow/TPetrelShare.h"
#include "app/update/TPetrelUpdate.h"
#include "app/update/UpdateCheckDone.h"
#include "net/ServiceHost.h"
#include "net/UpdateInstaller.h"

using namespace vireo;
using vireo::test::FakeLibraryHost;
using vireo::test::LoopbackHttpServer;
using vireo::test::WaitUntil;

namespace {

struct KeyPair {
  QByteArray pub, secret;
  KeyPair() {
    EXPECT_GE(sodium_init(), 0);
    pub.resize(crypto_sign_PUBLICKEYBYTES);
    secret.resize(crypto_sign_SECRETKEYBYTES);
    crypto_sign_keypair(reinterpret_cast<unsigned char*>(pub.data()),
                        reinterpret_cast<unsigned char*>(secret.data()));
  }
  QByteArray Sign(const QByteArray& bytes) const { return test::SignWith(secret, bytes); }
};

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Serves one installer, with or without its length.
class UpdateDialog : public testing::Test {
 protected:
  void SetUp() override {
    marker = dir.filePath(QStringLiteral("installer-ran"));
    // An installer that notes its arguments, padded so that the download reports progress.
    installer =
        "#!/bin/sh\necho \"$@\" > '" + marker.toUtf8() + "'\n" + QByteArray(200000, '#') + "\n";
    server = std::make_unique<LoopbackHttpServer>(
        [this](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
          c.Write(LoopbackHttpServer::Response(
              200, std::string(installer.constData(), static_cast<size_t>(installer.size())),
              {{"Content-Type", "application/octet-stream"}}, withLength));
        });
    url = QString::fromStdString(server->Url("/soft/vireo-setup.run"));
    dataDir = dir.filePath(QStringLiteral("data")) + u'/';
  }
  QString Target() const {
    return dataDir + QStringLiteral("update/up") +
           QDate::currentDate().toString(QStringLiteral("yyMMdd"));
  }
  bool Finished(TPetrelUpdate& d) {
    return WaitUntil([&] { return d.Outcome() != TPetrelUpdate::Downloading; }, 15000);
  }

  QTemporaryDir dir;
  QString marker, url, dataDir;
  QByteArray installer;
  bool withLength = true;
  std::unique_ptr<LoopbackHttpServer> server;
  KeyPair key;
};

TEST_F(UpdateDialog, StartsASignedInstallerSilentlyAndAccepts) {
  TPetrelUpdate d(url, key.Sign(installer), dataDir, nullptr, key.pub, false);
  EXPECT_EQ(d.windowTitle(), QStringLiteral("维雀 升级"));
  EXPECT_EQ(d.size(), QSize(368, 87));
  EXPECT_EQ(d.TargetPath(), Target());
  d.show();
  ASSERT_TRUE(Finished(d));
  EXPECT_EQ(d.Outcome(), TPetrelUpdate::Started);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.Position(), 100);
  EXPECT_EQ(ReadFile(Target()), installer);
  // The shell creates the marker before it writes the arguments into it: wait for the line.
  ASSERT_TRUE(WaitUntil([&] { return ReadFile(marker).endsWith('\n'); }, 10000));
  EXPECT_EQ(ReadFile(marker).trimmed(), QByteArray("/SILENT"));
}

TEST_F(UpdateDialog, RefusesUnsignedAndWronglySignedInstallersAndDeletesThem) {
  const KeyPair other;
  quint32 version = 99000;
  for (const QByteArray& sig : {QByteArray(), other.Sign(installer), QByteArray("not base64!"),
                                key.Sign(installer + "tampered")}) {
    int launches = 0;
    TPetrelUpdate d(url, sig, dataDir, nullptr, key.pub, false, ++version);
    d.Launcher = [&](const QString&, const QStringList&) { return ++launches > 0; };
    d.show();
    ASSERT_TRUE(Finished(d)) << sig.constData();
    EXPECT_EQ(d.Outcome(), TPetrelUpdate::Refused);
    // Told once, in the dialog, which stays until it is closed.
    test::Pump(300);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.Text(), QString::fromUtf8(TPetrelUpdate::kRefusedText));
    EXPECT_EQ(launches, 0);
    EXPECT_FALSE(QFileInfo::exists(Target())) << sig.constData();
    EXPECT_EQ(UpdateInstaller::RefusedVersion(dataDir), version);
    d.close();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(d.Outcome(), TPetrelUpdate::Refused);
  }
  EXPECT_FALSE(QFileInfo::exists(marker));
  // An installer that verifies but cannot be started says so instead.
  TPetrelUpdate d(url, key.Sign(installer), dataDir, nullptr, key.pub, false);
  d.Launcher = [](const QString&, const QStringList&) { return false; };
  ASSERT_TRUE(Finished(d));
  EXPECT_EQ(d.Outcome(), TPetrelUpdate::Refused);
  EXPECT_EQ(d.Text(), QString::fromUtf8(TPetrelUpdate::kNotStartedText));
}

TEST_F(UpdateDialog, AnAnswerWithoutLengthLeavesTheBarWhereItWas) {
  withLength = false;
  TPetrelUpdate d(url, key.Sign(installer), dataDir, nullptr, key.pub, false);
  d.Launcher = [](const QString&, const QStringList&) { return true; };
  ASSERT_TRUE(Finished(d));
  EXPECT_EQ(d.Outcome(), TPetrelUpdate::Started);
  EXPECT_EQ(d.Position(), 0);
  // The bar's arithmetic holds past 32 bits of done × 100 (installers over 41 MB).
  EXPECT_EQ(TPetrelUpdate::ProgressPercent(60'000'000, 120'000'000), 50);
  EXPECT_EQ(TPetrelUpdate::ProgressPercent(4'000'000'000LL, 4'000'000'000LL), 100);
  EXPECT_EQ(TPetrelUpdate::ProgressPercent(7, 0), -1);
}

// UpdateCheckDone against a service that answers, with the main window faked.
class CheckDone : public testing::Test {
 protected:
  void SetUp() override {
    server = std::make_unique<LoopbackHttpServer>([](const LoopbackHttpServer::Request& r,
                                                     LoopbackHttpServer::Connection& c) {
      if (r.target == "/index_sh.asp")
        c.Write(LoopbackHttpServer::Response(200, "<html><body>library start page</body></html>",
                                             {{"Content-Type", "text/html; charset=utf-8"}}));
      else
        c.Write(LoopbackHttpServer::Response(404, "no"));
    });
    ServiceHost::SetHost(QString::fromStdString(server->HostPort()));
    host.dataDir = dir.path() + u'/';
    share = std::make_unique<TPetrelShare>(&host);
  }
  void TearDown() override {
    share.reset();
    ServiceHost::SetHost(QString());
  }
  QTemporaryDir dir;
  std::unique_ptr<LoopbackHttpServer> server;
  FakeLibraryHost host;
  std::unique_ptr<TPetrelShare> share;
};

TEST_F(CheckDone, AnOfflineCheckShowsNothing) {
  UpdateCheckResult r;
  EXPECT_EQ(UpdateCheckDone(host, *share, r), nullptr);
  EXPECT_FALSE(host.reachable);
  EXPECT_FALSE(share->isVisible());
  EXPECT_FALSE(share->BrowserMade());
  EXPECT_EQ(host.closes, 0);
}

TEST_F(CheckDone, AReachableServiceOpensItsStartPageBesideTheMainWindow) {
  QWidget main;
  main.setGeometry(50, 60, 300, 200);
  main.show();
  host.main = &main;
  UpdateCheckResult r;
  r.Online = true;
  EXPECT_EQ(UpdateCheckDone(host, *share, r), nullptr);
  EXPECT_TRUE(host.reachable);
  EXPECT_TRUE(share->isVisible());
  EXPECT_TRUE(host.checked);
  EXPECT_EQ(share->pos().x(), main.frameGeometry().right() + 1);
  ASSERT_TRUE(share->BrowserMade());
  ASSERT_TRUE(WaitUntil([&] { return share->WebPage()->url().path() == u"/index_sh.asp"; }, 15000));
  EXPECT_EQ(share->WebPage()->url().host(), QStringLiteral("127.0.0.1"));
}

TEST_F(CheckDone, ARefusedInstallerKeepsThePlayerRunningAndAClosedDialogEndsIt) {
  UpdateCheckResult r;
  r.Online = true;
  r.HasUpdate = true;
  r.FileUrl = QString::fromStdString(server->Url("/soft/setup.run"));  // answers 404
  r.FileSig = QByteArray(64, 'A').toBase64();
  r.Version = 99000;
  r.ReleaseSig = test::SignWithTestKey(
      UpdateInstaller::ReleaseStatement(r.Version, QStringLiteral("setup.run"), r.FileSig));
  // Without a signature, or with a statement for another version, no update starts at all.
  UpdateCheckResult unsignedOffer = r;
  unsignedOffer.FileSig.clear();
  EXPECT_EQ(UpdateCheckDone(host, *share, unsignedOffer, false), nullptr);
  UpdateCheckResult otherVersion = r;
  otherVersion.Version = 99001;
  EXPECT_EQ(UpdateCheckDone(host, *share, otherVersion, false), nullptr);

  // A failed download leaves the dialog open; closing it closes the player.
  QPointer<TPetrelUpdate> d = UpdateCheckDone(host, *share, r, false);
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->isVisible());
  EXPECT_TRUE(d->isModal());
  test::Pump(500);
  EXPECT_EQ(host.closes, 0);
  d->close();
  ASSERT_TRUE(WaitUntil([&] { return d.isNull(); }, 5000));
  EXPECT_EQ(host.closes, 1);
}

}  // namespace
