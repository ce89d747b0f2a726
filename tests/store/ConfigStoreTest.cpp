#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "FileTestUtil.h"
#include "store/TDKConfig.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;
using test::ReadAll;
using test::WriteAll;

class ConfigStore : public ::testing::Test {
 protected:
  QString File() const { return dir.filePath(u"Vireo.xml"_s); }
  QTemporaryDir dir;
};

TEST_F(ConfigStore, MissingFileReadsDefaultsAndIsNotCreated) {
  {
    TDKConfig cfg(File(), u"MainConfig"_s);
    EXPECT_EQ(cfg.Opened(), XmlDocument::LoadResult::Missing);
    EXPECT_EQ(cfg.ReadInteger(u"Window/Volume"_s, u"Value"_s, 65), 65);
    EXPECT_EQ(cfg.ReadString(u"Window/SKIN"_s, u"NAME"_s, u"Default"_s), u"Default"_s);
    EXPECT_FALSE(cfg.ReadBool(u"Window/DBGain"_s, u"Value"_s, false));
    EXPECT_EQ(cfg.FindNode(u"Window"_s, false), nullptr);
    EXPECT_FALSE(cfg.Modified());
  }
  EXPECT_FALSE(QFileInfo::exists(File()));
}

TEST_F(ConfigStore, WritesReachTheDiskWhenTheStoreIsFreed) {
  {
    TDKConfig cfg(File(), u"MainConfig"_s);
    cfg.WriteInteger(u"Window/Volume"_s, u"Value"_s, -12);
    cfg.WriteBool(u"Window/DBGain"_s, u"Value"_s, true);
    cfg.WriteString(u"Window/SKIN"_s, u"NAME"_s, u"蓝色 <经典> & \"新\""_s);
    EXPECT_TRUE(cfg.Modified());
    EXPECT_FALSE(QFileInfo::exists(File()));
  }
  TDKConfig cfg(File(), u"Other"_s);  // the root of an existing file is used whatever its name
  EXPECT_EQ(cfg.ReadInteger(u"Window/Volume"_s, u"Value"_s, 65), -12);
  EXPECT_TRUE(cfg.ReadBool(u"Window/DBGain"_s, u"Value"_s, false));
  EXPECT_EQ(cfg.ReadString(u"Window/SKIN"_s, u"NAME"_s, {}), u"蓝色 <经典> & \"新\""_s);
  EXPECT_TRUE(ReadAll(File()).startsWith("<?xml version=\"1.0\" encoding=\"GB2312\"?>"));
}

TEST_F(ConfigStore, PathsAreCreatedAndAppendedAfterSiblings) {
  TDKConfig cfg(File(), u"MainConfig"_s);
  cfg.WriteString(u"Window/A"_s, u"v"_s, u"1"_s);
  cfg.WriteString(u"Window/B/C/D"_s, u"v"_s, u"2"_s);
  cfg.WriteString(u"Window/A"_s, u"v"_s, u"3"_s);  // replaced, not duplicated
  cfg.WriteString(u"Window/A"_s, u"w"_s, u"4"_s);
  ASSERT_TRUE(cfg.Save());
  const QByteArray bytes = ReadAll(File());
  EXPECT_NE(bytes.indexOf("<A v=\"3\" w=\"4\"/>"), -1) << bytes.constData();
  EXPECT_LT(bytes.indexOf("<A "), bytes.indexOf("<B>"));
  EXPECT_NE(bytes.indexOf("<D v=\"2\"/>"), -1);
  EXPECT_FALSE(cfg.Modified());
  EXPECT_TRUE(cfg.Save());  // clean: nothing to do
}

TEST_F(ConfigStore, ElementTextAndEmptyValues) {
  TDKConfig cfg(File(), u"MainConfig"_s);
  cfg.WriteString(u"Window/Note"_s, QString(), u"第一行\n第二行"_s);
  EXPECT_EQ(cfg.ReadString(u"Window/Note"_s, QString(), u"d"_s), u"第一行\n第二行"_s);
  cfg.WriteString(u"Window/Empty"_s, QString(), QString());
  EXPECT_EQ(cfg.ReadString(u"Window/Empty"_s, QString(), u"d"_s), QString());  // text, even empty
  cfg.WriteString(u"Window/Empty"_s, u"a"_s, QString());
  EXPECT_EQ(cfg.ReadString(u"Window/Empty"_s, u"a"_s, u"d"_s), u"d"_s);  // empty attribute
  EXPECT_EQ(cfg.ReadString(u"Window/Empty"_s, u"missing"_s, u"d"_s), u"d"_s);
}

