#pragma once

#include <QImage>
#include <functional>

#include "TestEnv.h"

namespace vireo::test {

// What grab() shows once it has stopped changing (three grabs alike in a row, the event loop
// running between them), or the last grab when timeoutMs passed first. A screen is read when
// it is done, not after a pause that a slow machine may not have finished in.
inline QImage StillImage(const std::function<QImage()>& grab, int timeoutMs = 5000) {
  QImage last = grab();
  int alike = 0;
  WaitUntil(
      [&] {
        Pump(20);
        QImage now = grab();
        alike = now == last ? alike + 1 : 0;
        last = std::move(now);
        return alike >= 2;
      },
      timeoutMs);
  return last;
}

}  // namespace vireo::test
