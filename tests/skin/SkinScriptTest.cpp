// The rules of a skin file: root, sections, which control each element addresses, what stops the
// loading, and the reading of files made on Windows.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "base/Gb18030.h"
#include "skin/TSkinScript.h"

using namespace vireo;
using K = TSkinElementKind;
using O = TSkinScript::Outcome;

namespace {

TSkinScript Script(const char* body, const char* root = "<petrel.skin ver=\"3.0\">",
                   const char* rootEnd = "</petrel.skin>") {
  return TSkinScript::FromBytes(QByteArray("<?xml version=\"1.0\"?>\n") + root + body + rootEnd);
}

// "owner/control" of each step, in order ("main/" for a window step).
std::vector<std::string> Targets(const TSkinScript& s) {
  std::vector<std::string> out;
  for (const TSkinStep& step : s.steps)
    out.push_back(QString(step.owner + u'/' + step.control).toStdString());
  return out;
}

template <class V>
const V& ValuesOf(const TSkinStep& step) {
  return std::get<V>(step.values);
}

}  // namespace

TEST(SkinScript, RootNameWithoutCaseButVersionExactly30) {
  const char* body = "<window bgcolor=\"000000\" id=\"main\" w=\"300\"></window>";
  EXPECT_EQ(Script(body, "<PETREL.SKIN ver=\"3.0\">", "</PETREL.SKIN>").outcome, O::Complete);
  EXPECT_EQ(Script(body, "<Petrel.Skin ver=\"3.0\">", "</Petrel.Skin>").steps.size(), 1u);

  for (const char* root :
       {"<petrel.skin ver=\"3.00\">", "<petrel.skin ver=\"3\">", "<petrel.skin ver=\" 3.0\">",
        "<petrel.skin>", "<petrel.skin VER=\"3.0\">"}) {
    const TSkinScript s = Script(body, root);
    EXPECT_EQ(s.outcome, O::RootRefused) << root;
    EXPECT_TRUE(s.steps.empty()) << root;
    EXPECT_FALSE(s.Succeeded());
  }
  const TSkinScript none = TSkinScript::FromBytes(
      "<skin ver=\"3.0\"><window bgcolor=\"000000\" id=\"main\" w=\"1\"></window></skin>");
  EXPECT_EQ(none.outcome, O::RootMissing);
  EXPECT_TRUE(none.steps.empty());
  EXPECT_FALSE(none.Succeeded());
}

TEST(SkinScript, AttributeNamesKeepTheirCase) {
  const TSkinScript s = Script(
      "<window bgcolor=\"000000\" id=\"main\"><button id=\"close\" X=\"5\" x=\"7\" Y=\"9\" "
      "NX=\"4\"/></window>");
  ASSERT_EQ(s.steps.size(), 2u);
  const auto& b = ValuesOf<TSkinButtonValues>(s.steps[1]);
  EXPECT_EQ(b.Place.X, 7);
  EXPECT_EQ(b.Place.Y, 0);
  EXPECT_EQ(b.NormalX, 0);
}

TEST(SkinScript, FirstWindowOfEachIdCountsAndRepeatsKeepTheCurrentSection) {
  // A second "main" after "lrc": its elements go to the lyric window, the one still current.
  const TSkinScript s = Script(
      "<window bgcolor=\"000000\" id=\"main\" w=\"300\"><button id=\"close\" x=\"1\"/></window>"
      "<window bgcolor=\"000000\" id=\"lrc\" w=\"200\"><button id=\"close\" x=\"2\"/></window>"
      "<window bgcolor=\"000000\" id=\"MAIN\" w=\"999\"><button id=\"close\" x=\"3\"/>"
      "<button id=\"previous\" x=\"4\"/></window>"
      "<window bgcolor=\"000000\" id=\"other\"><button id=\"dlrc\" x=\"5\"/></window>");
  EXPECT_EQ(s.outcome, O::Complete);
  EXPECT_EQ(Targets(s),
            (std::vector<std::string>{"main/", "main/btn_close", "lrc/", "lrc/btn_close",
                                      "lrc/btn_close", "lrc/btn_lrc"}));
  EXPECT_EQ(ValuesOf<TSkinWindowValues>(s.steps[0]).W, 300);
  EXPECT_EQ(ValuesOf<TSkinButtonValues>(s.steps[4]).Place.X, 3);
  EXPECT_EQ(ValuesOf<TSkinButtonValues>(s.steps[5]).Place.X, 5);
}

