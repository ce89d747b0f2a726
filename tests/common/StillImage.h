#pragma once

#include <QImage>
#include <functional>

#include "TestEnv.h"

namespace vireo::test {

// How a test waits: until the predicate holds or the milliseconds passed; its result.
using Waiter = std::function<bool(const std::function<bool()>&, int)>;

// In this process: the event loop runs for a moment between two looks, so what was asked of the
// windows gets drawn.
inline bool WaitDrawing(const std::function<bool()>& pred, int timeoutMs) {
  return WaitUntil(
      [&] {
        Pump(20);
        return pred();
      },
      timeoutMs);
}

// What grab() shows once it has stopped changing (three grabs alike in a row), or the last grab
// when timeoutMs passed first. A screen is read when it is done, not after a pause that a slow
// machine may not have finished in.
inline QImage StillImage(const std::function<QImage()>& grab, int timeoutMs = 5000,
                         const Waiter& wait = WaitDrawing) {
  QImage last = grab();
  int alike = 0;
  wait(
      [&] {
        QImage now = grab();
        alike = now == last ? alike + 1 : 0;
        last = std::move(now);
        return alike >= 2;
      },
      timeoutMs);
  return last;
}

}  // namespace vireo::test
