// Where skins are found and how the names inside a skin made on Windows find their files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "skin/TSkinFolders.h"

using namespace vireo;

namespace {

void Touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

std::vector<std::string> Names(const QList<TSkinFolders::Skin>& skins) {
  std::vector<std::string> out;
  for (const auto& s : skins) out.push_back(s.name.toStdString());
  return out;
}

}  // namespace

TEST(SkinFolders, InstalledThenUserSkinsWithoutDotFoldersOrFiles) {
  QTemporaryDir tmp;
  const QString app = tmp.filePath(QStringLiteral("app"));
  const QString user = tmp.filePath(QStringLiteral("user"));
  for (const char* d : {"Default", "blue", "Classic", ".git", ".hidden"})
    QDir().mkpath(app + QStringLiteral("/skin/") + QLatin1StringView(d));
  Touch(app + QStringLiteral("/skin/readme.txt"));
  for (const char* d : {"Mine", "Default", ".cache"})
    QDir().mkpath(user + u'/' + QLatin1StringView(d));

  const TSkinFolders folders(app, user);
  const QList<TSkinFolders::Skin> skins = folders.List();
  EXPECT_EQ(Names(skins), (std::vector<std::string>{"blue", "Classic", "Default", "Mine"}));
  // The user's own copy of a bundled skin is the one used, listed where the bundled one stands.
  EXPECT_EQ(skins[2].dir, user + QStringLiteral("/Default/"));
  EXPECT_EQ(skins[0].dir, app + QStringLiteral("/skin/blue/"));
  EXPECT_EQ(skins[3].dir, user + QStringLiteral("/Mine/"));
  EXPECT_EQ(folders.SkinDir(QStringLiteral("Default")), user + QStringLiteral("/Default/"));
  EXPECT_EQ(folders.SkinDir(QStringLiteral("Classic")), app + QStringLiteral("/skin/Classic/"));
  EXPECT_EQ(folders.SkinDir(QStringLiteral("Gone")), app + QStringLiteral("/skin/Gone/"));

  // No skin folder at all: an empty list.
  EXPECT_TRUE(TSkinFolders(tmp.filePath(QStringLiteral("none")), tmp.filePath(QStringLiteral("x")))
                  .List()
                  .isEmpty());
}

TEST(SkinFolders, UserFolderFollowsXdgDataHome) {
  QTemporaryDir tmp;
  const QByteArray old = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", tmp.path().toUtf8());
  EXPECT_EQ(TSkinFolders::DefaultUserRoot(), tmp.path() + QStringLiteral("/vireo/skins/"));
  EXPECT_EQ(TSkinFolders(tmp.path()).UserRoot(), tmp.path() + QStringLiteral("/vireo/skins/"));
  if (old.isEmpty())
    qunsetenv("XDG_DATA_HOME");
  else
    qputenv("XDG_DATA_HOME", old);
}

TEST(SkinFolders, WindowsNamesFindTheirFiles) {
  QTemporaryDir tmp;
  const QString base = tmp.path() + u'/';
  Touch(base + QStringLiteral("Images/Buttons.PNG"));
  Touch(base + QStringLiteral("frame.bmp"));
  Touch(base + QStringLiteral("Frame.bmp"));
  Touch(base + QStringLiteral("图片/按钮.bmp"));

  EXPECT_EQ(TSkinFolders::Resolve(base, QStringLiteral("images\\buttons.png")),
            base + QStringLiteral("Images/Buttons.PNG"));
  EXPECT_EQ(TSkinFolders::Resolve(tmp.path(), QStringLiteral(".\\IMAGES\\BUTTONS.png")),
            base + QStringLiteral("./Images/Buttons.PNG"));
  EXPECT_EQ(TSkinFolders::Resolve(base, QStringLiteral("Images/Buttons.PNG")),
            base + QStringLiteral("Images/Buttons.PNG"));
  // An exact match wins over one without case.
  EXPECT_EQ(TSkinFolders::Resolve(base, QStringLiteral("Frame.bmp")),
            base + QStringLiteral("Frame.bmp"));
  EXPECT_EQ(TSkinFolders::Resolve(base, QStringLiteral("frame.bmp")),
            base + QStringLiteral("frame.bmp"));
  EXPECT_EQ(TSkinFolders::Resolve(base, QStringLiteral("图片\\按钮.BMP")),
            base + QStringLiteral("图片/按钮.bmp"));
  // Nothing matches: the name as written, which then fails to load.
  EXPECT_EQ(TSkinFolders::Resolve(base, QStringLiteral("missing\\x.png")),
            base + QStringLiteral("missing/x.png"));
  EXPECT_EQ(TSkinFolders::Resolve(base, QString()), base);
}
