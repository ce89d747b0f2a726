#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "library/TMusicSearchItem.h"

namespace vireo {

// Where the music search component looks: one catalogue behind two questions. Implementations
// hold only settings fixed at creation, so both calls are safe from any thread, also at once.
class IMusicProvider {
 public:
  virtual ~IMusicProvider() = default;
  // At most count results from the offset-th on; nullopt when the catalogue could not be asked
  // or answered in a form not understood. Blocks on the network.
  virtual std::optional<QList<TMusicSearchItem>> Find(const QString& keyword, int offset,
                                                      int count) const = 0;
  // The playable address of a result's key; empty when there is none. Blocks on the network.
  virtual QString Resolve(const QString& key, qint32 extra) const = 0;
};

}  // namespace vireo
