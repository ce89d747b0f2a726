#include "SigningKey.h"

#include <sodium.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vireo::service {

std::optional<QByteArray> SigningKey::MakeKeyFile(const QString& path, QString* error) {
  if (sodium_init() < 0) {
    *error = QStringLiteral("libsodium could not start");
    return std::nullopt;
  }
  if (QFileInfo::exists(path)) {
    *error = QStringLiteral("%1 exists already; it is not overwritten").arg(path);
    return std::nullopt;
  }
  QByteArray pk(crypto_sign_PUBLICKEYBYTES, '\0'), sk(crypto_sign_SECRETKEYBYTES, '\0');
  crypto_sign_keypair(reinterpret_cast<unsigned char*>(pk.data()),
                      reinterpret_cast<unsigned char*>(sk.data()));
  QSaveFile secret(path);
  if (!secret.open(QIODevice::WriteOnly) ||
      !secret.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
      secret.write(sk.toBase64() + '\n') < 0 || !secret.commit()) {
    *error = QStringLiteral("cannot write %1: %2").arg(path, secret.errorString());
    sodium_memzero(sk.data(), static_cast<size_t>(sk.size()));
    return std::nullopt;
  }
  sodium_memzero(sk.data(), static_cast<size_t>(sk.size()));
  QSaveFile pub(path + QStringLiteral(".pub"));
  if (!pub.open(QIODevice::WriteOnly) || pub.write(pk.toBase64() + '\n') < 0 || !pub.commit()) {
    *error = QStringLiteral("cannot write %1.pub: %2").arg(path, pub.errorString());
    return std::nullopt;
  }
  return pk.toBase64();
}

std::optional<SigningKey> SigningKey::Load(const QString& path, QString* error) {
  if (sodium_init() < 0) {
    *error = QStringLiteral("libsodium could not start");
    return std::nullopt;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("cannot read the key file %1: %2").arg(path, file.errorString());
    return std::nullopt;
  }
  const auto decoded = QByteArray::fromBase64Encoding(file.readAll().trimmed(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded || decoded.decoded.size() != crypto_sign_SECRETKEYBYTES) {
    *error = QStringLiteral("%1 is not a key file made by --make-key").arg(path);
    return std::nullopt;
  }
  SigningKey key;
  key.secretKey_ = decoded.decoded;
  key.publicKey_.resize(crypto_sign_PUBLICKEYBYTES);
  crypto_sign_ed25519_sk_to_pk(reinterpret_cast<unsigned char*>(key.publicKey_.data()),
                               reinterpret_cast<const unsigned char*>(key.secretKey_.constData()));
  return key;
}

QByteArray SigningKey::SignFile(const QString& path) const {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const qint64 size = file.size();
  QByteArray all;
  const uchar* bytes = size > 0 ? file.map(0, size) : nullptr;
  if (!bytes && size > 0) {
    all = file.readAll();
    if (all.size() != size) return {};
    bytes = reinterpret_cast<const uchar*>(all.constData());
  }
  return Sign(QByteArrayView(bytes, size));
}

QByteArray SigningKey::Sign(QByteArrayView bytes) const {
  QByteArray sig(crypto_sign_BYTES, '\0');
  crypto_sign_detached(reinterpret_cast<unsigned char*>(sig.data()), nullptr,
                       reinterpret_cast<const unsigned char*>(bytes.data()),
                       static_cast<unsigned long long>(bytes.size()),
                       reinterpret_cast<const unsigned char*>(secretKey_.constData()));
  return sig.toBase64();
}

}  // namespace vireo::service
