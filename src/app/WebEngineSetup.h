#pragma once

namespace vireo {

// Settings the embedded browser of the library window needs before the QApplication exists:
// call it first thing in main(). The browser's sandbox stays on, except when the player runs as
// root, where the engine cannot start with it (QTWEBENGINE_DISABLE_SANDBOX=1 is set then, unless
// the user chose a value). Also shares the OpenGL contexts, as the web view requires.
void PrepareWebEngine();

// True when PrepareWebEngine switched the sandbox off (running as root).
bool WebEngineSandboxDisabled();

}  // namespace vireo
