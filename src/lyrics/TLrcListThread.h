#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

#include "lyrics/ILrcDown.h"

namespace vireo {

// The search of the lyric search dialog: both searches of the lyric component (mode 0, then
// mode 1, whose results stay in the component for a later download by row), then one row per
// result, handed to the UI thread one at a time: the thread waits until the row is added before
// it looks at the next one, so a termination request takes effect after the next row.
//
// Threading: Start and Terminate on the UI thread; the body runs on a worker thread of its own;
// addRow and done run on the UI thread, never after the receiver is gone.
class TLrcListThread {
 public:
  using RowFn = std::function<void(int index, const LrcSearchItem& item)>;

  // addRow may be unset (no list to fill); done runs once after the last row.
  static std::shared_ptr<TLrcListThread> Start(const QString& title, const QString& singer,
                                               const QString& album,
                                               std::shared_ptr<ILrcDown> lrcDown, QObject* receiver,
                                               RowFn addRow, std::function<void()> done);

  // Stops the listing after the row being added; the component's searches run to their end.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }

  // The texts of a row of the dialog's list: the caption (index + 1) and the title, singer and
  // album, each followed by one space.
  static QStringList RowTexts(int index, const LrcSearchItem& item);

 private:
  std::atomic<bool> terminated_{false};
};

}  // namespace vireo
