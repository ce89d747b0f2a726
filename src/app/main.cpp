// The player's process entry: the single-instance check, the desktop entry, the application
// title, the main window and its creation, the message loop, then the release of the instance
// before the main window and the engine go.
#include <QDir>
#include <QFile>

#include "app/TPetrelMain.h"
#include "app/VireoApplication.h"

int main(int argc, char** argv) {
  // The skinned windows place themselves, which Wayland does not allow: run through XWayland
  // unless the user chose a platform.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
  vireo::VireoApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("vireo"));
  app.setApplicationDisplayName(QStringLiteral("Vireo 维雀"));
  app.setQuitOnLastWindowClosed(false);

  int code = 0;
  {
    vireo::TPetrelMain main(app.arguments());
    main.FormCreate();
    main.show();
    code = app.exec();
  }
  return code;
}
