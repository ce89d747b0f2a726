// vireo-service: serves a music folder as the player's service host.
#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>
#include <thread>

#include "ServiceCommandLine.h"
#include "SigningKey.h"
#include "VireoService.h"

using namespace vireo::service;

namespace {

const char* kUsage =
    "usage: vireo-service --music DIR [--port N] [--listen ADDR] [--release DIR]\n"
    "                     [--sign-key FILE] [--data DIR] [--random N]\n"
    "       vireo-service --config FILE [option...]\n"
    "       vireo-service --make-key FILE\n"
    "\n"
    "Serves the tracks of DIR (and its sub-folders) to Vireo players, which reach it when their\n"
    "\"Window/SERVICE\" \"HOST\" setting is ADDR:N.\n"
    "  --port N         port to listen on (default 8080; 0 picks a free one)\n"
    "  --listen ADDR    address to listen on (default 127.0.0.1, this machine only;\n"
    "                   0.0.0.0 shares with the home network)\n"
    "  --release DIR    folder of player installers offered as updates (newest version wins)\n"
    "  --sign-key FILE  key that signs the offered installer (players install signed ones only)\n"
    "  --data DIR       where uploaded lyrics are kept (default ~/.local/share/vireo-service)\n"
    "  --random N       tracks in a random list (default 10)\n"
    "  --make-key FILE  writes a new signing key to FILE and its public half to FILE.pub\n"
    "  --config FILE    reads the options from FILE, one \"name = value\" a line, named as\n"
    "                   above without the dashes; the command line wins; the music folder\n"
    "                   defaults to ~/Music; a missing FILE is an empty one\n";

int Usage(const QString& problem) {
  if (!problem.isEmpty())
    std::fprintf(stderr, "vireo-service: %s\n\n", problem.toUtf8().constData());
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("vireo-service"));
  const QStringList args = QCoreApplication::arguments().mid(1);

  const ServiceCommandLine command = ServiceCommandLine::Parse(
      args,
      QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
          QStringLiteral("/vireo-service"),
      QStandardPaths::writableLocation(QStandardPaths::MusicLocation));
  if (command.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!command.problem.isEmpty()) return Usage(command.problem);
  ServiceOptions options = command.options;
  const QString& makeKey = command.makeKey;

  if (!makeKey.isEmpty()) {
    QString error;
    const auto pub = SigningKey::MakeKeyFile(makeKey, &error);
    if (!pub) {
      std::fprintf(stderr, "vireo-service: %s\n", error.toUtf8().constData());
      return 1;
    }
    std::printf(
        "wrote %s (secret, keep it private) and %s.pub\npublic key: %s\n"
        "build players that accept installers signed with it:\n"
        "  cmake -DVIREO_UPDATE_PUBLIC_KEY=%s ...\n",
        makeKey.toUtf8().constData(), makeKey.toUtf8().constData(), pub->constData(),
        pub->constData());
    return 0;
  }

  if (options.musicDir.isEmpty()) return Usage(QStringLiteral("--music DIR is required"));
  if (!QFileInfo(options.musicDir).isDir())
    return Usage(QStringLiteral("%1 is not a folder").arg(options.musicDir));
  if (!options.releaseDir.isEmpty() && !QFileInfo(options.releaseDir).isDir())
    return Usage(QStringLiteral("%1 is not a folder").arg(options.releaseDir));
  std::optional<SigningKey> key;
  if (!options.signKeyFile.isEmpty()) {
    QString error;
    key = SigningKey::Load(options.signKeyFile, &error);
    if (!key) {
      std::fprintf(stderr, "vireo-service: %s\n", error.toUtf8().constData());
      return 1;
    }
  } else if (!options.releaseDir.isEmpty()) {
    std::fprintf(stderr,
                 "vireo-service: no --sign-key: players will not install the offered "
                 "release\n");
  }

  // Stop signals are taken by a thread of their own, so the server is stopped from an ordinary
  // thread and not from inside a signal handler. They are blocked before any thread exists.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  VireoService service(options, std::move(key));
  QString error;
  if (!service.Bind(&error)) {
    std::fprintf(stderr, "vireo-service: %s\n", error.toUtf8().constData());
    return 1;
  }
  std::thread([&service, stopSignals] {
    int sig = 0;
    sigwait(&stopSignals, &sig);
    std::fprintf(stderr, "vireo-service: stopping (signal %d)\n", sig);
    service.Stop();
  }).detach();

  const int tracks = service.ScanMusic();
  std::printf(
      "vireo-service: serving %s (%d tracks) on http://%s:%d/ (player setting Window/SERVICE "
      "HOST = %s:%d)\n",
      QDir(options.musicDir).absolutePath().toUtf8().constData(), tracks,
      options.listen.toUtf8().constData(), service.Port(), options.listen.toUtf8().constData(),
      service.Port());
  std::fflush(stdout);
  service.Run();
  return 0;
}
