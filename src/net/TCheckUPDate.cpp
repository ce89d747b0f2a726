#include "net/TCheckUPDate.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringList>
#include <QXmlStreamReader>

#include "base/TextUtil.h"
#include "base/WorkerRegistry.h"
#include "net/HttpClient.h"
#include "net/ServiceHost.h"

namespace vireo {

void TCheckUPDate::Create(QObject* receiver, Done done, const QString& runningVersion) {
  QPointer<QObject> guard(receiver);
  WorkerRegistry::Instance().Start(
      QStringLiteral("get"),
      [guard, done = std::move(done), runningVersion](WorkerJob&) {
        UpdateCheckResult result;
        try {
          const QByteArray url = ServiceHost::Url("/soft/update.xml");
          if (!url.isEmpty()) result = Evaluate(HttpGet(url), runningVersion);
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
    }
  }
  const auto local = VersionNumber(runningVersion);
  const auto number = ManifestNumber(remote);
  r.HasUpdate = local && number && *local < *number;
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

UpdatePlan TCheckUPDate::Plan(const UpdateCheckResult& result, const QByteArray& serviceUrlBase) {
  UpdatePlan p;
  p.ServiceReachable = result.Online;
  if (result.Online && !serviceUrlBase.isEmpty()) p.LibraryUrl = serviceUrlBase + "/index_sh.asp";
  if (result.HasUpdate && !TrimText(result.FileUrl).isEmpty() && !result.FileSig.isEmpty()) {
    p.StartUpdate = true;
    p.UpdateFileUrl = TrimText(result.FileUrl);
    p.UpdateFileSig = result.FileSig;
  }
  return p;
}

}  // namespace vireo
