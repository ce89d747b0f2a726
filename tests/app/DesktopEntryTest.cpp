#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/DesktopEntry.h"

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
  EXPECT_TRUE(lines.contains(S("Exec=/usr/bin/vireo %u")));
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
  EXPECT_TRUE(lines.contains(S("Exec=\"/opt/a\\\\\\\\b/vireo\" %u")));
  EXPECT_TRUE(lines.contains(S("TryExec=/opt/a\\\\b/vireo")));
}

TEST(DesktopEntry, IsRewrittenOnlyWhenItChanged) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(S("share/applications/vireo.desktop"));
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
            QStringList{S("vireo.desktop")});
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
  EXPECT_EQ(DesktopEntry::DefaultPath(), dir.filePath(S("applications/vireo.desktop")));
  EXPECT_EQ(DesktopEntry::RegisterAppPath(), DesktopEntry::Result::Written);
  EXPECT_EQ(DesktopEntry::RegisterAppPath(), DesktopEntry::Result::Unchanged);
  QFile file(DesktopEntry::DefaultPath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), DesktopEntry::Contents(QCoreApplication::applicationFilePath()));
  qputenv("XDG_DATA_HOME", saved);
}

}  // namespace
}  // namespace vireo
