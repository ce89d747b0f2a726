#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/desktop/DesktopEntry.h"

namespace vireo {
namespace {

QString S(const char* text) {
  return QString::fromUtf8(text);
}

QStringList Lines(const QByteArray& contents) {
  return QString::fromUtf8(contents).split(u'\n');
}

TEST(DesktopEntry, StartsTheExecutableWithOneFileOrLinkAndClaimsAudioAndTheLinks) {
  const QStringList lines = Lines(DesktopEntry::Contents(S("/usr/bin/vireo")));
  EXPECT_EQ(lines.first(), S("[Desktop Entry]"));
  EXPECT_TRUE(lines.contains(S("Exec=/usr/bin/vireo %U")));
  EXPECT_TRUE(lines.contains(S("TryExec=/usr/bin/vireo")));
  EXPECT_TRUE(lines.contains(S("Type=Application")));
  EXPECT_TRUE(lines.contains(S("Name=Vireo 维雀")));
  const QStringList mime = lines.filter(S("MimeType="));
  ASSERT_EQ(mime.size(), 1);
  const QStringList types = mime[0].mid(9).split(u';');
  EXPECT_TRUE(types.contains(S("x-scheme-handler/vireo")));
  EXPECT_TRUE(types.contains(S("audio/mpeg")));
  EXPECT_TRUE(types.contains(S("audio/flac")));
  EXPECT_TRUE(mime[0].endsWith(u';'));
}

TEST(DesktopEntry, ExecutablePathsAreQuotedAndEscapedByTheEntryRules) {
  EXPECT_EQ(DesktopEntry::ExecQuoted(S("/opt/My Player/vireo")), S("\"/opt/My Player/vireo\""));
  EXPECT_EQ(DesktopEntry::ExecQuoted(S("/opt/a\\b$c/vi\"reo")), S("\"/opt/a\\\\b\\$c/vi\\\"reo\""));
  EXPECT_EQ(DesktopEntry::ExecQuoted(S("/opt/100%/vireo")), S("/opt/100%%/vireo"));
  // In the file every backslash of the Exec value is doubled once more.
  const QStringList lines = Lines(DesktopEntry::Contents(S("/opt/a\\b/vireo")));
  EXPECT_TRUE(lines.contains(S("Exec=\"/opt/a\\\\\\\\b/vireo\" %U")));
  EXPECT_TRUE(lines.contains(S("TryExec=/opt/a\\\\b/vireo")));
}

TEST(DesktopEntry, IsRewrittenOnlyWhenItChanged) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(S("share/applications/org.vireo.Vireo.desktop"));
  const QByteArray first = DesktopEntry::Contents(S("/usr/bin/vireo"));
  EXPECT_EQ(DesktopEntry::Write(path, first), DesktopEntry::Result::Written);

  // Marked with an old time: an unchanged entry keeps it, so it was not touched.
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  const QDateTime old = QDateTime::fromSecsSinceEpoch(1000000000);
  ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
  file.close();
  EXPECT_EQ(DesktopEntry::Write(path, first), DesktopEntry::Result::Unchanged);
  EXPECT_EQ(QFileInfo(path).lastModified(), old);

  // The player moved: the entry follows, whole, and nothing else is left in the folder.
  const QByteArray moved = DesktopEntry::Contents(S("/opt/vireo/vireo"));
  EXPECT_EQ(DesktopEntry::Write(path, moved), DesktopEntry::Result::Written);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), moved);
  EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files),
            QStringList{S("org.vireo.Vireo.desktop")});
}

