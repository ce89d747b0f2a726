// Starts a program and reports, to the millisecond, when its first window of a given WM_CLASS
// class is mapped: the watcher listens to the X server's own map events rather than polling, so
// the figure is what a user's desktop sees.
//
//   vireo-mapwatch CLASS [TIMEOUT_MS] -- PROGRAM [ARGS...]
//
// The program's standard output goes to /dev/null. Prints "PID MS" on the standard output once the
// window is mapped (MS counted from just before the program was started) and exits 0, leaving the
// program running; exits 1 (the program is left running as well, its PID printed with MS -1) when
// nothing was mapped within TIMEOUT_MS (default 20000).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

bool HasClass(Display* display, Window window, const std::string& wanted) {
  XClassHint hint{};
  if (!XGetClassHint(display, window, &hint)) return false;
  const bool match = hint.res_class && wanted == hint.res_class;
  if (hint.res_name) XFree(hint.res_name);
  if (hint.res_class) XFree(hint.res_class);
  return match;
}

// A window that vanished between an event and our question must not end the watcher.
int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int sep = 1;
  while (sep < argc && std::strcmp(argv[sep], "--") != 0) ++sep;
  if (sep < 2 || sep + 1 >= argc) {
    std::fprintf(stderr, "usage: %s CLASS [TIMEOUT_MS] -- PROGRAM [ARGS...]\n", argv[0]);
    return 2;
  }
  const std::string wanted = argv[1];
  const long timeoutMs = sep > 2 ? std::strtol(argv[2], nullptr, 10) : 20000;

  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "vireo-mapwatch: no X display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreErrors);
  const Window root = DefaultRootWindow(display);
  // New top-level windows are announced on the root; a window manager may reparent a client
  // into its frame before mapping it, so each new window is also watched on its own.
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    close(ConnectionNumber(display));
    // The standard output carries the watcher's report alone.
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    execvp(argv[sep + 1], argv + sep + 1);
    std::perror("vireo-mapwatch: exec");
    _exit(127);
  }

  auto elapsedMs = [&start] {
    return long(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
  };
  const int fd = ConnectionNumber(display);
  while (elapsedMs() < timeoutMs) {
    while (XPending(display)) {
      XEvent ev;
      XNextEvent(display, &ev);
      if (ev.type == CreateNotify && ev.xcreatewindow.parent == root) {
        const Window w = ev.xcreatewindow.window;
        XSelectInput(display, w, StructureNotifyMask);
        // Mapped before the selection took effect: count it now.
        XWindowAttributes attrs{};
        if (XGetWindowAttributes(display, w, &attrs) && attrs.map_state != IsUnmapped &&
            HasClass(display, w, wanted)) {
          std::printf("%d %ld\n", int(pid), elapsedMs());
          return 0;
        }
      } else if (ev.type == MapNotify && HasClass(display, ev.xmap.window, wanted)) {
        std::printf("%d %ld\n", int(pid), elapsedMs());
        return 0;
      }
    }
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, 50);
  }
  std::printf("%d -1\n", int(pid));
  return 1;
}
