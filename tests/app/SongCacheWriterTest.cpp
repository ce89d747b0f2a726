// The song cache's writer: the chunks of a streamed track reach the disk off the UI thread, a
// whole track is kept under its cache name and its temporary file goes, a track cut short keeps
// only the temporary file, and a writer dropped early calls nobody back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "TestEnv.h"
#include "app/mainwindow/SongCacheWriter.h"
#include "base/WorkerRegistry.h"

namespace vireo {
namespace {

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(SongCacheWriter, AWholeTrackIsKeptUnderItsNameAndACutOneOnlyInTheTemporaryFile) {
  QTemporaryDir dir;
  const QString temp = dir.filePath(QStringLiteral("_temp._mp"));
  const QString cache = dir.filePath(QStringLiteral("Song.mp3"));
  QObject context;
  QStringList kept;
  QByteArray body;
  {
    SongCacheWriter writer(temp, cache, &context, [&](const QString& path) {
      EXPECT_EQ(QThread::currentThread(), context.thread());
      kept << path;
    });
    for (int i = 0; i < 200; ++i) {
      const QByteArray chunk(997, char('a' + i % 26));
      body += chunk;
      writer.Append(chunk.constData(), int(chunk.size()));
    }
    writer.Finish(true);
  }
  ASSERT_TRUE(test::WaitUntil([&] { return !kept.isEmpty(); }, 10000));
  EXPECT_EQ(kept, QStringList{cache});
  EXPECT_EQ(Read(cache), body);
  EXPECT_FALSE(QFile::exists(temp));

  // Cut short: the temporary file holds what came, the cache name nothing new.
  const QString second = dir.filePath(QStringLiteral("Second.mp3"));
  {
    SongCacheWriter writer(temp, second, &context, [&](const QString& path) { kept << path; });
    writer.Append("partial", 7);
    writer.Finish(false);
  }
  ASSERT_TRUE(WorkerRegistry::Instance().WaitForAll(10000, QStringLiteral("cache")));
  QCoreApplication::processEvents();
  EXPECT_EQ(Read(temp), "partial");
  EXPECT_FALSE(QFile::exists(second));
  EXPECT_EQ(kept.size(), 1);

  // Dropped before the end (another track started): nothing is kept, nobody is called.
  const QString third = dir.filePath(QStringLiteral("Third.mp3"));
  {
    auto gone = std::make_unique<QObject>();
    SongCacheWriter writer(temp, third, gone.get(), [&](const QString& path) { kept << path; });
    writer.Append("abandoned", 9);
  }
  ASSERT_TRUE(WorkerRegistry::Instance().WaitForAll(10000, QStringLiteral("cache")));
  QCoreApplication::processEvents();
  EXPECT_FALSE(QFile::exists(third));
  EXPECT_EQ(kept.size(), 1);
}

}  // namespace
}  // namespace vireo
