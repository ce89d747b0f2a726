#include <gtest/gtest.h>

#include <QApplication>

// Widget tests run on Qt's offscreen platform unless the caller chose one (an Xvfb test picks xcb).
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
