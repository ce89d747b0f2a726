#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <clocale>
#include <future>
#include <optional>

#include "FileTestUtil.h"
#include "TestEnv.h"
#include "playlist/PlaylistFile.h"
#include "playlist/TDDPlaylistModel.h"
#include "playlist/TDKPlist.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;
using test::ReadAll;
using test::WriteAll;

struct Entry {
  QString title, artist, path;
  bool url = false;
  double length = 0;
};

void Add(TDDPlaylistModel& list, const Entry& e) {
  TDDPlaylistItem& item = list.Items().Add();
  item.Title = e.title;
  item.Artist = e.artist;
  item.Caption = e.title + u" - "_s + e.artist;
  item.FileName = e.path;
  item.ISURL = e.url;
  item.LongTime = e.length;
}

class PlaylistFile : public ::testing::Test {
 protected:
  QString File() const { return dir.filePath(u"Default.pls"_s); }
  QTemporaryDir dir;
};

TEST_F(PlaylistFile, LoadsTheWindowsPlayersFileIntact) {
  test::CopyData(u"playlist/windows.pls"_s, File());
  const QByteArray before = ReadAll(File());
  TDDPlaylistModel list;
  std::optional<bool> empty;
  EXPECT_EQ(LoadPlaylist(list, File(), [&](bool e) { empty = e; }), 5);
  EXPECT_EQ(empty, false);
  ASSERT_EQ(list.Count(), 5);
  const auto& i = list.Items();
  EXPECT_EQ(i[0].FileName, u"D:\\音乐\\周杰伦\\晴天.mp3"_s);
  EXPECT_EQ(i[0].Caption, u"晴天 - 周杰伦"_s);
  EXPECT_NEAR(i[0].LongTime * 86400, 269.0, 1e-6);
  EXPECT_FALSE(i[0].ISURL);
  EXPECT_EQ(i[1].Artist, u"陶喆"_s);  // a GBK character beyond GB2312
  EXPECT_EQ(i[1].FileName, u"D:\\音乐\\陶喆\\普通朋友.wma"_s);
  EXPECT_TRUE(i[2].ISURL);
  EXPECT_EQ(i[2].FileName, u"http://music.example.com/down/%E7%BA%A2%E8%B1%86.mp3"_s);
  EXPECT_EQ(i[3].FileName, u"\\\\NAS\\共享\\Beyond - 海阔天空.ape"_s);
  EXPECT_EQ(i[4].Title, u"Tom & Jerry \"主题曲\""_s);
  EXPECT_EQ(i[4].Caption, u"Tom & Jerry \"主题曲\" - "_s);
  EXPECT_TRUE(i[4].Alum.isEmpty());
  EXPECT_EQ(ReadAll(File()), before);  // loading never writes
}

TEST_F(PlaylistFile, OddEntriesLoadWithDefaults) {
  test::CopyData(u"playlist/odd-entries.pls"_s, File());
  TDDPlaylistModel list;
  ASSERT_EQ(LoadPlaylist(list, File()), 4);
  const auto& i = list.Items();
  EXPECT_EQ(i[0].Title, u"一"_s);
  EXPECT_TRUE(i[0].ISURL);               // "True"
  EXPECT_EQ(i[0].LongTime, 0);           // "abc"
  EXPECT_DOUBLE_EQ(i[1].LongTime, 0.5);  // decimal comma
  EXPECT_FALSE(i[1].ISURL);
  EXPECT_TRUE(i[1].Title.isEmpty());
  EXPECT_EQ(i[1].Caption, u" - "_s);
  EXPECT_TRUE(i[2].FileName.isEmpty());
  EXPECT_TRUE(i[2].ISURL);   // "2"
  EXPECT_FALSE(i[3].ISURL);  // "yes" is not a boolean text
  EXPECT_DOUBLE_EQ(i[3].LongTime, 0.001);
}

TEST_F(PlaylistFile, LoadAppendsAndKeepsTheCurrentEntry) {
  test::CopyData(u"playlist/windows.pls"_s, File());
  TDDPlaylistModel list;
  Add(list, {u"在前"_s, u"某人"_s, u"/x.mp3"_s});
  list.SetCurrentItem(0);
  int changes = 0;
  QObject::connect(&list, &TDDPlaylistModel::Changed, [&] { ++changes; });
  LoadPlaylist(list, File());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(list.Count(), 6);
  EXPECT_EQ(list.CurrentItem(), 0);
  EXPECT_EQ(list.Items()[1].Title, u"晴天"_s);
}

