// The player as a packager and a user get it: installed into a prefix of its own, the files are
// where a Linux desktop looks for them and are valid, the installed player finds its skins,
// modules and plug-ins and plays, the installed service serves, and the Debian package holds the
// same tree with dependencies that resolve. Tools that are missing skip their checks with a line
// that says so.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "MediaFactory.h"
#include "PlayerSession.h"
#include "TestEnv.h"
#include "UserPathSteps.h"

namespace vireo::test {
namespace {

struct Outcome {
  int code = -1;
  QString out;
};

Outcome Exec(const QString& program, const QStringList& args, int timeoutMs = 120000,
         const QString& dir = QString()) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  if (!dir.isEmpty()) p.setWorkingDirectory(dir);
  p.start(program, args);
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    return {-1, QString::fromUtf8(p.readAll())};
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

bool Have(const char* tool) { return !QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(); }

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One install for the whole suite, stripped as a package has it.
class Installed : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new QTemporaryDir();
    prefix_ = root_->filePath(QStringLiteral("usr"));
    const Outcome r = Exec(QStringLiteral(VIREO_CMAKE), {QStringLiteral("--install"),
                                                    QStringLiteral(VIREO_BINARY_DIR), QStringLiteral("--prefix"),
                                                    prefix_, QStringLiteral("--strip")});
    installLog_ = new QString(r.out);
    installed_ = r.code == 0;
  }
  static void TearDownTestSuite() {
    delete root_;
    delete installLog_;
  }
  void SetUp() override { ASSERT_TRUE(installed_) << installLog_->toStdString(); }
  static QString P(const QString& relative) { return prefix_ + u'/' + relative; }

  static inline QTemporaryDir* root_ = nullptr;
  static inline QString prefix_;
  static inline QString* installLog_ = nullptr;
  static inline bool installed_ = false;
};

TEST_F(Installed, TheTreeFollowsTheLinuxLayoutAndItsDesktopFilesAreValid) {
  for (const char* file :
       {"bin/vireo", "bin/vireo-service", "lib/vireo/m3g", "lib/vireo/vireo-ffmpeg.so",
        "lib/vireo/vireo-http.so", "lib/vireo/vireo-librarybrowser.so",
        "lib/vireo/plugins/nowplaying.so", "share/vireo/effect.dat",
        "share/vireo/skin/Default/skin.xml", "share/vireo/skin/Light/skin.xml",
        "share/vireo/translations/vireo_en.qm", "share/applications/org.vireo.Vireo.desktop",
        "share/metainfo/org.vireo.Vireo.metainfo.xml",
        "share/icons/hicolor/scalable/apps/org.vireo.Vireo.svg", "share/man/man1/vireo.1.gz",
        "share/man/man1/vireo-service.1.gz", "lib/systemd/user/vireo-service.service",
        "share/doc/vireo/copyright", "share/doc/vireo/changelog.gz",
        "share/doc/vireo/examples/vireo-service.conf"})
    EXPECT_TRUE(QFileInfo::exists(P(QLatin1String(file)))) << file;
  // Nothing of the skins' sources, and nothing of the build's own folder.
  EXPECT_FALSE(QFileInfo::exists(P(QStringLiteral("share/vireo/skin/src"))));
  EXPECT_FALSE(QFileInfo::exists(P(QStringLiteral("lib/vireo/skin"))));
  // Every PNG size of the theme, at the size its folder names.
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
    const QImage icon(P(QStringLiteral("share/icons/hicolor/%1x%1/apps/org.vireo.Vireo.png").arg(size)));
    EXPECT_EQ(icon.size(), QSize(size, size)) << size;
  }
  // The user unit starts the installed service with the user's config file.
  EXPECT_TRUE(Read(P(QStringLiteral("lib/systemd/user/vireo-service.service")))
                  .contains(QByteArray(QByteArray("ExecStart=") + P(QStringLiteral("bin/vireo-service")).toUtf8() +
                                       " --config %E/vireo/service.conf")));
  // No folder of the build or the sources is compiled into what is installed.
  for (const QString& binary : {P(QStringLiteral("bin/vireo")), P(QStringLiteral("bin/vireo-service")),
                                P(QStringLiteral("lib/vireo/vireo-ffmpeg.so"))}) {
    const QByteArray bytes = Read(binary);
    EXPECT_FALSE(bytes.contains(VIREO_BINARY_DIR)) << binary.toStdString();
    EXPECT_FALSE(bytes.contains(VIREO_SOURCE_DIR "/")) << binary.toStdString();
  }

  if (Have("desktop-file-validate")) {
    const Outcome r = Exec(QStringLiteral("desktop-file-validate"),
                       {P(QStringLiteral("share/applications/org.vireo.Vireo.desktop"))});
    EXPECT_EQ(r.code, 0) << r.out.toStdString();
    EXPECT_TRUE(r.out.trimmed().isEmpty()) << r.out.toStdString();
  } else {
    std::printf("skipped: desktop-file-validate is not installed\n");
  }
  if (Have("appstreamcli")) {
    const Outcome r = Exec(QStringLiteral("appstreamcli"),
                       {QStringLiteral("validate"), QStringLiteral("--no-net"),
                        P(QStringLiteral("share/metainfo/org.vireo.Vireo.metainfo.xml"))});
    EXPECT_EQ(r.code, 0) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QRegularExpression(QStringLiteral("^[EW]:"),
                                                   QRegularExpression::MultilineOption)))
        << r.out.toStdString();
  } else {
    std::printf("skipped: appstreamcli is not installed\n");
  }
  if (Have("man")) {
    for (const char* page : {"vireo.1.gz", "vireo-service.1.gz"}) {
      const Outcome r = Exec(QStringLiteral("man"), {QStringLiteral("-l"), QStringLiteral("-Tutf8"),
                                                 P(QStringLiteral("share/man/man1/") + QLatin1String(page))});
      EXPECT_EQ(r.code, 0) << page;
      // Without a terminal man still overstrikes bold letters ("S\bS"): read the plain text.
      QString text = r.out;
      text.remove(QRegularExpression(QStringLiteral(".\b")));
      EXPECT_TRUE(text.contains(QStringLiteral("SYNOPSIS"))) << page << text.left(300).toStdString();
    }
  }
}

