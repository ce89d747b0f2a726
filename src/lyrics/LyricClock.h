#pragma once

#include <algorithm>
#include <QElapsedTimer>
#include <QtGlobal>

namespace vireo {

// The play position between the player's position updates (every 150 ms), for what moves at the
// display's rate: the position last given plus the time since, while the updates say that the
// track moves on. A repeated position (paused) holds it, and it never runs further than kAhead
// past the last update, so a stalled player never shows lyrics it has not reached.
// One thread (the UI thread).
class LyricClock {
 public:
  static constexpr qint64 kAhead = 300;

  void Set(qint32 ms) {
    running_ = started_ && ms != last_;
    started_ = true;
    last_ = ms;
    since_.start();
  }
  void Stop() { running_ = false; }
  bool Running() const { return running_; }
  // Running, but as far past the last update as it goes: nothing moves until the next one.
  bool Standing() const { return running_ && since_.elapsed() > kAhead; }
  // The furthest time Now() runs to before the next update.
  qint32 Reach() const {
    return running_ ? qint32(std::min<qint64>(qint64(last_) + kAhead, INT32_MAX)) : last_;
  }
  qint32 Now() const {
    if (!running_) return last_;
    return qint32(std::clamp<qint64>(last_ + std::min<qint64>(since_.elapsed(), kAhead), INT32_MIN,
                                     INT32_MAX));
  }

 private:
  QElapsedTimer since_;
  qint32 last_ = 0;
  bool started_ = false;
  bool running_ = false;
};

}  // namespace vireo
