#pragma once

#include <QByteArray>
#include <QString>

namespace vireo::test {

QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);
// Copies a file of tests/data to path.
void CopyData(const QString& name, const QString& path);

// Makes a folder refuse new files while it lives: read-only permissions for ordinary users,
// the immutable flag for root. Ok() is false when neither works here.
class UnwritableFolder {
 public:
  explicit UnwritableFolder(const QString& path);
  ~UnwritableFolder();
  UnwritableFolder(const UnwritableFolder&) = delete;
  UnwritableFolder& operator=(const UnwritableFolder&) = delete;
  bool Ok() const { return ok_; }

 private:
  QString path_;
  bool ok_ = false;
  bool immutable_ = false;
};

}  // namespace vireo::test
