// The player's process entry: the single-instance check, the desktop entry, the application
// title, the main window and its creation, the message loop, then the release of the instance
// before the main window and the engine go.
#include <QDir>
#include <QFile>
#include <QTimer>
#include <clocale>
#include <fontconfig/fontconfig.h>

#include "app/desktop/DesktopEntry.h"
#include "app/instance/InstanceServer.h"
#include "app/instance/SingleInstance.h"
#include "app/librarywindow/WebEngineSetup.h"
#include "app/mainwindow/TPetrelMain.h"
#include "app/startup/StartupTrace.h"
#include "app/startup/UiLanguage.h"
#include "app/startup/VireoApplication.h"
#include "base/AppFolders.h"
#include "base/WorkerRegistry.h"

namespace {
constexpr int kShutdownMs = 3000;
}  // namespace

int main(int argc, char** argv) {
  vireo::StartupTrace::Start();
  // A locale the system does not have (LANG=zh_CN.UTF-8 without it generated) leaves the C
  // library in plain ASCII, and the window titles reach the desktop as mojibake. The texts' and
  // the menus' language still follows the environment (Qt reads it there); the characters are
  // UTF-8 all the same.
  if (!std::setlocale(LC_ALL, "")) std::setlocale(LC_ALL, "C.UTF-8");
  // Fontconfig reads its configuration and caches on the other core while the application object
  // connects to the display: the first text drawn (the window icon's) then finds them ready.
  vireo::WorkerRegistry::Instance().Start(
      QStringLiteral("fonts"), [](vireo::WorkerJob&) { FcInit(); }, "vireo-fonts");
  // The skinned windows place themselves, which Wayland does not allow: run through XWayland
  // unless the user chose a platform.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
  // The browser of the library window needs its environment before any thread starts.
  vireo::PrepareWebEngine();
  // 1: the application object.
  vireo::VireoApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("vireo"));
  // The desktop ties the windows to the entry, and so to its name and icon, by this id.
  app.setDesktopFileName(QLatin1String(vireo::DesktopEntry::kId));
  app.setQuitOnLastWindowClosed(false);
  // Before any window exists: every caption is made in the user's language.
  vireo::UiLanguage::Install(vireo::AppFolders::Current().DataDir() + QStringLiteral("translations"));
  vireo::StartupTrace::Mark("application");

  // 2: a later start hands its arguments to the running player and ends here.
  vireo::SingleInstance instance;
  if (!instance.CheckSingleInstance(app.arguments())) return 0;
  vireo::StartupTrace::Mark("single instance");
  // 4: the application's title is the desktop entry's name ("Vireo 维雀"); the windows keep
  // their own captions.

  int code = 0;
  {
    // 5: the main window builds the player. What the first paint shows is made before the
    // window is shown; the rest of the steps follow right after that paint reached the screen,
    // and only then does the instance server hand over what later starts send.
    vireo::TPetrelMain main(app.arguments());
    vireo::StartupTrace::Mark("main window made");
    main.FormCreateWindow();
    main.show();
    vireo::StartupTrace::Mark("shown");
    main.AfterFirstPaint([&main, &instance] {
      vireo::StartupTrace::Mark("first paint");
      main.FormCreateRest();
      if (vireo::InstanceServer* server = instance.Server()) {
        QObject::connect(
            server, &vireo::InstanceServer::ArgumentsForwarded, &main,
            [&main](const vireo::ForwardedBatch& batch) { main.HandleForwardedBatch(batch); });
        QObject::connect(server, &vireo::InstanceServer::ActivateRequested, &main,
                         [&main] { main.Activate(); });
        QObject::connect(server, &vireo::InstanceServer::LinksReceived, &main,
                         [&main](const QString& links) { main.AddLinkList(links); });
        server->SetMessageHandler([&main](int msg, int wparam, int lparam) {
          if (msg == vireo::TPetrelMain::WM_CMDPLAY) return main.WMCMDPLAY(wparam, lparam);
          if (msg == vireo::TPetrelMain::WM_INFOUPDATE) main.WMINFOUPDATE(wparam);
          return 0;
        });
        server->SetReady();
      }
      // 3: the desktop entry that makes the player the handler of audio files and vireo links;
      // it touches the disk, so it is written on a worker.
      vireo::WorkerRegistry::Instance().Start(
          QStringLiteral("desktop"),
          [](vireo::WorkerJob&) { vireo::DesktopEntry::RegisterAppPath(); }, "vireo-desktop");
      vireo::StartupTrace::Mark("started");
    });
    // 6: the message loop, until the main window closes.
    code = app.exec();
    // 7: the instance is released before the main window and the engine go.
    instance.ReleaseSingleInstance();
    // 8: every worker job still out (requests, lyric look-ups, an open, tag reading) is
    // cancelled and waited for, briefly, while the windows they report to still exist.
    vireo::WorkerRegistry::Instance().Shutdown(kShutdownMs);
  }
  return code;
}
