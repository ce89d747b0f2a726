#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "lyrics/ILrcDown.h"

namespace vireo {

// Downloads the lyric of a result the search dialog lists. The text is handed over whole and as
// the service sent it ("" when there is none or the service could not be asked).
//
// Threading: Start on the UI thread; the body runs on a worker thread of its own; done runs on
// the UI thread, never after the receiver is gone.
class TGetLrcTextThread {
 public:
  // The row index is the component's result index of its last search.
  static void Start(int rowIndex, std::shared_ptr<ILrcDown> lrcDown, QObject* receiver,
                    std::function<void(const QString& text)> done);
  // The same for a result kept by the caller (the row's own item), which stays right even when
  // another search has replaced the component's results since the list was filled.
  static void Start(const LrcSearchItem& item, std::shared_ptr<ILrcDown> lrcDown, QObject* receiver,
                    std::function<void(const QString& text)> done);
};

}  // namespace vireo