TEST_F(ConfigStore, NumbersAndBooleans) {
  TDKConfig cfg(File(), u"MainConfig"_s);
  const auto put = [&](const char16_t* v) {
    cfg.WriteString(u"W/X"_s, u"v"_s, QStringView(v).toString());
  };
  const auto integer = [&] { return cfg.ReadInteger(u"W/X"_s, u"v"_s, 65); };
  const auto boolean = [&] { return cfg.ReadBool(u"W/X"_s, u"v"_s, false); };
  put(u"abc");
  EXPECT_EQ(integer(), 65);
  put(u"12abc");
  EXPECT_EQ(integer(), 65);
  put(u"4294967296");  // outside 32 bits
  EXPECT_EQ(integer(), 65);
  put(u"-2147483648");
  EXPECT_EQ(integer(), INT32_MIN);
  put(u" 42 ");
  EXPECT_EQ(integer(), 42);
  put(u"2");
  EXPECT_TRUE(boolean());
  put(u"256");  // the low byte counts
  EXPECT_FALSE(boolean());
  put(u"-1");
  EXPECT_TRUE(boolean());
  put(u"yes");
  EXPECT_FALSE(boolean());
  EXPECT_TRUE(cfg.ReadBool(u"W/None"_s, u"v"_s, true));
}

TEST_F(ConfigStore, ReadingNeverChangesTheFile) {
  {
    TDKConfig cfg(File(), u"MainConfig"_s);
    cfg.WriteInteger(u"Window/Volume"_s, u"Value"_s, 30);
  }
  const QByteArray before = ReadAll(File());
  const QDateTime stamp = QFileInfo(File()).lastModified();
  {
    TDKConfig cfg(File(), u"MainConfig"_s);
    EXPECT_EQ(cfg.ReadInteger(u"Window/EQ"_s, u"ID"_s, 0), 0);
    EXPECT_EQ(cfg.FindNode(u"Window/EQ"_s, false), nullptr);
    EXPECT_EQ(cfg.FindNode(u"Window/EQ"_s, false), nullptr);
    EXPECT_FALSE(cfg.Modified());
  }
  EXPECT_EQ(ReadAll(File()), before);
  EXPECT_EQ(QFileInfo(File()).lastModified(), stamp);
}

TEST_F(ConfigStore, InvalidNamesAreRefusedWithoutHarm) {
  {
    TDKConfig cfg(File(), u"MainConfig"_s);
    cfg.WriteString(u"Window/has space"_s, u"v"_s, u"1"_s);
    cfg.WriteString(u"Window//PLAY"_s, u"v"_s, u"1"_s);
    cfg.WriteString(u"Window/OK"_s, u"bad name"_s, u"1"_s);
    cfg.WriteString(u"Window/OK"_s, u"good"_s, u"1"_s);
  }
  TDKConfig cfg(File(), u"MainConfig"_s);
  EXPECT_EQ(cfg.Opened(), XmlDocument::LoadResult::Loaded);
  EXPECT_EQ(cfg.ReadString(u"Window/OK"_s, u"good"_s, {}), u"1"_s);
}

TEST_F(ConfigStore, GbkCharactersAndEverythingElseSurvive) {
  const QString text = u"陶喆 鍚 é ü 日本語 한국어 😀 𠀀 tab\there \"q\" 'a' <&>"_s;
  {
    TDKConfig cfg(File(), u"MainConfig"_s);
    cfg.WriteString(u"Window/T"_s, u"v"_s, text);
    cfg.WriteString(u"Window/C"_s, u"v"_s,
                    u"a\x01"
                    u"b\x1f"
                    u"c\uFFFE"_s);
  }
  const QByteArray bytes = ReadAll(File());
  EXPECT_NE(bytes.indexOf("\xCC\xD5"), -1);   // 陶 in GB2312 bytes
  EXPECT_NE(bytes.indexOf("&#21894;"), -1);   // 喆 is not in GB2312
  EXPECT_NE(bytes.indexOf("&#128512;"), -1);  // 😀
  EXPECT_EQ(bytes.indexOf('\x01'), -1);
  TDKConfig cfg(File(), u"MainConfig"_s);
  ASSERT_EQ(cfg.Opened(), XmlDocument::LoadResult::Loaded);
  EXPECT_EQ(cfg.ReadString(u"Window/T"_s, u"v"_s, {}), text);
  EXPECT_EQ(cfg.ReadString(u"Window/C"_s, u"v"_s, {}), u"abc"_s);  // what XML cannot carry
}

