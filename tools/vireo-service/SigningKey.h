#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vireo::service {

// The Ed25519 key pair that signs installers. On disk: the secret key as base64 text in the key
// file (readable by its owner only), the public key as base64 text in the key file + ".pub".
class SigningKey {
 public:
  // Writes a new pair; refuses to overwrite an existing key file. Returns the public key
  // (base64), or an error text.
  static std::optional<QByteArray> MakeKeyFile(const QString& path, QString* error);
  // Reads a key file; nullopt with an error text when it is missing or malformed.
  static std::optional<SigningKey> Load(const QString& path, QString* error);

  QByteArray PublicKeyBase64() const { return publicKey_.toBase64(); }
  // The detached signature (base64) of the file's bytes; empty when the file cannot be read.
  QByteArray SignFile(const QString& path) const;
  // The detached signature (base64) of the bytes.
  QByteArray Sign(QByteArrayView bytes) const;

 private:
  QByteArray secretKey_;  // 64 bytes
  QByteArray publicKey_;  // 32 bytes
};

}  // namespace vireo::service
