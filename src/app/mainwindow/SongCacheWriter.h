#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace vireo {

// The song cache's writer for one streamed track. The chunks of the download, handed over on the
// UI thread as they arrive, are written to the temporary file by a job of the worker registry
// (group "cache"), so the UI thread never waits on the disk. Once the whole track is there the
// job copies it to its cache name, whole or not at all (AtomicFileStream), removes the temporary
// file and calls kept(cachePath) on the context's thread. A track that did not arrive whole keeps
// its temporary file, as it always did, and nothing is called.
//
// Threading: made, fed and destroyed on one thread (the UI thread). Destroying the writer before
// Finish() drops the track; the job ends by itself and never calls back into a destroyed context.
class SongCacheWriter {
 public:
  SongCacheWriter(QString tempPath, QString cachePath, QObject* context,
                  std::function<void(const QString& cachePath)> kept);
  ~SongCacheWriter();
  SongCacheWriter(const SongCacheWriter&) = delete;
  SongCacheWriter& operator=(const SongCacheWriter&) = delete;

  void Append(const char* data, int length);
  // The download ended; complete: every byte it announced arrived.
  void Finish(bool complete);

 private:
  struct Queue;
  std::shared_ptr<Queue> queue_;
};

}  // namespace vireo
