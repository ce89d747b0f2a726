#pragma once

#include <QStringList>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

#include "ddvcl/ImageDecoders.h"

namespace vireo {

class WorkerJob;

// Decodes a skin's images on a worker while the UI thread applies the skin, so the start-up
// decodes on both cores. The worker takes the images from the last one backwards and the applier
// from the first one on; an image is decoded by whichever reaches it first, and the applier
// waits only for an image the worker is decoding at that moment. A file that cannot be read or
// decoded fails when the applier takes it, where loading it would have failed.
// Threading contract: construct, Take() and destroy on one thread (the UI thread); the
// destructor stops and waits for the worker.
class TSkinImagePrefetch {
 public:
  explicit TSkinImagePrefetch(const QStringList& paths);
  ~TSkinImagePrefetch();
  TSkinImagePrefetch(const TSkinImagePrefetch&) = delete;
  TSkinImagePrefetch& operator=(const TSkinImagePrefetch&) = delete;

  // The decoded file; decoded here when the worker has not reached it or it was not listed.
  // Throws as DecodeImageFile does.
  TDecodedImage Take(const QString& path);

 private:
  enum class State { Waiting, Decoding, Done, Taken };
  struct Slot {
    QString path;
    State state = State::Waiting;
    TDecodedImage image;
    std::exception_ptr error;
  };
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    std::vector<Slot> slots;
  };
  static void Work(Shared& shared, const WorkerJob& job);

  std::shared_ptr<Shared> shared_;
  std::shared_ptr<WorkerJob> job_;
};

}  // namespace vireo
