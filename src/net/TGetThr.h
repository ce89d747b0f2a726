#pragma once

#include <QByteArray>

namespace vireo {

// A fire-and-forget GET (the hit count): it starts at once on a thread of its own, which ends by
// itself; the answer is read and dropped.
class TGetThr {
 public:
  static void Create(const QByteArray& url);
  static int Running();
  static bool WaitForAll(int timeoutMs);
};

}  // namespace vireo
