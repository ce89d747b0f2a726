#include "ReleaseFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include "net/TCheckUPDate.h"
#include "net/UpdateInstaller.h"

namespace vireo::service {
namespace {

QByteArray Escape(const QString& text) {
  return text.toHtmlEscaped().toUtf8();
}

}  // namespace

ReleaseFolder::ReleaseFolder(QString dir, std::optional<SigningKey> key)
    : dir_(std::move(dir)), key_(std::move(key)) {}

QString ReleaseFolder::VersionInName(const QString& fileName) {
  static const QRegularExpression re(QStringLiteral("(?<![0-9.])(\\d+(?:\\.\\d+){1,3})(?![0-9])"));
  QString last;
  auto it = re.globalMatch(fileName);
  while (it.hasNext()) last = it.next().captured(1);
  return last;
}

std::optional<ReleaseFolder::Newest> ReleaseFolder::FindNewest() const {
  if (dir_.isEmpty()) return std::nullopt;
  std::optional<Newest> best;
  const QFileInfoList files = QDir(dir_).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
  for (const QFileInfo& f : files) {
    if (f.fileName().startsWith(u'.') || f.suffix() == u"sig") continue;
    const QString version = VersionInName(f.fileName());
    const auto number = TCheckUPDate::VersionNumber(version);
    if (!number) continue;
    if (!best || *number > best->number) best = Newest{f.fileName(), version, *number};
  }
  return best;
}

QByteArray ReleaseFolder::Manifest(const QByteArray& baseUrl) {
  const auto newest = FindNewest();
  if (!newest) return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<petrel/>\n");
  QByteArray sig;
  if (key_) {
    const QFileInfo info(dir_ + u'/' + newest->name);
    std::lock_guard lock(mutex_);
    if (signedPath_ != info.filePath() || signedSize_ != info.size() ||
        signedModified_ != info.lastModified()) {
      signature_ = key_->SignFile(info.filePath());
      signedPath_ = info.filePath();
      signedSize_ = info.size();
      signedModified_ = info.lastModified();
    }
    sig = signature_;
  }
  QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<petrel>\n";
  xml += "  <ver value=\"" + QByteArray::number(newest->number) + "\"/>\n";
  xml += "  <version value=\"" + Escape(newest->version) + "\"/>\n";
  xml += "  <file value=\"" +
         Escape(QString::fromUtf8(baseUrl + "/soft/" + QUrl::toPercentEncoding(newest->name))) +
         '"';
  if (!sig.isEmpty()) {
    xml += " sig=\"" + sig + '"';
    xml += " vsig=\"" +
           key_->Sign(UpdateInstaller::ReleaseStatement(newest->number, newest->name, sig)) + '"';
  }
  xml += "/>\n</petrel>\n";
  return xml;
}

}  // namespace vireo::service
