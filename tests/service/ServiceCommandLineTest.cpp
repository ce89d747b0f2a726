// vireo-service's options from its command line and its config file, as the user unit starts it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ServiceCommandLine.h"

using vireo::service::ServiceCommandLine;

namespace {

QString Write(const QTemporaryDir& dir, const QByteArray& text) {
  const QString path = dir.filePath(QStringLiteral("service.conf"));
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(text);
  return path;
}

ServiceCommandLine Parse(const QStringList& args) {
  return ServiceCommandLine::Parse(args, QStringLiteral("/data"), QStringLiteral("/home/u/Music"));
}

TEST(ServiceCommandLine, TheConfigFileGivesTheFolderPortAndAddressAndTheCommandLineWins) {
  QTemporaryDir dir;
  const QString conf = Write(dir,
                             "# shared at home\n"
                             "music = ~/Shared Music   # the whole folder\n"
                             "port=9090\n"
                             "  listen = 0.0.0.0\n"
                             "\n"
                             "random = 5\n");
  const ServiceCommandLine c = Parse({QStringLiteral("--config"), conf, QStringLiteral("--port"),
                                      QStringLiteral("7070")});
  ASSERT_TRUE(c.problem.isEmpty()) << c.problem.toStdString();
  EXPECT_EQ(c.options.musicDir, QDir::homePath() + QStringLiteral("/Shared Music"));
  EXPECT_EQ(c.options.port, 7070);
  EXPECT_EQ(c.options.listen, QStringLiteral("0.0.0.0"));
  EXPECT_EQ(c.options.randomCount, 5);
  EXPECT_EQ(c.options.dataDir, QStringLiteral("/data"));

  // A unit names the file before the user writes it: missing, it is empty, and ~/Music is shared.
  const ServiceCommandLine missing =
      Parse({QStringLiteral("--config"), dir.filePath(QStringLiteral("none.conf"))});
  EXPECT_TRUE(missing.problem.isEmpty());
  EXPECT_EQ(missing.options.musicDir, QStringLiteral("/home/u/Music"));
  EXPECT_EQ(missing.options.port, 8080);
  EXPECT_EQ(missing.options.listen, QStringLiteral("127.0.0.1"));
  // Without a config file the folder stays the user's to name.
  EXPECT_TRUE(Parse({}).options.musicDir.isEmpty());
}

TEST(ServiceCommandLine, ABadLineOrValueIsNamedAndNothingIsGuessed) {
  QTemporaryDir dir;
  EXPECT_TRUE(Parse({QStringLiteral("--config"), Write(dir, "music = /m\nprot = 80\n")})
                  .problem.contains(QStringLiteral("service.conf:2: not a setting: prot = 80")));
  EXPECT_TRUE(Parse({QStringLiteral("--config"), Write(dir, "just words\n")})
                  .problem.contains(QStringLiteral(":1: not a setting")));
  // A key is written with --make-key only, never by a config file.
  EXPECT_FALSE(Parse({QStringLiteral("--config"), Write(dir, "make-key = /tmp/k\n")})
                   .problem.isEmpty());
  EXPECT_EQ(Parse({QStringLiteral("--config"), Write(dir, "port = 70000\n")}).problem,
            QStringLiteral("bad value for port: 70000"));
  EXPECT_EQ(Parse({QStringLiteral("--port"), QStringLiteral("x")}).problem,
            QStringLiteral("bad value for port: x"));
  EXPECT_EQ(Parse({QStringLiteral("--bogus"), QStringLiteral("1")}).problem,
            QStringLiteral("unknown option --bogus"));
  EXPECT_EQ(Parse({QStringLiteral("--music")}).problem, QStringLiteral("--music needs a value"));
  EXPECT_TRUE(Parse({QStringLiteral("--music"), QStringLiteral("/m"), QStringLiteral("-h")}).help);
}

}  // namespace
