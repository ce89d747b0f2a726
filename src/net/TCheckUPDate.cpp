#include "net/TCheckUPDate.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QXmlStreamReader>

#include "base/Logging.h"
#include "base/TextUtil.h"
#include "base/WorkerRegistry.h"
#include "net/HttpClient.h"
#include "net/ServiceHost.h"
#include "net/UpdateInstaller.h"

namespace vireo {

void TCheckUPDate::Create(QObject* receiver, Done done, const QString& runningVersion,
                          const QString& dataDir) {
  QPointer<QObject> guard(receiver);
  WorkerRegistry::Instance().Start(
      QStringLiteral("get"),
      [guard, done = std::move(done), runningVersion, dataDir](WorkerJob&) {
        UpdateCheckResult result;
        try {
          const QByteArray url = ServiceHost::Url("/soft/update.xml");
          if (!url.isEmpty()) result = Evaluate(HttpGet(url), runningVersion);
          if (!dataDir.isEmpty()) result.RefusedVersion = UpdateInstaller::RefusedVersion(dataDir);
        } catch (...) {
          result = {};
        }
        if (!done) return;
        // The application object outlives every request thread (the registry's Shutdown at exit).
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, done, result] {
              if (guard) done(result);
            },
            Qt::QueuedConnection);
      },
      "vireo-update");
}

UpdateCheckResult TCheckUPDate::Evaluate(const QByteArray& manifest,
                                         const QString& runningVersion) {
  UpdateCheckResult r;
  r.Manifest = manifest;
  r.Online = manifest.contains("petrel");
  if (!r.Online) return r;

  QByteArray remote;
  QXmlStreamReader xml(manifest);
  // Tags are taken in document order up to the first fault; what came before it counts.
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const QString name = xml.name().toString().toLower();
    const QXmlStreamAttributes attrs = xml.attributes();
    if (name == u"ver") {
      remote = attrs.value(QStringLiteral("value")).toUtf8();
    } else if (name == u"file") {
      r.FileUrl = attrs.value(QStringLiteral("value")).toString();
      r.FileSig = attrs.value(QStringLiteral("sig")).toLatin1();
      r.ReleaseSig = attrs.value(QStringLiteral("vsig")).toLatin1();
    }
  }
  const auto local = VersionNumber(runningVersion);
  const auto number = ManifestNumber(remote);
  r.HasUpdate = local && number && *local < *number;
  r.Version = number.value_or(0);
  return r;
}

std::optional<quint32> TCheckUPDate::VersionNumber(const QString& dotted) {
  const QStringList parts = TrimText(dotted).split(u'.');
  if (parts.size() < 2 || parts.size() > 4) return std::nullopt;
  QString digits;
  for (int i = 0; i < 4; ++i) {
    const QString part = i < parts.size() ? parts[i] : QStringLiteral("0");
    bool ok = false;
    const uint v = part.toUInt(&ok);
    if (!ok || v > 65535 || part.isEmpty() || !part[0].isDigit()) return std::nullopt;
    digits += QString::number(v);
  }
  return ManifestNumber(digits.toLatin1());
}

std::optional<quint32> TCheckUPDate::ManifestNumber(QByteArrayView value) {
  const QByteArray t = TrimBytes(value);
  if (t.isEmpty() || t.size() > 10) return std::nullopt;
  quint64 n = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<quint64>(c - '0');
  }
  if (n > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<quint32>(n);
}

QString TCheckUPDate::FileNameOf(const QString& fileUrl) {
  return QUrl(TrimText(fileUrl)).fileName(QUrl::FullyDecoded);
}

UpdatePlan TCheckUPDate::Plan(const UpdateCheckResult& result, const QByteArray& serviceUrlBase,
                              QByteArrayView publicKey) {
  UpdatePlan p;
  p.ServiceReachable = result.Online;
  if (result.Online && !serviceUrlBase.isEmpty()) p.LibraryUrl = serviceUrlBase + "/index_sh.asp";
  const QString url = TrimText(result.FileUrl);
  if (!result.HasUpdate || url.isEmpty() || result.FileSig.isEmpty() || publicKey.isEmpty())
    return p;
  if (result.Version == result.RefusedVersion) {
    qCInfo(lcNet) << "update" << result.Version << "was refused before; not fetched again";
    return p;
  }
  const QByteArray statement =
      UpdateInstaller::ReleaseStatement(result.Version, FileNameOf(url), result.FileSig);
  if (!UpdateInstaller::VerifyBytes(statement, result.ReleaseSig, publicKey)) {
    qCWarning(lcNet) << "update" << result.Version
                     << "is not signed for this version and file; ignored";
    return p;
  }
  p.StartUpdate = true;
  p.UpdateFileUrl = url;
  p.UpdateFileSig = result.FileSig;
  p.Version = result.Version;
  return p;
}

}  // namespace vireo
