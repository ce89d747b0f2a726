#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "FileTestUtil.h"
#include "playlist/TDKPlist.h"
#include "store/TDKConfig.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;
using test::ReadAll;
using test::WriteAll;

class XmlMarkup : public ::testing::Test {
 protected:
  QString File(const QString& name) const { return dir.filePath(name); }
  QTemporaryDir dir;
};

// Names, comments, CDATA and the DOCTYPE cannot carry character references: a file whose markup
// holds characters outside GB2312 is written as UTF-8 and loads back whole.
TEST_F(XmlMarkup, MarkupOutsideGb2312IsWrittenAsUtf8AndLoadsBack) {
  const QString file = File(u"Vireo.xml"_s);
  WriteAll(file,
           u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE MainConfig [<!ENTITY e \"한\">]>\n<!-- 설정 😀 -->\n"
           "<MainConfig><Window><설정 값=\"&e;1\"/><![CDATA[😀]]></Window></MainConfig>"_s.toUtf8());
  {
    TDKConfig cfg(file, u"MainConfig"_s);
    ASSERT_EQ(cfg.Opened(), XmlDocument::LoadResult::Loaded);
    cfg.WriteString(u"Window/SKIN"_s, u"NAME"_s, u"蓝色 😀"_s);
  }
  const QByteArray saved = ReadAll(file);
  EXPECT_TRUE(saved.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << saved.data();
  EXPECT_FALSE(saved.contains("&#")) << saved.data();
  TDKConfig back(file, u"MainConfig"_s);
  ASSERT_EQ(back.Opened(), XmlDocument::LoadResult::Loaded);
  EXPECT_EQ(back.ReadString(u"Window/설정"_s, u"값"_s, u"-"_s), u"한1"_s);
  EXPECT_EQ(back.ReadString(u"Window/SKIN"_s, u"NAME"_s, u"-"_s), u"蓝色 😀"_s);

  // Characters outside GB2312 in values alone keep the file GB2312, with references.
  const QString plain = File(u"plain.xml"_s);
  {
    TDKConfig cfg(plain, u"MainConfig"_s);
    cfg.WriteString(u"Window/SKIN"_s, u"NAME"_s, u"한 😀"_s);
  }
  const QByteArray gb = ReadAll(plain);
  EXPECT_TRUE(gb.contains("encoding=\"GB2312\"")) << gb.data();
  EXPECT_TRUE(gb.contains("&#54620;")) << gb.data();
  EXPECT_EQ(TDKConfig(plain, u"MainConfig"_s).ReadString(u"Window/SKIN"_s, u"NAME"_s, {}),
            u"한 😀"_s);
}

// U+FEFF at the start of a value is part of it, not a byte-order mark to drop on reading.
TEST_F(XmlMarkup, ValuesStartingWithFeffComeBackWhole) {
  const QString file = File(u"Vireo.xml"_s);
  const QString value = QChar(0xFEFF) + u"蓝色"_s;
  {
    TDKConfig cfg(file, u"MainConfig"_s);
    cfg.WriteString(u"Window/SKIN"_s, u"NAME"_s, value);
  }
  EXPECT_EQ(TDKConfig(file, u"MainConfig"_s).ReadString(u"Window/SKIN"_s, u"NAME"_s, {}), value);
  const QString list = File(u"Default.pls"_s);
  {
    TDKPlist p(list, u"DefaultList"_s);
    p.AddEntry(u"PlayerList/LIST"_s, value, 0, value, u"0"_s, value);
  }
  TDKPlist back(list, u"DefaultList"_s);
  back.LoadSection(u"PlayerList"_s);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Items(0)->Title, value);
  EXPECT_EQ(back.Items(0)->Path, value);
}

TEST_F(XmlMarkup, PlaylistEntryNamesOutsideGb2312) {
  const QString file = File(u"Default.pls"_s);
  {
    TDKPlist p(file, u"DefaultList"_s);
    p.ClearSection(u"PlayerList"_s);
    p.AddEntry(u"PlayerList/LIST"_s, u"晴天"_s, 0.5, u"/a.mp3"_s, u"0"_s, u"周杰伦"_s);
    p.AddEntry(u"PlayerList/항목"_s, u"제목"_s, 0.25, u"/b.mp3"_s, u"1"_s, u"가수"_s);
  }
  TDKPlist back(file, u"DefaultList"_s);
  ASSERT_EQ(back.Opened(), XmlDocument::LoadResult::Loaded);
  back.LoadSection(u"PlayerList"_s);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Items(1)->Title, u"제목"_s);
  EXPECT_EQ(back.Items(1)->Ltime, 0.25);
}

// Entries that an entity reference stands for are entries for both readers: the streaming one
// of start-up and the walk over an open document.
TEST_F(XmlMarkup, EntriesFromEntitiesCountTheSameForBothReaders) {
  const QString file = File(u"Default.pls"_s);
  WriteAll(file,
           "<!DOCTYPE DefaultList [<!ENTITY two \"<LIST Path='b'/><LIST Path='c'/>\">\n"
           "<!ENTITY ext SYSTEM \"/etc/hostname\">]>\n"
           "<DefaultList><PlayerList><LIST Path=\"a\"/>&two;&ext;<LIST Path=\"d\"/>"
           "</PlayerList></DefaultList>");
  const auto paths = [](const TDKPlist& p) {
    QStringList out;
    for (int i = 0; i < p.Count(); ++i) out << p.Items(i)->Path;
    return out;
  };
  const QStringList expected{u"a"_s, u"b"_s, u"c"_s, u"d"_s};  // nothing from outside the file
  TDKPlist streamed(file, u"DefaultList"_s);
  streamed.LoadSection(u"PlayerList"_s);
  EXPECT_EQ(paths(streamed), expected);
  TDKPlist walked(file, u"DefaultList"_s);
  walked.Serialize();
  walked.LoadSection(u"PlayerList"_s);
  EXPECT_EQ(paths(walked), expected);
}

}  // namespace
}  // namespace vireo
