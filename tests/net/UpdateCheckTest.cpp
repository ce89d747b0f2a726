#include <gtest/gtest.h>
#include <sodium.h>

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "LoopbackHttpServer.h"
#include "TestEnv.h"
#include "net/ServiceHost.h"
#include "net/TCheckUPDate.h"
#include "net/UpdateInstaller.h"

using namespace vireo;
using vireo::test::LoopbackHttpServer;

namespace {

QByteArray Manifest(const char* ver, const char* file = "http://h/soft/up.run",
                    const char* sig = "c2ln") {
  return QByteArray("<?xml version=\"1.0\"?><petrel><ver value=\"") + ver + "\"/><file value=\"" +
         file + "\" sig=\"" + sig + "\"/></petrel>";
}

struct KeyPair {
  QByteArray pk = QByteArray(crypto_sign_PUBLICKEYBYTES, '\0');
  QByteArray sk = QByteArray(crypto_sign_SECRETKEYBYTES, '\0');
  KeyPair() {
    EXPECT_GE(sodium_init(), 0);
    crypto_sign_keypair(reinterpret_cast<unsigned char*>(pk.data()),
                        reinterpret_cast<unsigned char*>(sk.data()));
  }
  QByteArray Sign(const QByteArray& bytes) const {
    QByteArray sig(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(sig.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(bytes.constData()),
                         static_cast<unsigned long long>(bytes.size()),
                         reinterpret_cast<const unsigned char*>(sk.constData()));
    return sig.toBase64();
  }
};

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  const QString path = dir.filePath(name);
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  return path;
}

}  // namespace

TEST(UpdateVersion, IsTheConcatenatedDecimalParts) {
  EXPECT_EQ(TCheckUPDate::VersionNumber(QStringLiteral("3.3.6.237")), 336237u);
  EXPECT_EQ(TCheckUPDate::VersionNumber(QStringLiteral("3.3.10.1")), 33101u);
  EXPECT_EQ(TCheckUPDate::VersionNumber(QStringLiteral("0.1.0")), 100u);  // build part 0
  EXPECT_EQ(TCheckUPDate::VersionNumber(QStringLiteral("1.2")), 1200u);
  EXPECT_EQ(TCheckUPDate::VersionNumber(QStringLiteral("4.2.9.65535")), 42965535u);
  // Not a version, or a number past 32 bits.
  EXPECT_FALSE(TCheckUPDate::VersionNumber(QStringLiteral("3")));
  EXPECT_FALSE(TCheckUPDate::VersionNumber(QStringLiteral("3.x.1")));
  EXPECT_FALSE(TCheckUPDate::VersionNumber(QStringLiteral("1.2.3.4.5")));
  EXPECT_FALSE(TCheckUPDate::VersionNumber(QStringLiteral("3.-1.0")));
  EXPECT_FALSE(TCheckUPDate::VersionNumber(QStringLiteral("65535.65535.65535.65535")));
  EXPECT_EQ(TCheckUPDate::ManifestNumber(" 4294967295 "), 4294967295u);
  EXPECT_FALSE(TCheckUPDate::ManifestNumber("4294967296"));
  EXPECT_FALSE(TCheckUPDate::ManifestNumber("-1"));
  EXPECT_FALSE(TCheckUPDate::ManifestNumber("33a"));
  EXPECT_FALSE(TCheckUPDate::ManifestNumber(""));
}

TEST(UpdateCheck, OffersAnUpdateOnlyForAGreaterNumber) {
  const QString running = QStringLiteral("3.3.6.237");
  const auto one = TCheckUPDate::Evaluate(Manifest("336238"), running);
  EXPECT_TRUE(one.Online);
  EXPECT_TRUE(one.HasUpdate);
  EXPECT_EQ(one.FileUrl, QStringLiteral("http://h/soft/up.run"));
  EXPECT_EQ(one.FileSig, QByteArray("c2ln"));
  EXPECT_FALSE(TCheckUPDate::Evaluate(Manifest("336237"), running).HasUpdate);
  // 3.3.10.1 is 33101, five digits: older than 3.3.6.237's 336237, and the other way round.
  EXPECT_FALSE(TCheckUPDate::Evaluate(Manifest("33101"), running).HasUpdate);
  EXPECT_TRUE(TCheckUPDate::Evaluate(Manifest("336237"), QStringLiteral("3.3.10.1")).HasUpdate);
}

