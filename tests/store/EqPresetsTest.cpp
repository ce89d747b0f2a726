#include <gtest/gtest.h>

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include "TestEnv.h"
#include "store/EqPresetCache.h"
#include "store/EqPresets.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;
using Gains = std::array<int, 10>;

TEST(EqPresets, ShippedFileHasAGoodNamedSet) {
  const QString path = QStringLiteral(VIREO_SOURCE_DIR "/data/effect.dat");
  const std::vector<EqPreset> presets = EqPresets::Read(path);
  ASSERT_GE(presets.size(), 12u);
  QSet<int> ids;
  QSet<QString> names;
  for (const EqPreset& p : presets) {
    EXPECT_GT(p.Id, 0);  // 0 is "no preset"
    ids.insert(p.Id);
    names.insert(p.Name);
    for (int g : p.Gains) {
      EXPECT_GE(g, EqPresets::kMinGain);
      EXPECT_LE(g, EqPresets::kMaxGain);
    }
  }
  EXPECT_EQ(ids.size(), static_cast<qsizetype>(presets.size()));
  for (const char16_t* n :
       {u"平坦", u"流行", u"摇滚", u"古典", u"爵士", u"舞曲", u"人声", u"重低音", u"高音增强"})
    EXPECT_TRUE(names.contains(QStringView(n).toString()))
        << QStringView(n).toString().toStdString();
  EXPECT_EQ(EqPresets::Lookup(path, 1), Gains{});  // flat
  EXPECT_FALSE(EqPresets::Lookup(path, 0));
}

TEST(EqPresets, ForgivingReading) {
  const QString path = test::DataPath(u"store/effect-odd.dat"_s);
  const std::vector<EqPreset> presets = EqPresets::Read(path);
  std::vector<int> ids;
  for (const EqPreset& p : presets) ids.push_back(p.Id);
  // Nested and upper-case elements count; no id, a bad id or "ID" instead of "id" do not;
  // the end tag of <Eq ...></Eq> is not a second preset.
  ASSERT_EQ(ids, (std::vector<int>{1, 2, 3, 3, 5}));
  EXPECT_EQ(presets[1].Name, u"大写"_s);
  EXPECT_EQ(presets[1].Gains, (Gains{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  // Missing and non-numeric gains are flat, out-of-range ones limited.
  EXPECT_EQ(presets[2].Gains, (Gains{4, 0, 0, 0, 15, 0, 0, 0, 0, -15}));
  EXPECT_EQ(presets[4].Name, u"喆"_s);
  EXPECT_EQ(presets[4].Gains, (Gains{0, 3, 0, 0, 0, 0, 0, 0, 0, 0}));  // "Q1" is not q1

  EXPECT_EQ(EqPresets::Lookup(path, 3), (Gains{-1, -2, -3, -4, -5, -6, -7, -8, -9, -10}));
  EXPECT_FALSE(EqPresets::Lookup(path, 9));
  EXPECT_FALSE(EqPresets::Lookup(path, 4));
}

TEST(EqPresets, BrokenAndMissingFiles) {
  const QString broken = test::DataPath(u"store/effect-broken.dat"_s);
  const std::vector<EqPreset> presets = EqPresets::Read(broken);
  ASSERT_EQ(presets.size(), 2u);  // those before the fault
  EXPECT_EQ(presets[1].Name, u"摇滚"_s);
  EXPECT_EQ(EqPresets::Lookup(broken, 2), (Gains{6, 6, 6, 6, 6, 6, 6, 6, 6, 6}));
  EXPECT_FALSE(EqPresets::Lookup(broken, 3));
  EXPECT_TRUE(EqPresets::Read(test::DataPath(u"store/none.dat"_s)).empty());
  EXPECT_FALSE(EqPresets::Lookup(test::DataPath(u"store/none.dat"_s), 1));
  EXPECT_TRUE(EqPresets::Read(test::DataPath(u"playlist/garbage.pls"_s)).empty());
}

// A track start looks its preset up without reading the file again, and a file changed while
// the player runs is read anew at the next look-up.
TEST(EqPresetCache, ReadsTheFileOnceAndAgainOnlyWhenItChanged) {
  QTemporaryDir dir;
  const QString path = dir.filePath(u"effect.dat"_s);
  const auto write = [&](const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
  };
  write("<effect><eq id=\"1\" q1=\"3\"/></effect>");
  EqPresetCache cache;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(cache.Lookup(path, 1), (Gains{3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(cache.Lookup(path, 2));
  EXPECT_EQ(cache.Reads(), 1);
  write("<effect><eq id=\"1\" q1=\"-4\"/><eq id=\"2\" q2=\"5\"/></effect>");
  EXPECT_EQ(cache.Lookup(path, 1), (Gains{-4, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(cache.Lookup(path, 2), (Gains{0, 5, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(cache.Reads(), 2);
  QFile::remove(path);
  EXPECT_FALSE(cache.Lookup(path, 1));
}

}  // namespace
}  // namespace vireo