TEST_F(PlaylistFile, MissingBrokenAndGarbageFilesLoadNothing) {
  TDDPlaylistModel list;
  std::optional<bool> empty;
  const auto panel = [&](bool e) { empty = e; };
  EXPECT_EQ(LoadPlaylist(list, File(), panel), 0);
  EXPECT_EQ(empty, true);
  for (const char16_t* name : {u"playlist/truncated.pls", u"playlist/garbage.pls"}) {
    test::CopyData(QStringView(name).toString(), File());
    empty.reset();
    EXPECT_EQ(LoadPlaylist(list, File(), panel), 0) << QStringView(name).toString().toStdString();
    EXPECT_EQ(empty, true);
  }
  WriteAll(File(), "<?xml version=\"1.0\"?><DefaultList><Other/></DefaultList>");
  EXPECT_EQ(LoadPlaylist(list, File()), 0);                // no section
  EXPECT_FALSE(QFileInfo::exists(File() + u".broken"_s));  // reading keeps nothing aside
}

TEST_F(PlaylistFile, SavingABrokenFileKeepsItAside) {
  test::CopyData(u"playlist/truncated.pls"_s, File());
  const QByteArray broken = ReadAll(File());
  TDDPlaylistModel list;
  Add(list, {u"新"_s, u"人"_s, u"/n.mp3"_s});
  ASSERT_TRUE(SavePlaylist(list, File()));
  EXPECT_EQ(ReadAll(File() + u".broken"_s), broken);
  TDDPlaylistModel back;
  EXPECT_EQ(LoadPlaylist(back, File()), 1);
}

TEST_F(PlaylistFile, SaveWritesExactlyTheListInOrder) {
  test::CopyData(u"playlist/odd-entries.pls"_s, File());
  TDDPlaylistModel list;
  Add(list, {u"一"_s, u"甲"_s, u"/1.mp3"_s, false, 0.25});
  Add(list, {u"二"_s, u"乙"_s, u"http://h/2.mp3"_s, true, 0});
  Add(list, {u"三"_s, u"丙"_s, u"/3.mp3"_s, false, 1.0 / 3});
  std::optional<bool> empty;
  ASSERT_TRUE(SavePlaylist(list, File(), [&](bool e) { empty = e; }));
  EXPECT_EQ(empty, false);
  const QByteArray bytes = ReadAll(File());
  EXPECT_EQ(bytes.count("<LIST "), 3);
  EXPECT_EQ(bytes.count("<PlayerList>"), 1);
  EXPECT_EQ(bytes.indexOf("<Item"), -1);     // the old entries are gone
  EXPECT_NE(bytes.indexOf("<MyList>"), -1);  // the file's own root stays
  EXPECT_NE(bytes.indexOf("<Other/>"), -1);
  EXPECT_NE(bytes.indexOf("<LIST Path=\"/1.mp3\" Title=\"\xD2\xBB\" Artist=\"\xBC\xD7\" Url=\"0\" "
                          "Ltime=\"0.25\"/>"),
            -1)
      << bytes.constData();
  EXPECT_NE(bytes.indexOf("Url=\"1\""), -1);

  TDDPlaylistModel back;
  ASSERT_EQ(LoadPlaylist(back, File()), 3);
  EXPECT_EQ(back.Items()[1].FileName, u"http://h/2.mp3"_s);
  EXPECT_TRUE(back.Items()[1].ISURL);
  EXPECT_EQ(back.Items()[2].LongTime, 1.0 / 3);  // the exact double comes back
}

TEST_F(PlaylistFile, CachedNetworkEntryIsSavedAsLocal) {
  TDDPlaylistModel list;
  Add(list, {u"红豆"_s, u"王菲"_s, u"http://h/hd.mp3"_s, true, 0});
  ASSERT_TRUE(SavePlaylist(list, File()));
  list.Items()[0].ISURL = false;
  list.Items()[0].FileName = u"/home/u/Documents/Vireo/music/王菲 - 红豆.mp3"_s;
  ASSERT_TRUE(SavePlaylist(list, File()));
  TDDPlaylistModel back;
  LoadPlaylist(back, File());
  ASSERT_EQ(back.Count(), 1);
  EXPECT_FALSE(back.Items()[0].ISURL);
  EXPECT_EQ(back.Items()[0].FileName, u"/home/u/Documents/Vireo/music/王菲 - 红豆.mp3"_s);
}