TEST(UpdateCheck, ReadsTheManifestAsThePlayerAlwaysHas) {
  const QString running = QStringLiteral("3.3.6.237");
  // "petrel" anywhere, a comment included, means reachable.
  const auto comment = TCheckUPDate::Evaluate("<update><!-- petrel --></update>", running);
  EXPECT_TRUE(comment.Online);
  EXPECT_FALSE(comment.HasUpdate);
  // Without it nothing counts, not even a newer version.
  const auto other = TCheckUPDate::Evaluate("<update><ver value=\"999999\"/></update>", running);
  EXPECT_FALSE(other.Online);
  EXPECT_FALSE(other.HasUpdate);
  // Names in any case; the last of each element counts.
  const auto last = TCheckUPDate::Evaluate(
      "<petrel><VER value=\"999999\"/><File value=\"http://a/1\"/><ver value=\"1\"/>"
      "<file value=\"http://a/2\" sig=\"eA==\"/></petrel>",
      running);
  EXPECT_TRUE(last.Online);
  EXPECT_FALSE(last.HasUpdate);
  EXPECT_EQ(last.FileUrl, QStringLiteral("http://a/2"));
  EXPECT_EQ(last.FileSig, QByteArray("eA=="));
  // An unusable version: reachable, no update.
  const auto bad = TCheckUPDate::Evaluate(Manifest("3.4"), running);
  EXPECT_TRUE(bad.Online);
  EXPECT_FALSE(bad.HasUpdate);
  const auto negative = TCheckUPDate::Evaluate(Manifest("-1"), running);
  EXPECT_FALSE(negative.HasUpdate);
  // A broken document keeps what came before the fault.
  const auto broken =
      TCheckUPDate::Evaluate("<petrel><ver value=\"999999\"/><file value=\"u\"/><<<", running);
  EXPECT_TRUE(broken.HasUpdate);
  EXPECT_EQ(broken.FileUrl, QStringLiteral("u"));
}

// A manifest as a service with the key writes it: the installer's signature and the release
// statement's.
static QByteArray SignedManifest(const KeyPair& key, quint32 ver, const char* file = "up.run",
                          quint32 statedVer = 0, const char* statedFile = nullptr) {
  const QByteArray sig = key.Sign("installer bytes");
  const QByteArray vsig = key.Sign(UpdateInstaller::ReleaseStatement(
      statedVer ? statedVer : ver, QString::fromUtf8(statedFile ? statedFile : file), sig));
  return "<petrel><ver value=\"" + QByteArray::number(ver) + "\"/><file value=\"http://h/soft/" +
         file + "\" sig=\"" + sig + "\" vsig=\"" + vsig + "\"/></petrel>";
}

TEST(UpdateCheck, PlanStartsOnlyANewerReleaseSignedForItsVersionAndFile) {
  const QString running = QStringLiteral("3.3.6.237");
  const KeyPair key, stranger;
  const auto plan = [&](const QByteArray& manifest, const QByteArray& pk, quint32 refused = 0) {
    UpdateCheckResult r = TCheckUPDate::Evaluate(manifest, running);
    r.RefusedVersion = refused;
    return TCheckUPDate::Plan(r, "http://svc:8080", pk);
  };
  const UpdatePlan good = plan(SignedManifest(key, 336238), key.pk);
  EXPECT_TRUE(good.ServiceReachable);
  EXPECT_EQ(good.LibraryUrl, QByteArray("http://svc:8080/index_sh.asp"));
  EXPECT_TRUE(good.StartUpdate);
  EXPECT_EQ(good.UpdateFileUrl, QStringLiteral("http://h/soft/up.run"));
  EXPECT_EQ(good.Version, 336238u);
  // Percent-encoded names are stated decoded, as the service signs them.
  EXPECT_TRUE(plan(SignedManifest(key, 336238, "vireo%20setup.run", 0, "vireo setup.run"), key.pk)
                  .StartUpdate);

  // An older signed release offered as newer: its statement names the older version.
  EXPECT_FALSE(plan(SignedManifest(key, 336238, "up.run", 336200), key.pk).StartUpdate);
  // A signed release under another file's name.
  EXPECT_FALSE(plan(SignedManifest(key, 336238, "up.run", 0, "other.run"), key.pk).StartUpdate);
  // The running version, or an older one, signed as it is: not an update.
  EXPECT_FALSE(plan(SignedManifest(key, 336237), key.pk).StartUpdate);
  EXPECT_FALSE(plan(SignedManifest(key, 100), key.pk).StartUpdate);
  // Signed by another key, without a statement, or by a player without a key.
  EXPECT_FALSE(plan(SignedManifest(stranger, 336238), key.pk).StartUpdate);
  EXPECT_FALSE(plan(Manifest("336238"), key.pk).StartUpdate);
  EXPECT_FALSE(plan(SignedManifest(key, 336238), QByteArray()).StartUpdate);
  EXPECT_TRUE(plan(SignedManifest(key, 336238), QByteArray()).ServiceReachable);
  // The version refused here before is not fetched again; a later one is.
  EXPECT_FALSE(plan(SignedManifest(key, 336238), key.pk, 336238).StartUpdate);
  EXPECT_TRUE(plan(SignedManifest(key, 336239), key.pk, 336238).StartUpdate);

  const auto offline = plan("", key.pk);
  EXPECT_FALSE(offline.ServiceReachable);
  EXPECT_TRUE(offline.LibraryUrl.isEmpty());
  EXPECT_FALSE(offline.StartUpdate);
}

