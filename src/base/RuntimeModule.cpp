#include "base/RuntimeModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#include "base/AppFolders.h"
#include "base/Logging.h"

namespace vireo {

RuntimeModule::RuntimeModule(QString fileName, const char* entry)
    : fileName_(std::move(fileName)), entry_(entry) {}

QStringList RuntimeModule::Candidates() const {
  return AppFolders::Current().ModuleCandidates(fileName_);
}

void RuntimeModule::SetPath(const QString& path) {
  std::lock_guard lock(mutex_);
  path_ = path;
}

void* RuntimeModule::Entry() {
  std::lock_guard lock(mutex_);
  if (tried_) return resolved_;
  tried_ = true;
  const QStringList candidates = path_.isEmpty() ? Candidates() : QStringList{path_};
  QStringList failures;
  for (const QString& path : candidates) {
    if (!QFileInfo::exists(path)) continue;
    QLibrary module(path);
    module.setLoadHints(QLibrary::PreventUnloadHint);
    if (!module.load()) {
      failures << module.errorString();
      continue;
    }
    if (QFunctionPointer f = module.resolve(entry_)) {
      resolved_ = reinterpret_cast<void*>(f);
      return resolved_;
    }
    failures << module.errorString();
  }
  qCWarning(lcBase).noquote() << fileName_ << "cannot be loaded:"
                              << (failures.isEmpty() ? QStringLiteral("not found in ") +
                                                           candidates.join(QStringLiteral(", "))
                                                     : failures.join(QStringLiteral("; ")));
  return nullptr;
}

}  // namespace vireo
