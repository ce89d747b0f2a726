#include <gtest/gtest.h>

#include <QCoreApplication>

// Queued calls from worker threads need a Qt event loop owner on the main thread.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test programs run from their own folders: the run-time modules are in the build's.
  if (qEnvironmentVariableIsEmpty("VIREO_MODULE_DIR"))
    qputenv("VIREO_MODULE_DIR", VIREO_BINARY_DIR "/bin");
  // CTest lists the cases at build time, where there may be no display or sound server.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