// Started from the prefix as the menu entry starts it: the skin is drawn, an AAC file (decoded by
// the FFmpeg module) plays, the plug-in beside it reports the track, the entry a build run left
// in the user's folder is taken back, and the English texts are there.
TEST_F(Installed, TheInstalledPlayerFindsItsSkinsModulesAndPlugInsAndPlays) {
  PlayerSession s;
  s.UsePlayer(P(QStringLiteral("bin/vireo")));
  s.SetEnv(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
  WriteConfig(s);
  const QString userEntry =
      s.Home() + QStringLiteral("/.local/share/applications/org.vireo.Vireo.desktop");
  QDir().mkpath(QFileInfo(userEntry).absolutePath());
  {
    QFile f(userEntry);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Desktop Entry]\nType=Application\nName=Vireo\nExec=/old/build/bin/vireo %U\n"
            "X-Vireo-Portable=true\n");
  }
  const QString track = MediaFactory::Tone(QStringLiteral("Installed Tone"), QStringLiteral("m4a"),
                                           440, 20.0, 0.3,
                                           {QStringLiteral("-c:a"), QStringLiteral("aac"),
                                            QStringLiteral("-metadata"), QStringLiteral("title=Installed Tone"),
                                            QStringLiteral("-metadata"), QStringLiteral("artist=Packager")});
  ASSERT_TRUE(s.Start({track})) << s.Output().toStdString();
  EXPECT_TRUE(PlayerSession::Property(s.WindowId(QStringLiteral("Vireo")), QStringLiteral("_NET_WM_NAME"))
                  .contains(QStringLiteral("\"Vireo")));
  const QString nowPlaying = s.Home() + QStringLiteral("/.cache/vireo/nowplaying.txt");
  EXPECT_TRUE(Eventually([&] { return Read(nowPlaying).contains("Installed Tone - Packager"); }, 15000))
      << Read(nowPlaying).toStdString() << s.Output().toStdString();
  EXPECT_TRUE(Eventually([&] { return !QFileInfo::exists(userEntry); }))
      << "the build's entry still stands in for the installed one";
  // The Default skin's green play button, not a bare window.
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  const QPoint play = main.topLeft() + PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("play")).center();
  const QImage shot = PlayerSession::Screenshot(QStringLiteral("installed-player.png"));
  EXPECT_GT(qGreen(shot.pixel(play)), 150) << "no skin at the play button";
  EXPECT_TRUE(s.Quit());
}

