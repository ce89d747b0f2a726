#include <gtest/gtest.h>

#include <QCoreApplication>

// Queued calls from worker threads need a Qt event loop owner on the main thread.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
