#pragma once

#include <QString>
#include <QStringList>
#include <mutex>

namespace vireo {

// One of the player's own libraries that is loaded at run time rather than linked: the first
// thread that needs it loads it (a worker, as a rule: loading reads the disk), and it stays
// loaded to the end of the process, since objects it made may live that long. Keeping a
// dependency such as FFmpeg or libcurl in a module keeps its libraries out of the player's start
// and memory until something needs them. Thread-safe.
class RuntimeModule {
 public:
  // fileName: looked for where AppFolders::ModuleCandidates says (beside the executable, then
  // in the installed module folder). entry: the exported function.
  RuntimeModule(QString fileName, const char* entry);
  RuntimeModule(const RuntimeModule&) = delete;
  RuntimeModule& operator=(const RuntimeModule&) = delete;

  // The entry function's address, or null when the module could not be loaded or has no such
  // function; the reason goes to the base logging category once.
  void* Entry();
  // Before the first Entry(): load this file instead (tests).
  void SetPath(const QString& path);
  QStringList Candidates() const;

 private:
  std::mutex mutex_;
  const QString fileName_;
  const char* const entry_;
  QString path_;
  void* resolved_ = nullptr;
  bool tried_ = false;
};

}  // namespace vireo
