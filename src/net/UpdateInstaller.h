#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

namespace vireo {

// Where the update dialog puts the downloaded installer, and the check that decides whether it
// may run. An installer runs only when its Ed25519 signature (from the manifest, base64) verifies
// over the whole file with the public key built into the player; a file that fails is deleted,
// so nothing unverified ever stays in the update folder.
class UpdateInstaller {
 public:
  // dataDir + "update/" + "up" + date as "yymmdd" (dataDir ends with '/').
  static QString TargetPath(const QString& dataDir, const QDate& date = QDate::currentDate());

  // The built-in public key (32 bytes), from the build setting VIREO_UPDATE_PUBLIC_KEY (base64).
  // Empty when the build has none: then no installer is ever accepted.
  static QByteArray BuiltInPublicKey();

  // True when signatureBase64 is a valid Ed25519 signature of the file's bytes by publicKey.
  static bool Verify(const QString& path, QByteArrayView signatureBase64, QByteArrayView publicKey);

  // What the release signature ("vsig" in the manifest) covers: the offered version number, the
  // installer's file name and its byte signature. So a network in between can neither offer an
  // older signed installer as the newest nor rename one; the byte signature binds the bytes.
  static QByteArray ReleaseStatement(quint32 version, const QString& fileName,
                                     QByteArrayView fileSignatureBase64);
  // True when signatureBase64 is a valid Ed25519 signature of the bytes by publicKey.
  static bool VerifyBytes(QByteArrayView bytes, QByteArrayView signatureBase64,
                          QByteArrayView publicKey);

  // The version whose installer failed its check here, remembered in dataDir + "update/refused"
  // so that it is not fetched again; 0 when none was.
  static quint32 RefusedVersion(const QString& dataDir);
  static void RememberRefused(const QString& dataDir, quint32 version);

  // Verifies; on success makes the file executable and returns true, otherwise deletes it and
  // returns false. Blocks on the disk for as long as reading the file takes.
  static bool Accept(const QString& path, QByteArrayView signatureBase64,
                     QByteArrayView publicKey = BuiltInPublicKey());
};

}  // namespace vireo
