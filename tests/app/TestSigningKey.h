#pragma once

#include <QByteArray>

namespace vireo::test {

// The detached signature (base64) of the bytes by the secret half of
// tests/data/update/test-signing.key, whose public half the test programs built with
// TestUpdateKey.cpp take for the player's own.
QByteArray SignWithTestKey(const QByteArray& bytes);
// The detached signature (base64) of the bytes by an Ed25519 secret key (64 bytes).
QByteArray SignWith(const QByteArray& secretKey, const QByteArray& bytes);

}  // namespace vireo::test
