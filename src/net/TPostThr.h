#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>

namespace vireo {

// A fire-and-forget POST (the play report): it starts at once on a thread of its own, which
// ends by itself when the request does. Any number may run at once; nothing is serialised and
// the creating thread never waits.
class TPostThr {
 public:
  // When receiver is given, done(resultCode) runs afterwards on the receiver's thread by a queued
  // call, and is skipped when the receiver is gone by then.
  static void Create(const QByteArray& url, const QByteArray& body, QObject* receiver = nullptr,
                     std::function<void(int resultCode)> done = {});

  // The answer's digit when the trimmed answer is exactly one decimal digit; 255 otherwise.
  static int ResultCode(QByteArrayView answer);

  // Requests still running; and a bounded wait for them at exit (true when none is left).
  static int Running();
  static bool WaitForAll(int timeoutMs);
};

}  // namespace vireo
