#pragma once

#include <QString>
#include <QStringList>

#include "VireoService.h"

namespace vireo::service {

// What vireo-service was asked to do: its options from the command line and, with --config FILE,
// from a file of "name = value" lines that use the options' names without the dashes ("music",
// "port", "listen", "release", "sign-key", "data", "random"; '#' starts a comment, a value may
// start with "~/" for the home folder). The command line wins over the file. A config file that
// does not exist is an empty one, so a user unit can name it before the user writes it; with a
// config file, the music folder defaults to the user's music folder.
struct ServiceCommandLine {
  ServiceOptions options;
  QString makeKey;
  bool help = false;
  // Empty when the arguments are good; else what is wrong with them, for the usage message.
  QString problem;

  static ServiceCommandLine Parse(const QStringList& args, const QString& defaultDataDir,
                                  const QString& defaultMusicDir);
};

}  // namespace vireo::service