TEST_F(Installed, TheInstalledServiceReadsItsConfigFileAndServes) {
  QTemporaryDir music, home;
  QFile::copy(MediaFactory::Tone(QStringLiteral("Shared"), QStringLiteral("mp3"), 440, 2.0),
              music.filePath(QStringLiteral("Shared.mp3")));
  const QString conf = home.filePath(QStringLiteral("service.conf"));
  QFile f(conf);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QStringLiteral("music = %1\nport = 0\nlisten = 127.0.0.1\ndata = %2\n")
              .arg(music.path(), home.filePath(QStringLiteral("data")))
              .toUtf8());
  f.close();
  QProcess service;
  service.setProcessChannelMode(QProcess::SeparateChannels);
  service.start(P(QStringLiteral("bin/vireo-service")), {QStringLiteral("--config"), conf});
  int port = 0;
  ASSERT_TRUE(Eventually([&] {
    service.waitForReadyRead(100);
    static QByteArray out;
    out += service.readAllStandardOutput();
    const auto m = QRegularExpression(QStringLiteral("on http://127.0.0.1:(\\d+)/")).match(QString::fromUtf8(out));
    if (m.hasMatch()) port = m.captured(1).toInt();
    return port > 0;
  }, 15000)) << service.readAllStandardError().toStdString();
  QTcpSocket socket;
  socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
  ASSERT_TRUE(socket.waitForConnected(5000));
  socket.write("GET /index_sh.asp HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
  QByteArray answer;
  while (socket.waitForReadyRead(5000)) answer += socket.readAll();
  EXPECT_TRUE(answer.startsWith("HTTP/1.1 200")) << answer.left(200).toStdString();
  EXPECT_TRUE(answer.contains("Shared")) << "the track of the configured folder is not listed";
  service.terminate();
  EXPECT_TRUE(service.waitForFinished(5000));
}

// The Debian package of the same build: the tree, the fields, lintian and apt's view of it.
TEST(DebianPackage, HoldsTheInstallWithDependenciesFromTheLibrariesItLinks) {
  if (!Have("cpack") && !QFileInfo::exists(QStringLiteral(VIREO_CPACK)))
    GTEST_SKIP() << "cpack is not installed";
  if (!Have("dpkg-deb") || !Have("dpkg-shlibdeps")) GTEST_SKIP() << "dpkg-dev is not installed";
  QTemporaryDir out;
  const Outcome made = Exec(QStringLiteral(VIREO_CPACK),
                        {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out.path(),
                         QStringLiteral("--config"), QStringLiteral(VIREO_BINARY_DIR "/CPackConfig.cmake")},
                        300000, QStringLiteral(VIREO_BINARY_DIR));
  ASSERT_EQ(made.code, 0) << made.out.toStdString();
  const QStringList debs = QDir(out.path()).entryList({QStringLiteral("vireo_*.deb")});
  ASSERT_EQ(debs.size(), 1) << made.out.toStdString();
  const QString deb = out.filePath(debs.first());

  const QString fields = Exec(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb}).out;
  EXPECT_TRUE(fields.contains(QStringLiteral("Package: vireo\n")));
  for (const char* dependency : {"libqt6core6", "libqt6widgets6", "libpulse0", "libavcodec",
                                 "libtag1v5", "libsodium23", "libc6", "fonts-wqy-microhei"})
    EXPECT_TRUE(fields.contains(QLatin1String(dependency))) << dependency << "\n" << fields.toStdString();
  const QString contents = Exec(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb}).out;
  for (const char* file : {"./usr/bin/vireo", "./usr/bin/vireo-service", "./usr/lib/vireo/m3g",
                           "./usr/share/vireo/skin/Default/skin.xml",
                           "./usr/share/applications/org.vireo.Vireo.desktop",
                           "./usr/lib/systemd/user/vireo-service.service",
                           "./usr/share/doc/vireo/copyright"})
    EXPECT_TRUE(contents.contains(QLatin1String(file))) << file;
  EXPECT_FALSE(contents.contains(QStringLiteral("testkey")) || contents.contains(QStringLiteral("/test_")))
      << "a test program is packaged";
  for (const QString& line : contents.split(u'\n', Qt::SkipEmptyParts))
    EXPECT_TRUE(line.contains(QStringLiteral(" root/root "))) << line.toStdString();

  if (Have("lintian")) {
    const Outcome lint = Exec(QStringLiteral("lintian"), {deb}, 300000);
    EXPECT_FALSE(lint.out.contains(QRegularExpression(QStringLiteral("^E: "),
                                                      QRegularExpression::MultilineOption)))
        << lint.out.toStdString();
  } else {
    std::printf("skipped: lintian is not installed\n");
  }
  // What apt would do on this machine: every dependency is known to it and can be installed.
  if (Have("apt-get") && !QDir(QStringLiteral("/var/lib/apt/lists")).entryList({QStringLiteral("*Packages*")}).isEmpty()) {
    const Outcome apt = Exec(QStringLiteral("apt-get"),
                         {QStringLiteral("install"), QStringLiteral("--simulate"),
                          QStringLiteral("--no-install-recommends"), deb},
                         120000);
    EXPECT_EQ(apt.code, 0) << apt.out.toStdString();
    EXPECT_TRUE(apt.out.contains(QStringLiteral("Inst vireo"))) << apt.out.toStdString();
  } else {
    std::printf("skipped: apt has no package lists here\n");
  }
}

}  // namespace
}  // namespace vireo::test
