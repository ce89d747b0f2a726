#include "skin/TSkinImagePrefetch.h"

#include "base/WorkerRegistry.h"

namespace vireo {

TSkinImagePrefetch::TSkinImagePrefetch(const QStringList& paths)
    : shared_(std::make_shared<Shared>()) {
  for (const QString& path : paths) shared_->slots.push_back({path});
  if (shared_->slots.size() < 2) return;  // nothing to share out
  job_ = WorkerRegistry::Instance().Start(
      QStringLiteral("skin"), [shared = shared_](WorkerJob& job) { Work(*shared, job); },
      "vireo-skin");
}

TSkinImagePrefetch::~TSkinImagePrefetch() {
  if (!job_) return;
  job_->Cancel();
  job_->Wait(-1);
}

void TSkinImagePrefetch::Work(Shared& shared, const WorkerJob& job) {
  for (std::size_t i = shared.slots.size(); i-- > 0 && !job.Cancelled();) {
    QString path;
    {
      std::lock_guard lock(shared.mutex);
      Slot& slot = shared.slots[i];
      if (slot.state != State::Waiting) break;  // the applier got here: the rest is done
      slot.state = State::Decoding;
      path = slot.path;
    }
    TDecodedImage image;
    std::exception_ptr error;
    try {
      image = DecodeSkinImage(path);
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard lock(shared.mutex);
      Slot& slot = shared.slots[i];
      slot.image = std::move(image);
      slot.error = error;
      slot.state = State::Done;
    }
    shared.done.notify_all();
  }
}

TDecodedImage TSkinImagePrefetch::Take(const QString& path) {
  std::unique_lock lock(shared_->mutex);
  for (Slot& slot : shared_->slots) {
    if (slot.path != path || slot.state == State::Taken) continue;
    if (slot.state == State::Waiting) {
      slot.state = State::Taken;
      break;  // decoded below, as if there were no worker
    }
    shared_->done.wait(lock, [&] { return slot.state == State::Done; });
    slot.state = State::Taken;
    if (slot.error) std::rethrow_exception(std::exchange(slot.error, nullptr));
    return std::move(slot.image);
  }
  lock.unlock();
  return DecodeSkinImage(path);
}

}  // namespace vireo
