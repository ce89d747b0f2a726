#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "lyrics/LrcSearchItem.h"

namespace vireo {

// The lyric download component: searches an online lyric service by title and singer and
// fetches the text of a chosen result.
//
// Threading: one instance is shared by the UI thread and every lyric thread without any lock on
// the callers' side, so every operation is safe to call from any thread at any time, also
// concurrently. Each operation is atomic on the shared result list; a search replaces the list
// only if no later Reset or Search has begun meanwhile, so results always belong to the call
// that came last. Search, Find and Download block on the network (worker threads only); Reset,
// Count and GetItem never block on the network.
class ILrcDown {
 public:
  virtual ~ILrcDown() = default;

  // Drops the results of the last search.
  virtual void Reset() = 0;
  // Searches and makes the matches the shared result list (empty when the service could not be
  // asked). Mode 0 looks for the title and singer as such; mode 1 is a broader second attempt,
  // whose matches replace those of the search before it only when it found some. The album
  // narrows mode 0 when it is not empty.
  virtual void Search(const QString& title, const QString& singer, const QString& album,
                      int mode) = 0;
  // Number of results of the last search.
  virtual int Count() const = 0;
  // A copy of a result of the last search; nullopt for an index out of range (which may happen
  // when another thread has searched or reset meanwhile).
  virtual std::optional<LrcSearchItem> GetItem(int index) const = 0;
  // The lyric text of a result: "" when the service has none for it, nullopt when the service
  // could not be asked or gave no usable answer. The whole text, however long.
  virtual std::optional<QString> Download(qint64 id) = 0;

  // The same search as Search, but the matches go to the caller only and the shared list is left
  // alone, so a lookup of its own never disturbs the list a search dialog shows. nullopt when the
  // service could not be asked or gave no usable answer.
  virtual std::optional<QList<LrcSearchItem>> Find(const QString& title, const QString& singer,
                                                   const QString& album, int mode) = 0;
};

}  // namespace vireo