TEST_F(PlaylistFile, UnicodeTitlesSurviveTheGb2312File) {
  const QStringList titles = {u"陶喆 喆 鍚"_s,        u"😀🎵 emoji"_s,         u"𠀀𪚥 extension B"_s,
                              u"Café Noël ß"_s,       u"日本語のうた ヴ"_s,  u"한국어 노래"_s,
                              u"<a & b> \"q\" 'x'"_s, u"tab\tnew\nline\r"_s, u"  spaces  "_s,
                              u"€ ‰ — “引号”"_s};
  TDDPlaylistModel list;
  for (const QString& t : titles) Add(list, {t, t + u"·歌手"_s, u"/音乐/"_s + t});
  ASSERT_TRUE(SavePlaylist(list, File()));
  const QByteArray bytes = ReadAll(File());
  EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"GB2312\"?>"));
  EXPECT_NE(bytes.indexOf("&#128512;"), -1);
  TDDPlaylistModel back;
  ASSERT_EQ(LoadPlaylist(back, File()), titles.size());
  for (int i = 0; i < titles.size(); ++i) {
    EXPECT_EQ(back.Items()[i].Title, titles[i]);
    EXPECT_EQ(back.Items()[i].Artist, titles[i] + u"·歌手"_s);
    EXPECT_EQ(back.Items()[i].FileName, u"/音乐/"_s + titles[i]);
  }
}

TEST_F(PlaylistFile, JapaneseMiddleDotAndHorizontalBarSurvive) {
  TDDPlaylistModel list;
  Add(list, {u"ラブ・ストーリー"_s, u"―歌手―"_s, u"/音乐/ラブ・ストーリー.mp3"_s});
  ASSERT_TRUE(SavePlaylist(list, File()));
  TDDPlaylistModel back;
  ASSERT_EQ(LoadPlaylist(back, File()), 1);
  EXPECT_EQ(back.Items()[0].Title, u"ラブ・ストーリー"_s);
  EXPECT_EQ(back.Items()[0].Artist, u"―歌手―"_s);
  EXPECT_EQ(back.Items()[0].FileName, u"/音乐/ラブ・ストーリー.mp3"_s);
}

TEST_F(PlaylistFile, ControlCharactersFromTagsNeverBreakTheFile) {
  TDDPlaylistModel list;
  Add(list, {u"bad\x01"
             u"tag\x1b"
             u"\uFFFF"_s,
             u"ok"_s, u"/a.mp3"_s});
  Add(list, {u"next"_s, u"ok"_s, u"/b.mp3"_s});
  ASSERT_TRUE(SavePlaylist(list, File()));
  TDDPlaylistModel back;
  ASSERT_EQ(LoadPlaylist(back, File()), 2);
  EXPECT_EQ(back.Items()[0].Title, u"badtag"_s);
}

TEST_F(PlaylistFile, SavingTwiceGivesTheSameBytes) {
  test::CopyData(u"playlist/windows.pls"_s, File());
  TDDPlaylistModel list;
  LoadPlaylist(list, File());
  ASSERT_TRUE(SavePlaylist(list, File()));
  const QByteArray first = ReadAll(File());
  ASSERT_TRUE(SavePlaylist(list, File()));
  EXPECT_EQ(ReadAll(File()), first);
  TDDPlaylistModel again;  // and a load-save cycle changes nothing either
  LoadPlaylist(again, File());
  ASSERT_TRUE(SavePlaylist(again, File()));
  EXPECT_EQ(ReadAll(File()), first);
}

TEST_F(PlaylistFile, LtimeIsWrittenWithADotWhateverTheLocale) {
  const std::string oldC = std::setlocale(LC_NUMERIC, nullptr);
  const QLocale oldQ;
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // when installed
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TDDPlaylistModel list;
  Add(list, {u"a"_s, u"b"_s, u"/a"_s, false, 0.5});
  const bool saved = SavePlaylist(list, File());
  TDDPlaylistModel back;
  LoadPlaylist(back, File());
  std::setlocale(LC_NUMERIC, oldC.c_str());
  QLocale::setDefault(oldQ);
  ASSERT_TRUE(saved);
  EXPECT_NE(ReadAll(File()).indexOf("Ltime=\"0.5\""), -1);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Items()[0].LongTime, 0.5);
}

