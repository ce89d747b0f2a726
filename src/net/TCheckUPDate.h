#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace vireo {

// What one update check found out.
struct UpdateCheckResult {
  bool Online = false;     // the manifest came and contains "petrel"
  bool HasUpdate = false;  // its version number is greater than the running one
  QString FileUrl;         // the installer's address (the last "file" element's "value")
  QByteArray FileSig;      // the installer's Ed25519 signature, base64 ("sig" beside "value")
  QByteArray ReleaseSig;   // the signature of the release statement, base64 ("vsig" beside it)
  quint32 Version = 0;     // the offered version number ("ver"), 0 when unusable
  quint32 RefusedVersion = 0;  // the version refused here before (UpdateInstaller), 0: none
  QByteArray Manifest;     // the raw answer
};

// What the main window does when the check has ended (the decision of UpdateCheckDone).
struct UpdatePlan {
  bool ServiceReachable = false;
  QByteArray LibraryUrl;  // the library start page to open and show; empty: leave it hidden
  bool StartUpdate = false;
  QString UpdateFileUrl;  // for the update dialog
  QByteArray UpdateFileSig;
  quint32 Version = 0;  // what to remember when the installer is refused
};

// The update check: fetches "/soft/update.xml" from the service host on a thread of its own and
// hands the result to the UI thread. Nothing shared is touched meanwhile; an offline player
// (no service host) finishes at once with Online false.
class TCheckUPDate {
 public:
  using Done = std::function<void(const UpdateCheckResult&)>;

  // done runs on the receiver's thread by a queued call, and is skipped when the receiver is gone
  // by then. runningVersion is the player's own ("major.minor.release[.build]"); the worker also
  // reads the version refused before from dataDir (none when empty).
  static void Create(QObject* receiver, Done done,
                     const QString& runningVersion = QStringLiteral(VIREO_VERSION),
                     const QString& dataDir = QString());

  // The check's reading of a manifest against the running version. The first step of the worker,
  // apart from the request.
  static UpdateCheckResult Evaluate(const QByteArray& manifest, const QString& runningVersion);

  // The version number: the decimal texts of the four parts written one after another, read as
  // one integer (3.3.6.237 gives 336237). Missing parts count as 0 (0.1.0 is 0.1.0.0, 100).
  // nullopt for a text that is not two to four dot-separated numbers of 0..65535 each, or whose
  // number does not fit 32 bits unsigned.
  static std::optional<quint32> VersionNumber(const QString& dotted);

  // A manifest "ver" value: a decimal integer that fits 32 bits unsigned (surrounding blanks
  // allowed), else nullopt.
  static std::optional<quint32> ManifestNumber(QByteArrayView value);

  // UpdateCheckDone's decision. serviceUrlBase is "http://" + service host. An update starts
  // only when the player has a public key, the offered version is newer than the running one
  // and is not the one refused before
  // (result.RefusedVersion), and the release statement (version, installer name, installer
  // signature) verifies with the key. Anything less would download an installer only to
  // refuse it, or let a network in between offer an older one.
  static UpdatePlan Plan(const UpdateCheckResult& result, const QByteArray& serviceUrlBase,
                         QByteArrayView publicKey);

  // The installer's file name: the last segment of its address's path, percent-decoded.
  static QString FileNameOf(const QString& fileUrl);
};

}  // namespace vireo
