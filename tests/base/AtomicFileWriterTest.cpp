#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TinyTmpfs.h"
#include "base/AtomicFileStream.h"
#include "base/AtomicFileWriter.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList Names(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(AtomicFileWriter, ReplacesTheFileAndKeepsItsPermissions) {
  QTemporaryDir dir;
  const QString file = dir.filePath(u"Vireo.xml"_s);
  ASSERT_TRUE(AtomicFileWriter::Write(file, "one"));
  ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0600), 0);
  ASSERT_TRUE(AtomicFileWriter::Write(file, "two, longer"));
  EXPECT_EQ(Read(file), "two, longer");
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(Names(dir.path()), QStringList{u"Vireo.xml"_s});  // nothing left beside it

  // A link is followed: its target gets the bytes, the link stays a link.
  const QString link = dir.filePath(u"link.xml"_s);
  ASSERT_TRUE(QFile::link(file, link));
  ASSERT_TRUE(AtomicFileWriter::Write(link, "three"));
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(Read(file), "three");

  // Nowhere to write: a missing folder, a folder in the file's place.
  EXPECT_FALSE(AtomicFileWriter::Write(dir.filePath(u"no/such/file"_s), "x"));
  ASSERT_TRUE(QDir(dir.path()).mkdir(u"sub"_s));
  EXPECT_FALSE(AtomicFileWriter::Write(dir.filePath(u"sub"_s), "x"));
}

// A full disk must fail the save and leave the old file whole, whether the new bytes are few
// (once held back in a write buffer and lost at the commit) or many (cut at the first page).
TEST(AtomicFileWriter, FullDiskFailsAndKeepsTheOldFile) {
  test::TinyTmpfs disk;
  if (!disk.Ok()) GTEST_SKIP() << disk.Why().toStdString();
  const QString file = disk.FilePath(u"Default.pls"_s);
  const QByteArray good(3000, 'g');
  ASSERT_TRUE(AtomicFileWriter::Write(file, good));

  struct Case {
    qint64 room;
    qsizetype size;
  };
  for (const Case c : {Case{0, 10}, Case{0, 10000}, Case{4096, 10000}, Case{8192, 40000}}) {
    SCOPED_TRACE(testing::Message() << "room " << c.room << ", " << c.size << " bytes");
    ASSERT_TRUE(disk.FillLeaving(c.room));
    EXPECT_FALSE(AtomicFileWriter::Write(file, QByteArray(c.size, 'n')));
    EXPECT_EQ(Read(file), good);
    EXPECT_EQ(Names(disk.FilePath(u""_s)), (QStringList{u"Default.pls"_s, u"filler"_s}));
    disk.Drain();
  }
  // With room again the same save goes through.
  EXPECT_TRUE(AtomicFileWriter::Write(file, QByteArray(40000, 'n')));
  EXPECT_EQ(Read(file), QByteArray(40000, 'n'));
}

// Written in pieces (a download, the song cache): the target changes only at the commit, a
// stream dropped or cut short by a full disk leaves it as it was and nothing beside it.
TEST(AtomicFileStream, TheTargetChangesOnlyAtTheCommitAndADroppedStreamLeavesNothing) {
  QTemporaryDir dir;
  const QString file = dir.filePath(u"song.mp3"_s);
  ASSERT_TRUE(AtomicFileWriter::Write(file, "old"));
  {
    AtomicFileStream out(file);
    ASSERT_TRUE(out.Open());
    ASSERT_TRUE(out.Append("new "));
    EXPECT_EQ(Read(file), "old");
    EXPECT_EQ(Names(dir.path()).size(), 2);
  }  // dropped
  EXPECT_EQ(Read(file), "old");
  EXPECT_EQ(Names(dir.path()), QStringList{u"song.mp3"_s});
  AtomicFileStream out(file);
  ASSERT_TRUE(out.Open());
  ASSERT_TRUE(out.Append("new ") && out.Append(QByteArray("bytes")));
  EXPECT_EQ(out.Written(), 9);
  ASSERT_TRUE(out.Commit());
  EXPECT_EQ(Read(file), "new bytes");
  EXPECT_EQ(Names(dir.path()), QStringList{u"song.mp3"_s});
  EXPECT_FALSE(out.Commit()) << "a second commit";

  test::TinyTmpfs disk;
  if (!disk.Ok()) GTEST_SKIP() << disk.Why().toStdString();
  const QString small = disk.FilePath(u"cached.mp3"_s);
  ASSERT_TRUE(AtomicFileWriter::Write(small, "kept"));
  ASSERT_TRUE(disk.FillLeaving(4096));
  AtomicFileStream full(small);
  ASSERT_TRUE(full.Open());
  bool failed = false;
  for (int i = 0; i < 64 && !failed; ++i) failed = !full.Append(QByteArray(4096, 'x'));
  EXPECT_TRUE(failed) << "the full disk went unnoticed";
  EXPECT_FALSE(full.Append("more")) << "a write after a failed one";
  EXPECT_FALSE(full.Commit());
  EXPECT_EQ(Read(small), "kept");
  EXPECT_EQ(Names(disk.FilePath(u""_s)), (QStringList{u"cached.mp3"_s, u"filler"_s}));
}

TEST(AtomicFileWriter, RemovesOnlyTheLeftoversOfItsOwnSaves) {
  QTemporaryDir dir;
  const QString file = dir.filePath(u"Default[1].pls"_s);
  const auto make = [&](const QString& name) {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
  };
  make(u"Default[1].pls"_s);
  make(u"Default[1].pls.vireo-save-123-0"_s);
  make(u"Default[1].pls.vireo-save-77-12"_s);
  // Not ours: other files, other names, names that only look alike.
  make(u"Default[1].pls.backup"_s);
  make(u"Default[1].pls.vireo-save-notes"_s);
  make(u"Other.pls.vireo-save-1-1"_s);
  make(u"Default1.pls.vireo-save-1-1"_s);
  EXPECT_EQ(AtomicFileWriter::RemoveLeftovers(file), 2);
  EXPECT_EQ(Names(dir.path()),
            (QStringList{u"Default1.pls.vireo-save-1-1"_s, u"Default[1].pls"_s,
                         u"Default[1].pls.backup"_s, u"Default[1].pls.vireo-save-notes"_s,
                         u"Other.pls.vireo-save-1-1"_s}));
  EXPECT_EQ(AtomicFileWriter::RemoveLeftovers(file), 0);
  EXPECT_EQ(AtomicFileWriter::RemoveLeftovers(QString()), 0);
}

}  // namespace
}  // namespace vireo
