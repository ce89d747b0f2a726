// A player start in a process of its own, for the single-instance tests.
//   instance_helper start [args...]   hands args over like a second start; exit code 0 when
//                                     delivered, 2 without a receiver, 3 without an answer,
//                                     10 when it became the first start itself
//   instance_helper hold              becomes the first start, prints "first", runs until killed
// The lock and socket folder is taken from VIREO_TEST_INSTANCE_DIR.
#include <QCoreApplication>
#include <cstdio>

#include "app/instance/SingleInstance.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList all = app.arguments();
  if (all.size() < 2) return 64;
  const QString folder = qEnvironmentVariable("VIREO_TEST_INSTANCE_DIR");
  vireo::SingleInstance instance(folder);
  QStringList args{all[0]};
  args += all.mid(2);
  // A player names itself differently from its executable's file name.
  if (!qEnvironmentVariableIsEmpty("VIREO_TEST_APP_NAME"))
    QCoreApplication::setApplicationName(qEnvironmentVariable("VIREO_TEST_APP_NAME"));
  if (all[1] == QStringLiteral("hold")) {
    if (!instance.CheckSingleInstance(args)) return 11;
    std::printf("first\n");
    std::fflush(stdout);
    return app.exec();
  }
  if (instance.CheckSingleInstance(args)) return 10;
  switch (instance.LastHandoff()) {
    case vireo::SingleInstance::Handoff::Delivered:
      return 0;
    case vireo::SingleInstance::Handoff::NoReceiver:
      return 2;
    case vireo::SingleInstance::Handoff::Failed:
      return 3;
  }
  return 4;
}
