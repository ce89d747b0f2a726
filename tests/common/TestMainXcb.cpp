#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <thread>

// Tests of real windows on the X display of the test services. Without a display they run on the
// offscreen platform, where each of them skips.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test programs run from their own folders: the run-time modules are in the build's.
  if (qEnvironmentVariableIsEmpty("VIREO_MODULE_DIR"))
    qputenv("VIREO_MODULE_DIR", VIREO_BINARY_DIR "/bin");
  // Listing the tests (at build time) needs no display.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  const bool display = !qEnvironmentVariableIsEmpty("DISPLAY");
  if (display) {
    // The display and its window manager start together with the tests. Windows mapped while the
    // manager is still coming up can be left unexposed, so wait for it (without Qt, before any
    // window exists) for up to 15 s.
    for (int i = 0; i < 150; ++i) {
      if (std::system("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'") ==
          0)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  qputenv("QT_QPA_PLATFORM", display ? "xcb" : "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