TEST_F(PlaylistFile, EmptyList) {
  TDDPlaylistModel list;
  std::optional<bool> empty;
  ASSERT_TRUE(SavePlaylist(list, File(), [&](bool e) { empty = e; }));
  EXPECT_EQ(empty, true);
  EXPECT_EQ(ReadAll(File()).count("PlayerList"), 0);  // a new file: just the root
  test::CopyData(u"playlist/windows.pls"_s, File());
  ASSERT_TRUE(SavePlaylist(list, File()));
  EXPECT_NE(ReadAll(File()).indexOf("<PlayerList/>"), -1);
}

TEST_F(PlaylistFile, UnwritableFolderFailsAndKeepsTheOldFile) {
  test::CopyData(u"playlist/windows.pls"_s, File());
  const QByteArray before = ReadAll(File());
  TDDPlaylistModel list;
  Add(list, {u"新"_s, u"人"_s, u"/n.mp3"_s});
  {
    test::UnwritableFolder lock(dir.path());
    if (!lock.Ok()) GTEST_SKIP() << "cannot make a folder unwritable here";
    EXPECT_FALSE(SavePlaylist(list, File()));
  }
  EXPECT_EQ(ReadAll(File()), before);
  EXPECT_FALSE(SavePlaylist(list, dir.filePath(u"gone/Default.pls"_s)));
}

TEST_F(PlaylistFile, OtherEncodingsAreReadAsDeclared) {
  // A file saved by an editor as UTF-8, and one without any declaration in GBK.
  WriteAll(File(),
           u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DefaultList><PlayerList>"
           u"<LIST Title=\"晴天\" Artist=\"周杰伦\"/></PlayerList></DefaultList>"_s.toUtf8());
  TDDPlaylistModel a;
  ASSERT_EQ(LoadPlaylist(a, File()), 1);
  EXPECT_EQ(a.Items()[0].Caption, u"晴天 - 周杰伦"_s);
  WriteAll(File(),
           "<DefaultList><PlayerList><LIST Title=\"\xC7\xE7\xCC\xEC\"/></PlayerList>"
           "</DefaultList>");
  TDDPlaylistModel b;
  ASSERT_EQ(LoadPlaylist(b, File()), 1);
  EXPECT_EQ(b.Items()[0].Title, u"晴天"_s);
}

// Loading a section streams the file; once the document is parsed (for a save), the parsed tree
// is walked instead. Both must see the same entries.
TEST(PlistStore, StreamedAndParsedLoadingAgree) {
  for (const char16_t* name : {u"playlist/windows.pls", u"playlist/odd-entries.pls"}) {
    const QString path = test::DataPath(QStringView(name).toString());
    TDKPlist streamed(path, u"DefaultList"_s);
    streamed.LoadSection(u"PlayerList"_s);
    TDKPlist parsed(path, u"DefaultList"_s);
    ASSERT_EQ(parsed.Opened(), XmlDocument::LoadResult::Loaded);
    parsed.LoadSection(u"PlayerList"_s);
    ASSERT_EQ(streamed.Count(), parsed.Count());
    ASSERT_GT(streamed.Count(), 0);
    for (int i = 0; i < streamed.Count(); ++i) {
      const TPList* a = streamed.Items(i);
      const TPList* b = parsed.Items(i);
      EXPECT_EQ(a->Title, b->Title);
      EXPECT_EQ(a->Artist, b->Artist);
      EXPECT_EQ(a->Path, b->Path);
      EXPECT_EQ(a->Url, b->Url);
      EXPECT_EQ(a->Ltime, b->Ltime);
    }
  }
}

