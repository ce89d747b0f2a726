#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <mutex>
#include <optional>

#include "SigningKey.h"

namespace vireo::service {

// The update manifest from a folder of installers. The newest installer is the file whose name
// carries the highest version ("vireo-setup-0.2.0.run", "vireo-1.2.3.4"): the last run of two
// to four dot-separated numbers in the name. With a signing key, the manifest carries the
// installer's signature (sig) and the signature of the release statement (vsig: the version
// number, the file name and sig, see UpdateInstaller::ReleaseStatement); without one, it carries
// neither and players will not fetch it.
//
//   <petrel><ver value="200"/><version value="0.2.0"/>
//           <file value="http://host/soft/vireo-setup-0.2.0.run" sig="base64" vsig="base64"/>
//   </petrel>
//
// Without a folder, or with no installer in it, the manifest is just <petrel/>: the service is
// reachable and offers no update. Thread-safe; the signature is remembered until the file
// changes.
class ReleaseFolder {
 public:
  ReleaseFolder(QString dir, std::optional<SigningKey> key);

  QString Dir() const { return dir_; }
  // baseUrl: "http://" + the host the player asked for.
  QByteArray Manifest(const QByteArray& baseUrl);
  // The version text in an installer's name, or empty.
  static QString VersionInName(const QString& fileName);

 private:
  struct Newest {
    QString name, version;
    quint32 number = 0;
  };
  std::optional<Newest> FindNewest() const;

  const QString dir_;
  const std::optional<SigningKey> key_;
  std::mutex mutex_;  // guards the remembered signature below
  QString signedPath_;
  qint64 signedSize_ = -1;
  QDateTime signedModified_;
  QByteArray signature_;
};

}  // namespace vireo::service