// GB2312 as the system converter knows it maps a few characters to bytes that GBK and GB18030
// read as another character (U+2015 and U+30FB); those must be written as references instead.
TEST_F(ConfigStore, EveryCharacterOfTheBasicPlaneComesBackUnchanged) {
  QString all;
  for (char16_t u = 0x20; u < 0xFFFE; ++u)
    if (!QChar::isSurrogate(u)) all += QChar(u);
  {
    TDKConfig cfg(File(), u"MainConfig"_s);
    cfg.WriteString(u"Window/All"_s, u"v"_s, all);
    cfg.WriteString(u"Window/Text"_s, QString(), u"ラブ・ストーリー ― 终"_s);
  }
  TDKConfig cfg(File(), u"MainConfig"_s);
  ASSERT_EQ(cfg.Opened(), XmlDocument::LoadResult::Loaded);
  const QString back = cfg.ReadString(u"Window/All"_s, u"v"_s, {});
  ASSERT_EQ(back.size(), all.size());
  for (qsizetype i = 0; i < all.size(); ++i)
    ASSERT_EQ(back[i], all[i]) << "U+" << std::hex << static_cast<int>(all[i].unicode());
  EXPECT_EQ(cfg.ReadString(u"Window/Text"_s, QString(), {}), u"ラブ・ストーリー ― 终"_s);
}

TEST_F(ConfigStore, SavingTwiceGivesTheSameBytes) {
  {
    TDKConfig cfg(File(), u"MainConfig"_s);
    cfg.WriteString(u"Window/SKIN"_s, u"NAME"_s, u"默认"_s);
    cfg.WriteInteger(u"Window/Volume"_s, u"Value"_s, 65);
  }
  const QByteArray first = ReadAll(File());
  {
    TDKConfig cfg(File(), u"MainConfig"_s);
    cfg.WriteString(u"Window/SKIN"_s, u"NAME"_s, u"默认"_s);
    cfg.WriteInteger(u"Window/Volume"_s, u"Value"_s, 65);
  }
  EXPECT_EQ(ReadAll(File()), first);
}

TEST_F(ConfigStore, FileThatIsNotWellFormedReadsAsMissingAndIsKept) {
  const QByteArray broken = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<MainConfig><Window>";
  WriteAll(File(), broken);
  {
    TDKConfig cfg(File(), u"MainConfig"_s);
    EXPECT_EQ(cfg.Opened(), XmlDocument::LoadResult::Unreadable);
    EXPECT_EQ(cfg.ReadInteger(u"Window/Volume"_s, u"Value"_s, 65), 65);
    cfg.WriteInteger(u"Window/Volume"_s, u"Value"_s, 20);
    EXPECT_TRUE(cfg.Save());
  }
  EXPECT_EQ(ReadAll(File() + u".broken"_s), broken);
  TDKConfig cfg(File(), u"MainConfig"_s);
  EXPECT_EQ(cfg.ReadInteger(u"Window/Volume"_s, u"Value"_s, 65), 20);

  WriteAll(File(), QByteArray());  // an empty file is not a document either
  TDKConfig empty(File(), u"MainConfig"_s);
  EXPECT_EQ(empty.Opened(), XmlDocument::LoadResult::Unreadable);
}

TEST_F(ConfigStore, FailedSaveLeavesTheOldFile) {
  {
    TDKConfig cfg(File(), u"MainConfig"_s);
    cfg.WriteInteger(u"Window/Volume"_s, u"Value"_s, 10);
  }
  const QByteArray before = ReadAll(File());
  {
    test::UnwritableFolder lock(dir.path());
    if (!lock.Ok()) GTEST_SKIP() << "cannot make a folder unwritable here";
    TDKConfig cfg(File(), u"MainConfig"_s);
    cfg.WriteInteger(u"Window/Volume"_s, u"Value"_s, 90);
    EXPECT_FALSE(cfg.Save());
    EXPECT_TRUE(cfg.Modified());
  }  // the destructor's save fails quietly too
  EXPECT_EQ(ReadAll(File()), before);

  // A folder that is not there at all.
  TDKConfig gone(dir.filePath(u"no/such/Vireo.xml"_s), u"MainConfig"_s);
  gone.WriteInteger(u"Window/Volume"_s, u"Value"_s, 1);
  EXPECT_FALSE(gone.Save());
}

TEST_F(ConfigStore, EmptyFileNameNeverSaves) {
  TDKConfig cfg(QString(), u"MainConfig"_s);
  cfg.WriteInteger(u"Window/Volume"_s, u"Value"_s, 1);
  EXPECT_TRUE(cfg.Save());
  EXPECT_EQ(cfg.ReadInteger(u"Window/Volume"_s, u"Value"_s, 65), 1);
}

}  // namespace
}  // namespace vireo