TEST(SkinScript, WhichTagsCountAsWindowsAndControls) {
  const TSkinScript s = Script(
      "<button id=\"close\" x=\"1\"/>"  // before any section: skipped
      "<window>"                        // no attribute: not a section
      "<button id=\"close\" x=\"2\"/>"  // still no section
      "</window>"
      "<window bgcolor=\"000000\" id=\"share\"/>"  // empty element: not a section
      "<button id=\"close\" x=\"3\"/>"
      "<WINDOW ID=\"main\"></WINDOW>"  // attribute "ID" is not "id"
      "<Window bgcolor=\"000000\" id=\"Share\" w=\"640\">"
      "<button id=\"CLOSE\" x=\"4\"></button>"  // written with an end tag: ignored
      "<button/>"                               // no attribute
      "<Button ID=\"close\" x=\"5\"/>"          // attribute "ID" again: id empty
      "<BUTTON id=\"Close\" x=\"6\"/>"          // name and id without case
      "<button id=\"revious\" x=\"7\"/>"        // the previous-page button
      "<button id=\"previous\" x=\"8\"/>"       // not a button of this window
      "<knob id=\"close\" x=\"9\"/>"            // unknown element
      "</Window>");
  EXPECT_EQ(s.outcome, O::Complete);
  EXPECT_EQ(Targets(s),
            (std::vector<std::string>{"share/", "share/btn_close", "share/btn_Previous"}));
  EXPECT_EQ(ValuesOf<TSkinButtonValues>(s.steps[1]).Place.X, 6);
  EXPECT_EQ(s.steps[1].section, TSkinWindowId::Share);
}

TEST(SkinScript, KindsAddressTheirControlsByWindow) {
  const TSkinScript s = Script(
      "<window bgcolor=\"000000\" id=\"lrc\">"
      "<label id=\"timer\" fcolor=\"000000\"/>"  // labels only in the main window
      "<ckbutton id=\"play\"/>"                  // so are checked buttons
      "<slider id=\"pgbvolume\" kind=\"h\"/>"    // fixed: the main window's volume
      "<scrolltext id=\"title\" fcolor=\"000000\" bcolor=\"ffffff\"/>"
      "<visual id=\"ost\" fbg=\"0,0,10,10\"/>"
      "<visual id=\"minlrc\" color=\"000000\" fcolor=\"000000\" fccolor=\"000000\"/>"
      "<visual id=\"desktoplrc\" colorbegin=\"000000\" colorend=\"000000\" bgcolor=\"000000\"/>"
      "<list id=\"playlist\" bcolor=\"000000\" selectioncolor=\"000000\" textcolor=\"000000\""
      " textcurrcolor=\"000000\" textscolor=\"000000\"/>"
      "<panel id=\"tabvsv\" bcolor=\"000000\"/>"
      "<text id=\"sinput\" bgcolor=\"000000\" fontcolor=\"000000\"/>"
      "<visual id=\"nothing\"/><slider id=\"x\"/><list id=\"x\"/><panel id=\"x\"/>"
      "</window>"
      "<window bgcolor=\"000000\" id=\"main\">"
      "<label id=\"TIMER\" fcolor=\"000000\"/><label id=\"pmode\" fcolor=\"000000\"/>"
      "<label id=\"stack\" fcolor=\"000000\"/><label id=\"other\" fcolor=\"zz\"/>"
      "<ckbutton id=\"play\"/><ckbutton id=\"sound\"/><ckbutton id=\"share\"/>"
      "<ckbutton id=\"lrc\"/><button id=\"pmode\"/><button id=\"delfile\"/>"
      "</window>");
  EXPECT_EQ(s.outcome, O::Complete) << s.error.toStdString();
  EXPECT_EQ(Targets(s), (std::vector<std::string>{
                            "lrc/", "main/sldr_volume", "main/lbl_title", "main/dvs_1",
                            "lrc/lrcshw_min", "desktoplrc/", "main/plst_list", "share/pnl_psvs",
                            "share/edt_search", "main/", "main/lbl_time", "main/lbl_mode",
                            "main/lbl_stack", "main/btn_play", "main/btn_sound", "main/btn_share",
                            "main/btn_lrc", "main/btn_mode", "main/btn_del"}));
  EXPECT_EQ(s.steps[1].kind, K::Slider);
  EXPECT_EQ(s.steps[1].section, TSkinWindowId::Lrc);
  EXPECT_EQ(s.steps[3].kind, K::Spectrum);
  EXPECT_EQ(s.steps[4].kind, K::LyricView);
  EXPECT_EQ(s.steps[5].kind, K::DesktopLyric);
  EXPECT_EQ(s.steps[13].kind, K::CheckedButton);
  EXPECT_TRUE(ValuesOf<TSkinButtonValues>(s.steps[13]).Checkable);
}