// A playlist can declare entities that name other files. Nothing outside the file is ever read:
// a reference to a pipe would otherwise hang the start-up, one to a private file read it.
TEST(PlistStore, ExternalEntitiesAreNeverFetched) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath(u"fifo"_s);
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QByteArray uri = QFile::encodeName(fifo);
  const QByteArray files[] = {
      "<?xml version=\"1.0\"?>\n<!DOCTYPE DefaultList [<!ENTITY x SYSTEM \"" + uri +
          "\"><!ENTITY t \"TT\">]>\n<DefaultList><PlayerList><LIST Title=\"&t;\" Path=\"p\"/>"
          "<LIST Title=\"b\">&x;</LIST></PlayerList></DefaultList>\n",
      "<?xml version=\"1.0\"?>\n<!DOCTYPE DefaultList [<!ENTITY % pe SYSTEM \"" + uri +
          "\"> %pe; <!ENTITY t \"TT\">]>\n<DefaultList><PlayerList><LIST Title=\"&t;\"/>"
          "<LIST Title=\"b\"/></PlayerList></DefaultList>\n",
      "<?xml version=\"1.0\"?>\n<!DOCTYPE DefaultList SYSTEM \"" + uri +
          "\">\n<DefaultList><PlayerList><LIST Title=\"TT\"/><LIST Title=\"b\"/></PlayerList>"
          "</DefaultList>\n",
  };
  const QString file = dir.filePath(u"Default.pls"_s);
  for (const QByteArray& bytes : files) {
    WriteAll(file, bytes);
    auto load = std::async(std::launch::async, [&] {
      TDDPlaylistModel list;
      LoadPlaylist(list, file);
      QStringList titles;
      for (int i = 0; i < list.Count(); ++i) titles << list.Items()[i].Title;
      return titles;
    });
    bool hung = false;
    while (load.wait_for(std::chrono::seconds(hung ? 1 : 20)) != std::future_status::ready) {
      hung = true;  // let the reader go: a writer that closes at once ends its read
      const int fd = ::open(uri.constData(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
    }
    EXPECT_FALSE(hung) << bytes.constData();
    EXPECT_EQ(load.get(), (QStringList{u"TT"_s, u"b"_s})) << bytes.constData();

    TDKPlist parsed(file, u"DefaultList"_s);  // the document's own reading agrees
    ASSERT_EQ(parsed.Opened(), XmlDocument::LoadResult::Loaded);
    parsed.LoadSection(u"PlayerList"_s);
    ASSERT_EQ(parsed.Count(), 2);
    EXPECT_EQ(parsed.Items(0)->Title, u"TT"_s);
  }
}

// Appended entries are written straight to the output; written through document nodes they
// must come out byte for byte the same.
TEST(PlistStore, DirectAndDocumentWritingAgree) {
  QTemporaryDir dir;
  const QStringList texts = {u"晴天"_s,   u"陶喆 鍚"_s,    u"😀 𠀀"_s,          u"Café"_s,
                             u"<&>\"'"_s, u"a\tb\nc\rd"_s, u"日本語 한국어"_s, u"€—“”"_s,
                             QString(),   u"bad\x01"_s};
  for (const bool existing : {false, true}) {
    QByteArray out[2];
    for (int way = 0; way < 2; ++way) {
      const QString file = dir.filePath(u"w%1.pls"_s.arg(way));
      QFile::remove(file);
      if (existing) test::CopyData(u"playlist/odd-entries.pls"_s, file);
      TDKPlist store(file, u"DefaultList"_s);
      store.ClearSection(u"PlayerList"_s);
      for (int i = 0; i < texts.size(); ++i)
        store.AddEntry(u"PlayerList/LIST"_s, texts[i], i / 7.0, u"/p/"_s + texts[i],
                       i % 2 ? u"1"_s : u"0"_s, texts[texts.size() - 1 - i]);
      if (way == 1) store.MaterializeEntries();
      out[way] = store.Serialize();
    }
    EXPECT_EQ(out[0], out[1]) << out[0].constData() << "\n----\n" << out[1].constData();
    EXPECT_GT(out[0].count("<LIST "), 9);
  }
}

TEST(PlistStore, AddEntryAndRecords) {
  QTemporaryDir dir;
  const QString file = dir.filePath(u"x.pls"_s);
  {
    TDKPlist store(file, u"DefaultList"_s);
    store.AddEntry(u"A/B/E"_s, u"t1"_s, 0.1, u"p1"_s, u"0"_s, u"a1"_s);
    store.AddEntry(u"A/B/E"_s, u"t2"_s, 0.2, u"p2"_s, u"1"_s, u"a2"_s);
    store.AddEntry(u"A/C/E"_s, u"t3"_s, 0.3, u"p3"_s, u"0"_s, u"a3"_s);
  }
  const QByteArray bytes = ReadAll(file);
  EXPECT_EQ(bytes.count("<A>"), 1);
  EXPECT_EQ(bytes.count("<B>"), 1);
  TDKPlist store(file, u"DefaultList"_s);
  store.LoadSection(u"A"_s);
  ASSERT_EQ(store.Count(), 2);  // B and C are the section's children
  EXPECT_EQ(store.Items(2), nullptr);
  EXPECT_EQ(store.Items(-1), nullptr);
  EXPECT_EQ(TDKPlist::ParseLtime(" 1.5 "), 1.5);
  EXPECT_EQ(TDKPlist::ParseLtime("nan"), 0);
  EXPECT_EQ(TDKPlist::ParseLtime("inf"), 0);
  EXPECT_EQ(TDKPlist::FormatLtime(std::nan("")), "0");
}

}  // namespace
}  // namespace vireo
