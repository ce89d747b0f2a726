#include "net/UpdateInstaller.h"

#include <sodium.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "base/TextUtil.h"

#include "base/AtomicFileWriter.h"

#ifndef VIREO_UPDATE_PUBLIC_KEY
#define VIREO_UPDATE_PUBLIC_KEY ""
#endif

// Weak, so that a program may carry a key of its own (the whole-program tests' player is linked
// with a test key); the player itself has the build's.
[[gnu::weak]] extern const char kVireoUpdatePublicKey[] = VIREO_UPDATE_PUBLIC_KEY;

namespace vireo {
namespace {

std::optional<QByteArray> DecodedSignature(QByteArrayView base64) {
  const auto sig = QByteArray::fromBase64Encoding(TrimBytes(base64),
                                                  QByteArray::AbortOnBase64DecodingErrors);
  if (!sig || sig.decoded.size() != crypto_sign_BYTES) return std::nullopt;
  return sig.decoded;
}

QString RefusedFile(const QString& dataDir) {
  QString dir = dataDir;
  if (!dir.isEmpty() && !dir.endsWith(u'/')) dir += u'/';
  return dir + QStringLiteral("update/refused");
}

}  // namespace

QString UpdateInstaller::TargetPath(const QString& dataDir, const QDate& date) {
  QString dir = dataDir;
  if (!dir.isEmpty() && !dir.endsWith(u'/')) dir += u'/';
  return dir + QStringLiteral("update/up") + date.toString(QStringLiteral("yyMMdd"));
}

QByteArray UpdateInstaller::BuiltInPublicKey() {
  const auto key = QByteArray::fromBase64Encoding(QByteArray(kVireoUpdatePublicKey),
                                                  QByteArray::AbortOnBase64DecodingErrors);
  if (!key || key.decoded.size() != crypto_sign_PUBLICKEYBYTES) return {};
  return key.decoded;
}

bool UpdateInstaller::Verify(const QString& path, QByteArrayView signatureBase64,
                             QByteArrayView publicKey) {
  if (publicKey.size() != crypto_sign_PUBLICKEYBYTES) return false;
  const auto sig = DecodedSignature(signatureBase64);
  if (!sig) return false;
  if (sodium_init() < 0) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const qint64 size = file.size();
  const auto* pk = reinterpret_cast<const unsigned char*>(publicKey.data());
  const auto* s = reinterpret_cast<const unsigned char*>(sig->constData());
  if (size == 0) return crypto_sign_verify_detached(s, nullptr, 0, pk) == 0;
  // Mapped rather than read, so a large installer is not copied into memory.
  const uchar* bytes = file.map(0, size);
  if (bytes) {
    const bool ok =
        crypto_sign_verify_detached(s, bytes, static_cast<unsigned long long>(size), pk) == 0;
    file.unmap(const_cast<uchar*>(bytes));
    return ok;
  }
  const QByteArray all = file.readAll();
  if (all.size() != size) return false;
  return crypto_sign_verify_detached(s, reinterpret_cast<const unsigned char*>(all.constData()),
                                     static_cast<unsigned long long>(all.size()), pk) == 0;
}

QByteArray UpdateInstaller::ReleaseStatement(quint32 version, const QString& fileName,
                                             QByteArrayView fileSignatureBase64) {
  return "vireo-release 1\n" + QByteArray::number(version) + '\n' + fileName.toUtf8() + '\n' +
         TrimBytes(fileSignatureBase64) + '\n';
}

bool UpdateInstaller::VerifyBytes(QByteArrayView bytes, QByteArrayView signatureBase64,
                                  QByteArrayView publicKey) {
  if (publicKey.size() != crypto_sign_PUBLICKEYBYTES || sodium_init() < 0) return false;
  const auto sig = DecodedSignature(signatureBase64);
  return sig &&
         crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(sig->constData()),
                                     reinterpret_cast<const unsigned char*>(bytes.data()),
                                     static_cast<unsigned long long>(bytes.size()),
                                     reinterpret_cast<const unsigned char*>(publicKey.data())) == 0;
}

quint32 UpdateInstaller::RefusedVersion(const QString& dataDir) {
  QFile f(RefusedFile(dataDir));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  return f.read(32).trimmed().toUInt();
}

void UpdateInstaller::RememberRefused(const QString& dataDir, quint32 version) {
  QDir().mkpath(QFileInfo(RefusedFile(dataDir)).absolutePath());
  AtomicFileWriter::Write(RefusedFile(dataDir), QByteArray::number(version) + '\n');
}

bool UpdateInstaller::Accept(const QString& path, QByteArrayView signatureBase64,
                             QByteArrayView publicKey) {
  if (!Verify(path, signatureBase64, publicKey)) {
    QFile::remove(path);
    return false;
  }
  QFile file(path);
  return file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ReadOwner);
}

}  // namespace vireo
