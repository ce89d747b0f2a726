#include "app/startup/StartupTrace.h"

#include <time.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcStartup, "vireo.app.startup", QtInfoMsg)

namespace vireo {

namespace {

QElapsedTimer& Clock() {
  static QElapsedTimer clock;
  return clock;
}

qint64 last = 0;

// How long the process ran before main(): loading and relocating the libraries and their static
// initialisers. From the start time in /proc (in clock ticks since boot, so +-10 ms).
double MsBeforeMain() {
  QFile stat(QStringLiteral("/proc/self/stat"));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  const QByteArray line = stat.readAll();
  // The fields after the command name, which is in parentheses and may hold spaces.
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 20) return -1;
  const double startTicks = fields[19].toDouble();
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
  return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

}  // namespace

void StartupTrace::Start() {
  Clock().start();
  last = 0;
  if (lcStartup().isDebugEnabled())
    qCDebug(lcStartup, "before main()       %7.1f ms", MsBeforeMain());
}

void StartupTrace::Mark(const char* what) {
  if (!Clock().isValid() || !lcStartup().isDebugEnabled()) return;
  const qint64 now = Clock().nsecsElapsed() / 1000;
  qCDebug(lcStartup, "%-20s %7.1f ms  (+%.1f ms)", what, now / 1000.0, (now - last) / 1000.0);
  last = now;
}

}  // namespace vireo
