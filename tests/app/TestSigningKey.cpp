#include "TestSigningKey.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <QFile>

namespace vireo::test {

QByteArray SignWithTestKey(const QByteArray& bytes) {
  QFile f(QStringLiteral(VIREO_TEST_DATA_DIR "/update/test-signing.key"));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray secret = QByteArray::fromBase64(f.readAll().trimmed());
  EXPECT_EQ(secret.size(), crypto_sign_SECRETKEYBYTES);
  return SignWith(secret, bytes);
}

QByteArray SignWith(const QByteArray& secretKey, const QByteArray& bytes) {
  EXPECT_GE(sodium_init(), 0);
  if (secretKey.size() != crypto_sign_SECRETKEYBYTES) return {};
  QByteArray sig(crypto_sign_BYTES, '\0');
  crypto_sign_detached(reinterpret_cast<unsigned char*>(sig.data()), nullptr,
                       reinterpret_cast<const unsigned char*>(bytes.constData()),
                       static_cast<unsigned long long>(bytes.size()),
                       reinterpret_cast<const unsigned char*>(secretKey.constData()));
  return sig.toBase64();
}

}  // namespace vireo::test
