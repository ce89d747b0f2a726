#pragma once

namespace vireo {

// Settings the embedded browser of the library window needs before any thread runs: call it
// first thing in main(). The browser's sandbox stays on, except when the player runs as root,
// where the engine cannot start with it (QTWEBENGINE_DISABLE_SANDBOX=1 is set then, unless the
// user chose a value). It only sets the environment: the web engine itself and the shared OpenGL
// contexts it needs come when the library window first wants its browser
// (LibraryBrowserLoader).
void PrepareWebEngine();
// The most a library page's scripts may hold (MiB), set by PrepareWebEngine.
inline constexpr int kPageScriptHeapMb = 256;

// True when PrepareWebEngine switched the sandbox off (running as root).
bool WebEngineSandboxDisabled();

}  // namespace vireo
