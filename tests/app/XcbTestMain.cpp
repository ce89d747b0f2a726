#include <gtest/gtest.h>

#include <QApplication>

// Tests of real windows: on the X display when one is given (the test services), else offscreen,
// where they skip.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
