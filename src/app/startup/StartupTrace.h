#pragma once

namespace vireo {

// Time stamps of the start-up, for finding what keeps the main window from coming up. Silent
// unless the category is switched on: QT_LOGGING_RULES="vireo.app.startup.debug=true" prints
// each mark with the milliseconds since main() began and since the previous mark. UI thread only.
class StartupTrace {
 public:
  // Starts the clock; call first thing in main().
  static void Start();
  static void Mark(const char* what);
};

}  // namespace vireo
