#include "net/UpdateInstaller.h"

#include <sodium.h>

#include <QFile>

#include "base/TextUtil.h"

#ifndef VIREO_UPDATE_PUBLIC_KEY
#define VIREO_UPDATE_PUBLIC_KEY ""
#endif

namespace vireo {

QString UpdateInstaller::TargetPath(const QString& dataDir, const QDate& date) {
  QString dir = dataDir;
  if (!dir.isEmpty() && !dir.endsWith(u'/')) dir += u'/';
  return dir + QStringLiteral("update/up") + date.toString(QStringLiteral("yyMMdd"));
}

QByteArray UpdateInstaller::BuiltInPublicKey() {
  const auto key = QByteArray::fromBase64Encoding(QByteArrayLiteral(VIREO_UPDATE_PUBLIC_KEY),
                                                  QByteArray::AbortOnBase64DecodingErrors);
  if (!key || key.decoded.size() != crypto_sign_PUBLICKEYBYTES) return {};
  return key.decoded;
}

bool UpdateInstaller::Verify(const QString& path, QByteArrayView signatureBase64,
                             QByteArrayView publicKey) {
  if (publicKey.size() != crypto_sign_PUBLICKEYBYTES) return false;
  const auto sig = QByteArray::fromBase64Encoding(TrimBytes(signatureBase64),
                                                  QByteArray::AbortOnBase64DecodingErrors);
  if (!sig || sig.decoded.size() != crypto_sign_BYTES) return false;
  if (sodium_init() < 0) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const qint64 size = file.size();
  const auto* pk = reinterpret_cast<const unsigned char*>(publicKey.data());
  const auto* s = reinterpret_cast<const unsigned char*>(sig.decoded.constData());
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