TEST(SkinScript, EveryAttributeOfAButtonAndItsDefaults) {
  const TSkinScript s = Script(
      "<window bgcolor=\"000000\" id=\"main\"><ckbutton id=\"play\" x=\"1\" y=\"2\" w=\"3\" "
      "h=\"4\" nx=\"5\""
      " ny=\"6\" px=\"7\" py=\"8\" hx=\"9\" hy=\"10\" cx=\"11\" cy=\"12\" cpx=\"13\" cpy=\"14\""
      " chx=\"15\" chy=\"16\" fade=\"300\" hit=\"Play &amp; pause\" filename=\"a\\b.png\""
      " align=\"rb\"/><button id=\"close\" hit=\"\"/></window>");
  ASSERT_EQ(s.steps.size(), 3u);
  const auto& b = ValuesOf<TSkinButtonValues>(s.steps[1]);
  EXPECT_EQ((std::array{b.Place.X, b.Place.Y, b.Place.W, b.Place.H, b.NormalX, b.NormalY,
                        b.PressedX, b.PressedY, b.HighlightedX, b.HighlightedY, b.CheckedX,
                        b.CheckedY, b.CheckedPX, b.CheckedPY, b.CheckedHX, b.CheckedHY}),
            (std::array<std::int16_t, 16>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
  EXPECT_EQ(b.Fade, 44);
  EXPECT_EQ(b.Hint, QStringLiteral("Play & pause"));
  EXPECT_EQ(b.Image, QStringLiteral("a\\b.png"));
  EXPECT_EQ(b.Place.Anchors, TAnchors::Of(false, false, true, true));
  // Nothing given: everything 0 and empty, left and top.
  const auto& c = ValuesOf<TSkinButtonValues>(s.steps[2]);
  EXPECT_EQ(c.Place.W, 0);
  EXPECT_EQ(c.NormalX, 0);
  EXPECT_TRUE(c.Image.isEmpty());
  EXPECT_FALSE(c.Checkable);
  EXPECT_EQ(c.Place.Anchors, TAnchors{});
}

TEST(SkinScript, SlidersStretchAlongTheirKindAndTakeExtendedAnchors) {
  const TSkinScript s = Script(
      "<window bgcolor=\"000000\" id=\"main\"><slider id=\"pgbmusic\" kind=\"H\" align=\"LRTB\" "
      "style=\"2\""
      " tilea=\"1,2,3,4\" tileb=\"5,6,7\" bordersize=\"3\" buttonw=\"9\" buttonh=\"8\"/>"
      "<slider id=\"pgbvolume\" align=\"LRTB\"/><button id=\"close\" align=\"LRTB\"/>"
      "<slider id=\"pgbvolume\" kind=\"vertical\" style=\"7\"/></window>");
  ASSERT_EQ(s.steps.size(), 5u);
  const auto& music = ValuesOf<TSkinSliderValues>(s.steps[1]);
  EXPECT_TRUE(music.Horizontal);
  EXPECT_EQ(music.Place.Anchors, TAnchors::Of(true, true, true, true));
  EXPECT_EQ(music.Style, 2);
  EXPECT_EQ(music.TileA, (TSkinRect{1, 2, 3, 4}));
  EXPECT_EQ(music.TileB, TSkinRect{});
  EXPECT_EQ(music.Border, 3);
  EXPECT_EQ(music.SliderW, 9);
  EXPECT_EQ(music.SliderH, 8);
  EXPECT_FALSE(ValuesOf<TSkinSliderValues>(s.steps[2]).Horizontal);  // no kind: vertical
  EXPECT_EQ(ValuesOf<TSkinButtonValues>(s.steps[3]).Place.Anchors, TAnchors{});
  EXPECT_FALSE(ValuesOf<TSkinSliderValues>(s.steps[4]).Horizontal);
  EXPECT_EQ(ValuesOf<TSkinSliderValues>(s.steps[4]).Style, 7);  // the applier leaves it
}

TEST(SkinScript, WindowAttributes) {
  const TSkinScript s = Script(
      "<window id=\"main\" w=\"330\" h=\"450\" minw=\"300\" minh=\"200\" maxw=\"0\" maxh=\"900\""
      " tl=\"0,0,10,20\" tm=\"1,1,1,1\" tr=\"2,2,2,2\" bl=\"3,3,3,3\" bm=\"4,4,4,4\""
      " br=\"5,5,5,5\" lm=\"6,6,6,6\" rm=\"7,7,7,7\" tc=\"8,8,8,8\" bgcolor=\"#102030\""
      " filename=\"frame.bmp\"></window>");
  ASSERT_EQ(s.steps.size(), 1u);
  const auto& w = ValuesOf<TSkinWindowValues>(s.steps[0]);
  EXPECT_EQ((std::array{w.W, w.H, w.MinW, w.MinH, w.MaxW, w.MaxH}),
            (std::array<std::int16_t, 6>{330, 450, 300, 200, 0, 900}));
  EXPECT_EQ(w.Pieces[0], (TSkinRect{0, 0, 10, 20}));
  for (int i = 1; i < 9; ++i)
    EXPECT_EQ(w.Pieces[i],
              (TSkinRect{std::int16_t(i), std::int16_t(i), std::int16_t(i), std::int16_t(i)}));
  EXPECT_EQ(w.BackColor, (TSkinColor{0x10, 0x20, 0x30}));
  EXPECT_EQ(w.Image, QStringLiteral("frame.bmp"));
}

TEST(SkinScript, ABadColourStopsBeforeItsElement) {
  // The second window's colour is five digits: the first window and its controls stay, nothing
  // of the second or third comes.
  const TSkinScript s = Script(
      "<window id=\"main\" bgcolor=\"000000\"><button id=\"close\"/></window>"
      "<window id=\"share\" bgcolor=\"#12345\"><button id=\"close\"/></window>"
      "<window id=\"lrc\" bgcolor=\"000000\"></window>");
  EXPECT_EQ(s.outcome, O::BadColor);
  EXPECT_FALSE(s.Succeeded());
  EXPECT_EQ(Targets(s), (std::vector<std::string>{"main/", "main/btn_close"}));
  EXPECT_TRUE(s.error.contains(QStringLiteral("#12345"))) << s.error.toStdString();

  // A missing colour is as bad; "bcolor" of a transparent title is required all the same.
  const TSkinScript t = Script(
      "<window id=\"main\" bgcolor=\"000000\"><label id=\"timer\" fcolor=\"1e90ff\"/>"
      "<scrolltext id=\"title\" fcolor=\"ffffff\" tn=\"1\"/><button id=\"close\"/></window>");
  EXPECT_EQ(t.outcome, O::BadColor);
  EXPECT_EQ(Targets(t), (std::vector<std::string>{"main/", "main/lbl_time"}));

  // A window without "bgcolor" stops as well, before it is touched.
  const TSkinScript w = Script("<window id=\"main\" w=\"300\"></window>");
  EXPECT_EQ(w.outcome, O::BadColor);
  EXPECT_TRUE(w.steps.empty());

  // An element that addresses no control is never read, bad colours and all.
  const TSkinScript u = Script(
      "<window id=\"main\" bgcolor=\"000000\"><label id=\"clock\" fcolor=\"bad\"/>"
      "<text id=\"sinput\" bgcolor=\"000000\" fontcolor=\"000000\"/></window>");
  EXPECT_EQ(u.outcome, O::Complete);
  EXPECT_EQ(Targets(u), (std::vector<std::string>{"main/", "share/edt_search"}));
}

TEST(SkinScript, ColoursInEitherFormAreTheSame) {
  const TSkinScript s = Script(
      "<window id=\"main\" bgcolor=\"1e90FF\"></window><window id=\"share\" bgcolor=\"#1E90ff\">"
      "</window><window id=\"lrc\" bgcolor=\"#1e90ff\"></window>");
  ASSERT_EQ(s.steps.size(), 3u);
  for (const TSkinStep& step : s.steps)
    EXPECT_EQ(ValuesOf<TSkinWindowValues>(step).BackColor, (TSkinColor{0x1E, 0x90, 0xFF}));
}

TEST(SkinScript, FilesThatCannotBeOpenedOrBreakOff) {
  const TSkinScript missing = TSkinScript::FromFile(QStringLiteral("/nonexistent/skin.xml"));
  EXPECT_EQ(missing.outcome, O::NotOpened);
  EXPECT_TRUE(missing.Succeeded());
  EXPECT_TRUE(missing.steps.empty());

  EXPECT_EQ(TSkinScript::FromBytes("").outcome, O::RootMissing);
}

TEST(SkinScript, FilesThatAreNotWellFormedAreReadOn) {
  // A bare "&" in a hint, as hand-written skins have them: the rest of the file still counts.
  const TSkinScript amp = TSkinScript::FromBytes(
      "<petrel.skin ver=\"3.0\"><window bgcolor=\"000000\" id=\"main\">"
      "<button id=\"close\" hit=\"Play & pause\" x=\"1\"/><button id=\"min\" x=\"2\"/>"
      "</window></petrel.skin>");
  EXPECT_EQ(amp.outcome, O::Complete);
  EXPECT_FALSE(amp.error.isEmpty());
  EXPECT_EQ(Targets(amp), (std::vector<std::string>{"main/", "main/btn_close", "main/btn_min"}));
  EXPECT_TRUE(ValuesOf<TSkinButtonValues>(amp.steps[1]).Hint.startsWith(u"Play"));
  EXPECT_EQ(ValuesOf<TSkinButtonValues>(amp.steps[1]).Place.X, 1);

  // A file cut short: what stands before the cut.
  const TSkinScript cut = TSkinScript::FromBytes(
      "<petrel.skin ver=\"3.0\"><window bgcolor=\"000000\" id=\"main\">"
      "<button id=\"close\" x=\"1\"/><button id=\"min\" x=\"2\"/><button id=\"ne");
  EXPECT_EQ(Targets(cut), (std::vector<std::string>{"main/", "main/btn_close", "main/btn_min"}));
}

TEST(SkinScript, Gb2312FileWithChineseHintsFromWindows) {
  // GBK bytes under a GB2312 declaration, as Windows editors saved them; 镕 is GBK only.
  const QString hint = QStringLiteral("播放列表 镕");
  const QByteArray bytes = ToGb18030(
      QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n"
                     "<petrel.skin ver=\"3.0\">\r\n<window bgcolor=\"000000\" id=\"main\">\r\n"
                     "<button id=\"listm\" hit=\"%1\" filename=\"皮肤\\按钮.bmp\"/>\r\n"
                     "</window>\r\n</petrel.skin>\r\n")
          .arg(hint));
  ASSERT_FALSE(IsValidUtf8(bytes));
  QTemporaryDir dir;
  QFile file(dir.filePath(QStringLiteral("skin.xml")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  file.close();
  const TSkinScript s = TSkinScript::FromFile(file.fileName());
  EXPECT_EQ(s.outcome, O::Complete) << s.error.toStdString();
  ASSERT_EQ(s.steps.size(), 2u);
  EXPECT_EQ(ValuesOf<TSkinButtonValues>(s.steps[1]).Hint, hint);
  EXPECT_EQ(ValuesOf<TSkinButtonValues>(s.steps[1]).Image, QStringLiteral("皮肤\\按钮.bmp"));
}
