#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/TTags.h"

namespace vireo {

class WorkerJob;

// Reads the tags (title, artist, album, length) of many files off the UI thread, so adding a
// folder shows its entries at once under their file names and fills tags and lengths in as they
// come: a job of the worker registry's "tags" group reads the paths in order and hands them back
// in batches (every kBatch files, or sooner when kFlushMs passed) by signal on the UI thread.
// A long list (kSplitAt paths or more, on a machine with two cores or more) is read by two jobs,
// one per half; the second half's batches wait until the first half is delivered, so the
// batches still arrive in the order of the paths.
//
// Threading contract: a QObject of the UI thread; Read(), Cancel() and the destructor are called
// there and the signals are emitted there. The destructor cancels and joins its jobs, so no
// batch arrives after it.
class TagBatchReader : public QObject {
  Q_OBJECT

 public:
  static constexpr int kBatch = 200;
  static constexpr int kFlushMs = 100;
  static constexpr int kSplitAt = 2 * kBatch;
  static constexpr int kNice = 5;  // the readers' priority below the UI thread's

  explicit TagBatchReader(QObject* parent = nullptr);
  ~TagBatchReader() override;

  // Starts reading; returns the ticket its signals carry. Several reads may run at once.
  quint64 Read(const QStringList& paths);
  // Stops every read; batches already queued are still delivered, Finished() is not.
  void Cancel();
  int Pending() const;  // reads not finished yet

 Q_SIGNALS:
  // The tags of paths [first, first + tags.size()) of the read with this ticket.
  void TagsRead(quint64 ticket, int first, const QList<vireo::TTags>& tags);
  // Every path of the read has been delivered.
  void Finished(quint64 ticket);

 private:
  struct Order;
  void ReadPart(WorkerJob& self, quint64 ticket, const QStringList& paths, int part, int begin,
                int end, const std::shared_ptr<Order>& order);

  mutable std::mutex mutex_;  // guards jobs_ (the UI thread prunes, the destructor waits)
  std::vector<std::shared_ptr<WorkerJob>> jobs_;
  quint64 nextTicket_ = 0;
};

}  // namespace vireo
