#include "FuzzScratch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

namespace vireo::fuzz {

QString ScratchFile(const QString& name) {
  static const std::unique_ptr<QTemporaryDir> dir = [] {
    const QString shm = QStringLiteral("/dev/shm");
    const QString base = QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
    return std::make_unique<QTemporaryDir>(base + QStringLiteral("/vireo-fuzz-XXXXXX"));
  }();
  return dir->filePath(name);
}

void WriteScratch(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

QByteArray ReadScratch(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace vireo::fuzz