TEST(DesktopEntry, AFolderThatCannotBeMadeIsAFailureNotACrash) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile blocker(dir.filePath(S("applications")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_EQ(DesktopEntry::Write(dir.filePath(S("applications/vireo.desktop")), "x"),
            DesktopEntry::Result::Failed);
}

TEST(DesktopEntry, RegistersTheRunningExecutableInTheUsersDataFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", dir.path().toUtf8());
  EXPECT_EQ(DesktopEntry::DefaultPath(), dir.filePath(S("applications/org.vireo.Vireo.desktop")));
  EXPECT_EQ(DesktopEntry::RegisterAppPath(), DesktopEntry::Result::Written);
  EXPECT_EQ(DesktopEntry::RegisterAppPath(), DesktopEntry::Result::Unchanged);
  QFile file(DesktopEntry::DefaultPath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(),
            DesktopEntry::Contents(QCoreApplication::applicationFilePath(), QString(), true));
  qputenv("XDG_DATA_HOME", saved);
}

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Put(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

// The entry an install puts in share/applications is the one the player would write for itself
// with the installed name and icon: the two never drift apart (MPRIS reads its types from it).
TEST(DesktopEntry, TheInstalledEntryIsThePlayersOwnWithTheInstalledNameAndIcon) {
  const QByteArray installed =
      Read(S(VIREO_SOURCE_DIR "/data/") + QLatin1String(DesktopEntry::kId) + S(".desktop"));
  ASSERT_FALSE(installed.isEmpty());
  EXPECT_EQ(installed, DesktopEntry::Contents(S("vireo"), QLatin1String(DesktopEntry::kId)));
  const QStringList lines = Lines(installed);
  EXPECT_TRUE(lines.contains(S("Icon=org.vireo.Vireo")));
  EXPECT_TRUE(lines.contains(S("Exec=vireo %U")));
  EXPECT_FALSE(installed.contains("X-Vireo-Portable"));
}

// A build or portable run writes its entry only where no installed one is; an installed run, or
// one beside an installed entry, takes back the entry a portable run left (it would stand in for
// the installed one), never one the user wrote. The old name goes in every case.
TEST(DesktopEntry, APortableEntryIsWrittenOnlyWhereNoInstalledOneIsAndTakenBackByAnInstall) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString user = dir.filePath(S("home/applications/org.vireo.Vireo.desktop"));
  const QString legacy = dir.filePath(S("home/applications/vireo.desktop"));
  const QString system = dir.filePath(S("usr/share"));
  const QString icon = dir.filePath(S("build/bin/icons/org.vireo.Vireo.png"));
  Put(legacy, DesktopEntry::Contents(S("/old/build/bin/vireo")).replace("Icon=", "X-Old="));

  EXPECT_EQ(DesktopEntry::Register(false, S("/b/vireo"), icon, user, {system}),
            DesktopEntry::Result::Written);
  EXPECT_FALSE(QFileInfo::exists(legacy)) << "the old entry is still there";
  EXPECT_TRUE(Lines(Read(user)).contains(S("Icon=") + icon));
  EXPECT_TRUE(Lines(Read(user)).contains(S("X-Vireo-Portable=true")));

  // Once installed, the installed player takes the portable entry back.
  EXPECT_EQ(DesktopEntry::Register(true, S("/usr/bin/vireo"), QString(), user, {system}),
            DesktopEntry::Result::Removed);
  EXPECT_FALSE(QFileInfo::exists(user));
  // A build run beside an installed entry writes none.
  Put(system + S("/applications/org.vireo.Vireo.desktop"),
      DesktopEntry::Contents(S("vireo"), S("org.vireo.Vireo")));
  EXPECT_EQ(DesktopEntry::Register(false, S("/b/vireo"), icon, user, {system}),
            DesktopEntry::Result::Unchanged);
  EXPECT_FALSE(QFileInfo::exists(user));

  // What the user wrote under the id, or under the old name, is theirs: it stays.
  const QByteArray own = "[Desktop Entry]\nType=Application\nName=Mine\nExec=vireo --mine\n";
  Put(user, own);
  Put(legacy, own);
  EXPECT_EQ(DesktopEntry::Register(true, S("/usr/bin/vireo"), QString(), user, {system}),
            DesktopEntry::Result::Unchanged);
  EXPECT_EQ(Read(user), own);
  EXPECT_EQ(Read(legacy), own);
}

}  // namespace
}  // namespace vireo
