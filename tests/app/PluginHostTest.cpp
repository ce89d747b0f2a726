// The plug-in host against real shared libraries built for these tests: what it accepts, the
// order of the messages, the track record's texts, and plug-ins that misbehave.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/plugins/TUSGeneralPurpose.h"

using namespace vireo;

namespace {

QString PluginPath(const char* name) {
  return QStringLiteral(VIREO_TEST_PLUGIN_DIR "/") + QLatin1StringView(name) +
         QStringLiteral(".so");
}

class PluginHost : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    log_ = dir_.filePath(QStringLiteral("log.txt"));
    qputenv("VIREO_TEST_PLUGIN_LOG", QFile::encodeName(log_));
  }
  QStringList Log() const {
    QFile f(log_);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }
  QTemporaryDir dir_;
  QString log_;
};

}  // namespace

TEST_F(PluginHost, AcceptsOnlyKindOneVersion256AndEachLibraryOnce) {
  const QString folder = dir_.filePath(QStringLiteral("plugins"));
  QDir().mkpath(folder);
  for (const char* name : {"good", "wrongkind", "version255", "silent", "throws"})
    QFile::copy(PluginPath(name), folder + QLatin1Char('/') + QLatin1StringView(name) +
                                      QStringLiteral(".so"));
  // The same library under a second name: one slot only.
  QFile::link(folder + QStringLiteral("/good.so"), folder + QStringLiteral("/good-again.so"));
  QFile(folder + QStringLiteral("/notalibrary.so")).open(QIODevice::WriteOnly);

  {
    TUSGeneralPurpose host({folder, dir_.filePath(QStringLiteral("missing"))});
    // good, silent, throws (name order); good-again is good; the rest are refused.
    EXPECT_EQ(host.Count(), 3);
    EXPECT_EQ(Log(), (QStringList{QStringLiteral("good 100"), QStringLiteral("throws 100")}));
  }
  // Unloading tells each plug-in that has a message function.
  EXPECT_EQ(Log().mid(2), (QStringList{QStringLiteral("good 101"), QStringLiteral("throws 101")}));
}

TEST_F(PluginHost, BroadcastReachesEveryPluginInOrderAndSurvivesAThrowingOne) {
  TUSGeneralPurpose host;
  ASSERT_TRUE(host.LoadPlugin(PluginPath("throws")));
  ASSERT_TRUE(host.LoadPlugin(PluginPath("good")));
  ASSERT_TRUE(host.LoadPlugin(PluginPath("silent")));
  EXPECT_FALSE(host.LoadPlugin(PluginPath("good")));
  EXPECT_FALSE(host.LoadPlugin(QString()));
  EXPECT_FALSE(host.LoadPlugin(dir_.filePath(QStringLiteral("nothing.so"))));

  const QByteArray file = "/music/维雀.mp3", title = "晨曲", artist = "Vireo";
  VireoTrackRecord record{};
  record.file_name = file.constData();
  record.length_days = 65000.0 / 86400000.0;
  record.title = title.constData();
  record.title_bytes = int32_t(title.size());
  record.artist = artist.constData();
  record.artist_bytes = int32_t(artist.size());
  // The throwing plug-in's call is skipped; the answer is the last one that came back.
  EXPECT_EQ(host.Broadcast(108, reinterpret_cast<intptr_t>(&record), 0), 7);
  EXPECT_EQ(host.Broadcast(109, reinterpret_cast<intptr_t>(&record), 0), 7);
  const QStringList log = Log();
  ASSERT_EQ(log.size(), 6);
  EXPECT_EQ(log[2], QStringLiteral("throws 108|/music/维雀.mp3|晨曲|6|Vireo|5|65000"));
  EXPECT_EQ(log[3], QStringLiteral("good 108|/music/维雀.mp3|晨曲|6|Vireo|5|65000"));
  EXPECT_EQ(log[4], QStringLiteral("throws 109|/music/维雀.mp3|晨曲|6|Vireo|5|65000"));

  host.UnloadPlugin(1);
  EXPECT_EQ(Log().last(), QStringLiteral("good 101"));
  // An empty slot is passed over; no plug-in answering gives 1.
  TUSGeneralPurpose none;
  EXPECT_EQ(none.Broadcast(108, 0, 0), 1);
}
