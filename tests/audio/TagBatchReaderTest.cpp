#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <memory>

#include "MediaFactory.h"
#include "TestEnv.h"
#include "audio/TagBatchReader.h"
#include "base/WorkerRegistry.h"

using namespace vireo;
using vireo::test::MediaFactory;
using vireo::test::WaitUntil;

namespace {

// n copies of one tagged MP3 under their own names, with unreadable files at every 7th place.
QStringList Files(const QString& stem, int n) {
  const QString tagged = MediaFactory::Tone(
      QStringLiteral("batch-src"), QStringLiteral("mp3"), 440, 0.5, 0.3,
      {QStringLiteral("-metadata"), QStringLiteral("title=晴天"), QStringLiteral("-metadata"),
       QStringLiteral("artist=周"), QStringLiteral("-metadata"), QStringLiteral("album=叶惠美")});
  QFile src(tagged);
  EXPECT_TRUE(src.open(QIODevice::ReadOnly));
  const QByteArray bytes = src.readAll();
  QStringList paths;
  for (int i = 0; i < n; ++i) {
    const QString name = QStringLiteral("%1-%2.mp3").arg(stem).arg(i);
    paths << MediaFactory::Write(name, i % 7 == 3 ? QByteArray(300, 'x') : bytes);
  }
  return paths;
}

}  // namespace

// Every path comes back once, in order, in batches on the UI thread, the unreadable ones empty;
// then the read says it is finished. A short list is read by one job, a long one by two (the
// second half's batches wait for the first half's).
TEST(TagBatchReader, HandsBackEveryFileInOrderInBatches) {
  for (const int count : {TagBatchReader::kBatch + 57, 2 * TagBatchReader::kSplitAt + 57}) {
    SCOPED_TRACE(count);
    const QStringList paths = Files(QStringLiteral("batch"), count);
    TagBatchReader reader;
    QList<TTags> got;
    int batches = 0;
    bool finished = false;
    bool inOrder = true;
    quint64 ticket = 0;
    QObject::connect(&reader, &TagBatchReader::TagsRead,
                     [&](quint64 t, int first, const QList<TTags>& tags) {
                       inOrder = inOrder && t == ticket && first == got.size() && !finished;
                       got += tags;
                       ++batches;
                     });
    QObject::connect(&reader, &TagBatchReader::Finished, [&](quint64 t) {
      inOrder = inOrder && !finished;
      finished = t == ticket;
    });
    ticket = reader.Read(paths);
    ASSERT_TRUE(WaitUntil([&] { return finished; }, 30000));
    EXPECT_TRUE(inOrder);
    EXPECT_GE(batches, 2);
    ASSERT_EQ(got.size(), paths.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
      if (i % 7 == 3) {
        EXPECT_TRUE(got[i].Title.isEmpty()) << i;
        EXPECT_EQ(got[i].Length, 0.0) << i;
      } else {
        EXPECT_EQ(got[i].Title, QStringLiteral("晴天")) << i;
        EXPECT_EQ(got[i].Artist, QStringLiteral("周")) << i;
        EXPECT_EQ(got[i].Album, QStringLiteral("叶惠美")) << i;
        EXPECT_NEAR(got[i].Length * 86400.0, 0.5, 0.08) << i;
      }
    }
    EXPECT_TRUE(WaitUntil([&] { return reader.Pending() == 0; }, 5000));
  }
}

// A reader destroyed in the middle of a long read stops it and joins its job; nothing of it
// arrives later.
TEST(TagBatchReader, DestroyedMidwayItStopsAndNothingArrivesAfter) {
  const QStringList paths = Files(QStringLiteral("stop"), 40);
  QStringList many;
  for (int i = 0; i < 100; ++i) many += paths;
  int batches = 0;
  {
    TagBatchReader reader;
    QObject::connect(&reader, &TagBatchReader::TagsRead,
                     [&](quint64, int, const QList<TTags>&) { ++batches; });
    reader.Read(many);
    ASSERT_TRUE(WaitUntil([&] { return batches > 0; }, 30000));
  }
  EXPECT_EQ(WorkerRegistry::Instance().Running(QStringLiteral("tags")), 0);
  const int seen = batches;
  vireo::test::Pump(300);
  EXPECT_EQ(batches, seen);
}