TEST(UpdateInstaller, RemembersTheRefusedVersionAcrossStarts) {
  QTemporaryDir dir;
  const QString data = dir.path() + u'/';
  EXPECT_EQ(UpdateInstaller::RefusedVersion(data), 0u);
  UpdateInstaller::RememberRefused(data, 99000);
  EXPECT_EQ(UpdateInstaller::RefusedVersion(data), 99000u);
  UpdateInstaller::RememberRefused(data, 99001);
  EXPECT_EQ(UpdateInstaller::RefusedVersion(dir.path()), 99001u);
}

TEST(UpdateCheck, FetchesTheManifestFromTheServiceHostAndAnswersOnTheUiThread) {
  LoopbackHttpServer server(
      [](const LoopbackHttpServer::Request&, LoopbackHttpServer::Connection& c) {
        c.Write(LoopbackHttpServer::Response(200,
                                             "<petrel><ver value=\"4294967295\"/>"
                                             "<file value=\"http://x/i\" sig=\"AA==\"/></petrel>"));
      });
  ServiceHost::SetHost(QString::fromStdString(server.HostPort()));
  QObject receiver;
  std::optional<UpdateCheckResult> got;
  Qt::HANDLE thread = nullptr;
  TCheckUPDate::Create(&receiver, [&](const UpdateCheckResult& r) {
    got = r;
    thread = QThread::currentThreadId();
  });
  ASSERT_TRUE(test::WaitUntil([&] { return got.has_value(); }, 10000));
  EXPECT_EQ(thread, QThread::currentThreadId());
  EXPECT_TRUE(got->Online);
  EXPECT_TRUE(got->HasUpdate);
  EXPECT_EQ(got->FileUrl, QStringLiteral("http://x/i"));
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].target, "/soft/update.xml");

  // Offline: done at once, nothing asked.
  ServiceHost::SetHost(QString());
  got.reset();
  TCheckUPDate::Create(&receiver, [&](const UpdateCheckResult& r) { got = r; });
  ASSERT_TRUE(test::WaitUntil([&] { return got.has_value(); }, 10000));
  EXPECT_FALSE(got->Online);
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST(UpdateInstaller, TargetIsUpAndTheDateInTheUpdateFolder) {
  EXPECT_EQ(UpdateInstaller::TargetPath(QStringLiteral("/home/u/Vireo/"), QDate(2024, 3, 15)),
            QStringLiteral("/home/u/Vireo/update/up240315"));
  EXPECT_EQ(UpdateInstaller::TargetPath(QStringLiteral("/d"), QDate(2031, 12, 1)),
            QStringLiteral("/d/update/up311201"));
}

TEST(UpdateInstaller, RunsOnlyAnInstallerSignedWithTheKey) {
  QTemporaryDir dir;
  const KeyPair key, stranger;
  const QByteArray installer = QByteArray("#!/bin/sh\necho installing\n").repeated(1000);

  const QString good = WriteFile(dir, QStringLiteral("good"), installer);
  EXPECT_TRUE(UpdateInstaller::Accept(good, key.Sign(installer), key.pk));
  EXPECT_TRUE(QFile::exists(good));
  EXPECT_TRUE(QFile::permissions(good) & QFileDevice::ExeOwner);

  // Signed by another key, unsigned, garbage, or the file changed after signing: deleted.
  const QString other = WriteFile(dir, QStringLiteral("other"), installer);
  EXPECT_FALSE(UpdateInstaller::Accept(other, stranger.Sign(installer), key.pk));
  EXPECT_FALSE(QFile::exists(other));
  const QString none = WriteFile(dir, QStringLiteral("none"), installer);
  EXPECT_FALSE(UpdateInstaller::Accept(none, "", key.pk));
  EXPECT_FALSE(QFile::exists(none));
  const QString junk = WriteFile(dir, QStringLiteral("junk"), installer);
  EXPECT_FALSE(UpdateInstaller::Accept(junk, "not base64 at all!", key.pk));
  EXPECT_FALSE(QFile::exists(junk));
  QByteArray changed = installer;
  changed[10] = 'X';
  const QString tampered = WriteFile(dir, QStringLiteral("tampered"), changed);
  EXPECT_FALSE(UpdateInstaller::Accept(tampered, key.Sign(installer), key.pk));
  EXPECT_FALSE(QFile::exists(tampered));
  // A missing file is no installer either.
  EXPECT_FALSE(
      UpdateInstaller::Verify(dir.filePath(QStringLiteral("absent")), key.Sign(installer), key.pk));
}

TEST(UpdateInstaller, ABuildWithoutAKeyAcceptsNothing) {
  if (!UpdateInstaller::BuiltInPublicKey().isEmpty()) GTEST_SKIP() << "this build has a key";
  QTemporaryDir dir;
  const KeyPair key;
  const QString path = WriteFile(dir, QStringLiteral("i"), "x");
  EXPECT_FALSE(UpdateInstaller::Accept(path, key.Sign("x")));
  EXPECT_FALSE(QFile::exists(path));
}
