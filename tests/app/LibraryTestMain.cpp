#include <gtest/gtest.h>

#include <QApplication>

#include "app/librarywindow/LibraryBrowserLoader.h"
#include "app/librarywindow/WebEngineSetup.h"

// The library window's tests prepare the web engine's environment before the application exists,
// as the player's main() does. They run on Xvfb when a display is given, else offscreen.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test programs run from their own folders: the run-time modules are in the build's.
  if (qEnvironmentVariableIsEmpty("VIREO_MODULE_DIR"))
    qputenv("VIREO_MODULE_DIR", VIREO_BINARY_DIR "/bin");
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
  vireo::PrepareWebEngine();
  QApplication app(argc, argv);
  // The browser module, loaded by path as the player loads it from its folder.
  vireo::LibraryBrowserLoader::SetModulePath(QStringLiteral(VIREO_LIBRARY_BROWSER_PATH));
  return RUN_ALL_TESTS();
}
