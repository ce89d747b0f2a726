#include <gtest/gtest.h>

#include <QApplication>

// Widget tests run on Qt's offscreen platform unless the caller chose one (an Xvfb test picks xcb).
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test programs run from their own folders: the run-time modules are in the build's.
  if (qEnvironmentVariableIsEmpty("VIREO_MODULE_DIR"))
    qputenv("VIREO_MODULE_DIR", VIREO_BINARY_DIR "/bin");
  // CTest lists the cases at build time, where there may be no display or sound server.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
