#pragma once

#include <QList>
#include <QMetaType>
#include <QStringList>

namespace vireo {

// The arguments of the second starts that arrived together, handed to the main window at once.
struct ForwardedBatch {
  // Slot 0 is never filled; the forwarded arguments (each sender's own path left out) occupy
  // slots 1 .. lastIndex in arrival order: exactly what HandleForwardedArgs takes.
  QStringList pendingArgs;
  int lastIndex = 0;
  // The same arguments grouped by sender, in arrival order, for a window that opens several
  // files opened at once from the file manager one by one.
  QList<QStringList> senders;
};

}  // namespace vireo

Q_DECLARE_METATYPE(vireo::ForwardedBatch)
