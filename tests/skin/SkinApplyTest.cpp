// Applying skins to windows: every element reaches its control in the order the skins rely on,
// a skin made on Windows loads, and loading that stops leaves each control with what it had.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>

#include "SkinTestWindows.h"
#include "base/Gb18030.h"
#include "skin/TAnchorLayout.h"

using namespace vireo;
using namespace vireo::test;

namespace {

QColor PaletteColor(QWidget* w, QPalette::ColorRole role) {
  return w->palette().color(role);
}

QString Xml(const QString& body) {
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<petrel.skin ver=\"3.0\">") +
         body + QStringLiteral("</petrel.skin>\r\n");
}

class SkinApply : public ::testing::Test {
 protected:
  void SetUp() override {
    windows.Register(skin);
    // The images of the skin, as a Windows skin folder has them: BMP and PNG, names whose case
    // differs from what skin.xml says.
    WriteImage(Path("Images/Frame.bmp"), 24, 24, 0xFF400000u, true);
    WriteImage(Path("Images/Buttons.PNG"), 80, 20, 0xFF800000u, true);
    WriteImage(Path("Images/Slider.bmp"), 50, 20, 0xFF008000u);
    WriteImage(Path("Images/Scroll.bmp"), 12, 60, 0xFF000080u);
    WriteImage(Path("Images/Vis.bmp"), 100, 82, 0xFF202020u);
  }
  QString Path(const char* name) const { return dir.filePath(QLatin1StringView(name)); }
  // Writes skin.xml in GB18030 bytes under its GB2312 declaration and loads it.
  bool Load(const QString& body, const char* name = "skin.xml") {
    WriteFile(Path(name), ToGb18030(Xml(body)));
    return skin.LoadSkin(Path(name));
  }

  QTemporaryDir dir;
  TestWindows windows;
  TDDSkin skin{dir.path(), dir.filePath(QStringLiteral("user"))};
};

const char* const kMainWindow =
    "<window id=\"Main\" w=\"330\" h=\"420\" minw=\"300\" minh=\"200\" maxw=\"0\" maxh=\"0\""
    " tl=\"0,0,8,8\" tm=\"8,0,8,8\" tr=\"16,0,8,8\" bl=\"0,8,8,8\" bm=\"8,8,8,8\" br=\"16,8,8,8\""
    " lm=\"0,16,8,8\" rm=\"8,16,8,8\" tc=\"16,16,8,4\" bgcolor=\"#102030\""
    " filename=\"images\\frame.BMP\">\r\n";

}  // namespace

TEST_F(SkinApply, AWindowsSkinReachesEveryControl) {
  const QString body =
      QLatin1StringView(kMainWindow) +
      QStringLiteral(
          "<button id=\"close\" x=\"300\" y=\"4\" w=\"20\" h=\"18\" nx=\"0\" ny=\"0\" px=\"20\""
          " py=\"1\" hx=\"40\" hy=\"2\" fade=\"30\" align=\"RT\" hit=\"关闭 镕\""
          " filename=\"IMAGES\\buttons.png\"/>\r\n"
          "<button id=\"delfile\" x=\"10\" y=\"380\" w=\"20\" h=\"18\" align=\"LRTB\""
          " filename=\"images\\buttons.png\"/>\r\n"
          "<ckbutton id=\"play\" x=\"40\" y=\"380\" w=\"20\" h=\"18\" cx=\"60\" cy=\"1\" cpx=\"60\""
          " cpy=\"2\" chx=\"60\" chy=\"3\" filename=\"images\\buttons.png\"/>\r\n"
          "<label id=\"timer\" x=\"10\" y=\"30\" w=\"80\" h=\"16\" font=\"Tahoma\""
          " fcolor=\"1E90FF\" fsize=\"9\" align=\"LB\"/>\r\n"
          "<scrolltext id=\"title\" x=\"10\" y=\"50\" w=\"200\" h=\"18\" font=\"宋体\""
          " fsize=\"11\" fcolor=\"FFFFFF\" bcolor=\"000000\" tn=\"0\" align=\"LRT\"/>\r\n"
          "<slider id=\"pgbmusic\" kind=\"h\" x=\"10\" y=\"80\" w=\"300\" h=\"10\""
          " normalx=\"0\" normaly=\"10\" pressedx=\"10\" pressedy=\"10\" highlightedx=\"20\""
          " highlightedy=\"10\" buttonw=\"10\" buttonh=\"10\" tilea=\"0,0,25,10\""
          " tileb=\"25,0,25,10\" bordersize=\"2\" style=\"1\" align=\"LB\""
          " filename=\"images\\slider.BMP\"/>\r\n"
          "<slider id=\"pgbvolume\" x=\"280\" y=\"100\" w=\"10\" h=\"60\" style=\"9\""
          " filename=\"Images/Slider.bmp\"/>\r\n"
          "<list id=\"playlist\" x=\"10\" y=\"170\" w=\"300\" h=\"200\" align=\"LRTB\""
          " bcolor=\"000000\" selectioncolor=\"316AC5\" textcolor=\"C0C0C0\""
          " textcurrcolor=\"00FF00\" textscolor=\"FFFFFF\" font=\"Tahoma\" fsize=\"9\" sw=\"12\""
          " sh=\"30\" nx=\"0\" ny=\"0\" px=\"0\" py=\"30\" hx=\"0\" hy=\"30\" ti=\"0,0,12,25\""
          " filename=\"images\\scroll.bmp\"/>\r\n"
          "<visual id=\"ost\" x=\"10\" y=\"100\" w=\"100\" h=\"40\" fbg=\"0,0,100,40\""
          " fline=\"0,40,4,40\" fpeak=\"4,40,4,2\" ttfs=\"64\" loff=\"2\" poff=\"1\" sp=\"1\""
          " align=\"C\" filename=\"images\\vis.bmp\"/>\r\n"
          "</window>\r\n"
          "<window id=\"share\" w=\"640\" h=\"480\" bgcolor=\"FFFFFF\""
          " filename=\"images\\frame.bmp\">\r\n"
          "<button id=\"CLOSE\" x=\"610\" y=\"4\" w=\"20\" h=\"18\" "
          "filename=\"images\\buttons.png\"/>"
          "<panel id=\"tabvsv\" x=\"5\" y=\"30\" w=\"630\" h=\"400\" bcolor=\"EEEEEE\""
          " align=\"LRTB\"/>"
          "<text id=\"sinput\" x=\"5\" y=\"440\" w=\"200\" h=\"20\" bgcolor=\"FFFFF0\""
          " fontcolor=\"000080\" font=\"Tahoma\" fontsize=\"10\" align=\"LB\"/>"
          "</window>\r\n"
          "<window id=\"lrc\" w=\"300\" h=\"360\" bgcolor=\"000000\" "
          "filename=\"images\\frame.bmp\">"
          "<visual id=\"minlrc\" x=\"5\" y=\"25\" w=\"290\" h=\"300\" color=\"000000\""
          " fcolor=\"808080\" fccolor=\"FFFF00\" font=\"宋体\" fsize=\"10\" hz=\"4\""
          " align=\"LRTB\"/>"
          "<label id=\"timer\" x=\"1\" y=\"1\" w=\"1\" h=\"1\" fcolor=\"FF0000\"/>"
          "<visual id=\"desktoplrc\" colorbegin=\"FF0000\" colorend=\"00FF00\" bgcolor=\"0000FF\""
          " alpha=\"200\" font=\"黑体\" fsize=\"36\" h=\"80\"/>"
          "</window>\r\n");
  ASSERT_TRUE(Load(body)) << skin.LastError().toStdString();

  // The main window: limits (maxw/maxh 0: the screen width, the work area's height), size,
  // frame pieces, colour, image (BMP, found by another case) and outline.
  QScreen* screen = windows.main->screen();
  EXPECT_EQ(windows.main->minimumSize(), QSize(300, 200));
  EXPECT_EQ(windows.main->maximumSize(),
            QSize(screen->geometry().width(), screen->availableGeometry().height()));
  EXPECT_EQ(windows.main->size(), QSize(330, 420));
  TDDWindow* frame = windows.mainFrame;
  EXPECT_FALSE(frame->isEnabled());
  EXPECT_EQ(frame->TopLeft(), (TSpriteRect{0, 0, 8, 8}));
  EXPECT_EQ(frame->BottomRight(), (TSpriteRect{16, 8, 8, 8}));
  EXPECT_EQ(frame->RightMiddle(), (TSpriteRect{8, 16, 8, 8}));
  EXPECT_EQ(frame->TopCenter(), (TSpriteRect{16, 16, 8, 4}));
  EXPECT_EQ(frame->Color(), 0x302010);
  EXPECT_EQ(frame->Image().Width(), 24);
  EXPECT_EQ(frame->Image().Pixel(3, 5) & 0xFFFFFFu, 0x400305u);

  // Buttons: bounds, sprites, fade, anchors, the Chinese hint as tool tip, the PNG image.
  TDDButton* close = windows.Button("main", "btn_close");
  EXPECT_EQ(close->geometry(), QRect(300, 4, 20, 18));
  EXPECT_EQ((std::array{close->NormalX, close->PressedX, close->PressedY, close->HighlightedX,
                        close->HighlightedY}),
            (std::array<std::int16_t, 5>{0, 20, 1, 40, 2}));
  EXPECT_EQ(close->Fade(), 30);
  EXPECT_EQ(close->toolTip(), QStringLiteral("关闭 镕"));
  EXPECT_EQ(TAnchorLayout::AnchorsOf(close), TAnchors::Of(false, true, true, false));
  EXPECT_EQ(close->Image().Width(), 80);
  EXPECT_EQ(close->Image().Pixel(7, 9) & 0xFFFFFFu, 0x800709u);
  // Every control holds its own copy of an image named twice.
  TDDButton* del = windows.Button("main", "btn_del");
  EXPECT_TRUE(del->Image().Equal(close->Image()));
  EXPECT_NE(del->Image().Bits(), close->Image().Bits());
  EXPECT_EQ(TAnchorLayout::AnchorsOf(del), TAnchors{});  // "LRTB" is no button's code
  EXPECT_TRUE(del->toolTip().isEmpty());
  auto* play = windows.Get<TDDCheckedButton>("main", "btn_play");
  EXPECT_EQ((std::array{play->CheckedX, play->CheckedY, play->CheckedPX, play->CheckedPY,
                        play->CheckedHX, play->CheckedHY}),
            (std::array<std::int16_t, 6>{60, 1, 60, 2, 60, 3}));

  // The label: bounds, anchors, font, colour; the one in the lyric window changed nothing.
  auto* time = windows.Get<QLabel>("main", "lbl_time");
  EXPECT_EQ(time->geometry(), QRect(10, 30, 80, 16));
  EXPECT_EQ(time->font().family(), QStringLiteral("Tahoma"));
  EXPECT_EQ(time->font().pointSize(), 9);
  EXPECT_EQ(PaletteColor(time, QPalette::WindowText), QColor(0x1E, 0x90, 0xFF));
  EXPECT_EQ(TAnchorLayout::AnchorsOf(time), TAnchors::Of(true, false, false, true));

  auto* title = windows.Get<TScrollText>("main", "lbl_title");
  EXPECT_EQ(title->geometry(), QRect(10, 50, 200, 18));
  EXPECT_FALSE(title->Transparent());
  EXPECT_EQ(PaletteColor(title, QPalette::Window), QColor(0, 0, 0));
  EXPECT_EQ(PaletteColor(title, QPalette::WindowText), QColor(255, 255, 255));
  EXPECT_EQ(title->font().family(), QStringLiteral("宋体"));
  EXPECT_EQ(title->font().pointSize(), 11);
  EXPECT_EQ(TAnchorLayout::AnchorsOf(title), TAnchors{});  // "LRT" is no marquee's code

  // Sliders: every property, the stretch their kind adds, a style out of range left alone.
  auto* music = windows.Get<TDDSliderBlendEx>("main", "sldr_music");
  EXPECT_EQ(music->geometry(), QRect(10, 80, 300, 10));
  EXPECT_TRUE(music->Horizontal());
  EXPECT_EQ(music->Style(), TDDSliderStyle::ssComplex);
  EXPECT_EQ(music->TileB, (TSpriteRect{25, 0, 25, 10}));
  EXPECT_EQ(music->Border, 2);
  EXPECT_EQ((std::array{music->NormalY, music->PressedX, music->HighlightedX, music->SliderW,
                        music->SliderH}),
            (std::array<std::int16_t, 5>{10, 10, 20, 10, 10}));
  EXPECT_EQ(TAnchorLayout::AnchorsOf(music), TAnchors::Of(true, false, true, true));
  EXPECT_EQ(music->Image().Width(), 50);
  auto* volume = windows.Get<TDDSliderBlendEx>("main", "sldr_volume");
  EXPECT_FALSE(volume->Horizontal());
  EXPECT_EQ(volume->Style(), TDDSliderStyle::ssComplex);  // 9: unchanged from the design
  EXPECT_EQ(TAnchorLayout::AnchorsOf(volume), TAnchors::Of(true, true, false, true));

  // The playlist, in order, with its panel and links laid out in the middle of it.
  EXPECT_EQ(windows.playlist->widget->geometry(), QRect(10, 170, 300, 200));
  EXPECT_EQ(windows.playlist->widget->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(windows.playlist->calls,
            (std::vector<std::string>{"ScrollBarWidth 12", "BackColor ff000000",
                                      "SelectionColor ff316ac5", "TextColor ffc0c0c0",
                                      "TextCurrentColor ff00ff00", "TextSelectedColor ffffffff",
                                      "Font Tahoma 9", "Sprites 0 0 0 30 0 30", "Track 0,0,12,25",
                                      "Border 0", "SliderW 12", "SliderH 30", "Image 12x60"}));
  EXPECT_EQ(TAnchorLayout::AnchorsOf(windows.playlist->widget),
            TAnchors::Of(true, true, true, true));
  auto* panel = windows.Get<QWidget>("main", "pnl_1");
  EXPECT_EQ(panel->geometry(), QRect(10, 170, 300, 200));
  EXPECT_EQ(PaletteColor(panel, QPalette::Window), QColor(0, 0, 0));
  auto* open = windows.Get<TDDLinkLabel>("main", "lbl_open");
  auto* rnd = windows.Get<TDDLinkLabel>("main", "lbl_rnd");
  // (300 - 60) div 2; (200 - (14 + 16 + 3)) div 2; (200 + 14 - 16 + 5) div 2.
  EXPECT_EQ(open->pos(), QPoint(120, 83));
  EXPECT_EQ(rnd->pos(), QPoint(120, 101));
  EXPECT_EQ(open->NormalColor(), 0xC0C0C0);

  // The spectrum: image first, then bounds, anchors, constants, and the pieces cut from it.
  EXPECT_EQ(
      windows.spectrum->calls,
      (std::vector<std::string>{"Control 0x0", "LineFallOff 2 at 10,100", "PeakFallOff 1",
                                "TTFWidth 64", "DrawPeak 1", "Background 0,0,100,40 of 100x82",
                                "Bar 0,40,4,40", "Peak 4,40,4,2"}));
  EXPECT_EQ(TAnchorLayout::AnchorsOf(windows.spectrum->control),
            TAnchors::Of(false, false, false, false));

  // The share window: its own close button, not the main window's; panel; search box.
  EXPECT_EQ(windows.share->size(), QSize(640, 480));
  EXPECT_EQ(windows.Button("share", "btn_close")->geometry(), QRect(610, 4, 20, 18));
  EXPECT_EQ(close->geometry(), QRect(300, 4, 20, 18));
  auto* content = windows.Get<QWidget>("share", "pnl_psvs");
  EXPECT_EQ(content->geometry(), QRect(5, 30, 630, 400));
  EXPECT_EQ(PaletteColor(content, QPalette::Window), QColor(0xEE, 0xEE, 0xEE));
  EXPECT_EQ(TAnchorLayout::AnchorsOf(content), TAnchors::Of(true, true, true, true));
  auto* search = windows.Get<QLineEdit>("share", "edt_search");
  EXPECT_EQ(search->geometry(), QRect(5, 440, 200, 20));
  EXPECT_EQ(PaletteColor(search, QPalette::Base), QColor(0xFF, 0xFF, 0xF0));
  EXPECT_EQ(PaletteColor(search, QPalette::Text), QColor(0, 0, 0x80));
  EXPECT_EQ(search->font().pointSize(), 10);
  EXPECT_EQ(TAnchorLayout::AnchorsOf(search), TAnchors::Of(true, false, false, true));

  // The lyric window's view and the desktop lyrics, in order.
  EXPECT_EQ(windows.lyricView->calls,
            (std::vector<std::string>{"LrcSpace 4 at 5,25 290x300", "BGColor 00000000",
                                      "LrcColor 00808080", "LrcCurrColor 0000ffff",
                                      "LrcFontName 宋体", "LrcFontSize 10"}));
  EXPECT_EQ(windows.desktopLyric->calls,
            (std::vector<std::string>{"Height 80", "Alpha 200", "ColorBegin 000000ff",
                                      "ColorEnd 0000ff00", "OutlineColor 00ff0000", "FontName 黑体",
                                      "FontSize 36"}));
}

TEST_F(SkinApply, ABadColourInTheSecondWindowLeavesTheFirstSkinnedAndTheRestUntouched) {
  const QSize shareBefore = windows.share->size();
  const QSize lrcBefore = windows.lrc->size();
  const QString body = QLatin1StringView(kMainWindow) +
                       QStringLiteral(
                           "<button id=\"close\" x=\"300\" y=\"4\" w=\"20\" h=\"18\""
                           " filename=\"images\\buttons.png\"/></window>"
                           "<window id=\"share\" w=\"640\" h=\"480\" bgcolor=\"#12345\""
                           " filename=\"images\\frame.bmp\">"
                           "<button id=\"close\" x=\"610\" y=\"4\" w=\"20\" h=\"18\""
                           " filename=\"images\\buttons.png\"/></window>"
                           "<window id=\"lrc\" w=\"300\" h=\"360\" bgcolor=\"000000\""
                           " filename=\"images\\frame.bmp\"></window>");
  EXPECT_FALSE(Load(body));
  EXPECT_EQ(skin.LastOutcome(), TSkinScript::Outcome::BadColor);
  EXPECT_EQ(windows.main->size(), QSize(330, 420));
  EXPECT_EQ(windows.mainFrame->TopLeft(), (TSpriteRect{0, 0, 8, 8}));
  EXPECT_EQ(windows.Button("main", "btn_close")->geometry(), QRect(300, 4, 20, 18));
  EXPECT_EQ(windows.Button("main", "btn_close")->Image().Width(), 80);
  // The share window was not even started on: its frame still takes the mouse.
  EXPECT_EQ(windows.share->size(), shareBefore);
  EXPECT_TRUE(windows.shareFrame->isEnabled());
  EXPECT_TRUE(windows.shareFrame->Image().Empty());
  EXPECT_TRUE(windows.Button("share", "btn_close")->Image().Empty());
  EXPECT_EQ(windows.lrc->size(), lrcBefore);
}

TEST_F(SkinApply, AnUnreadableImageStopsWhereTheImageComes) {
  TDDButton* close = windows.Button("main", "btn_close");
  TDDButton* min = windows.Button("main", "btn_min");
  const QRect minBefore = min->geometry();
  const QString body = QLatin1StringView(kMainWindow) +
                       QStringLiteral(
                           "<button id=\"close\" x=\"300\" y=\"4\" w=\"20\" h=\"18\" nx=\"5\""
                           " fade=\"20\" hit=\"x\" align=\"RB\" filename=\"images\\missing.png\"/>"
                           "<button id=\"min\" x=\"280\" y=\"4\" w=\"20\" h=\"18\""
                           " filename=\"images\\buttons.png\"/></window>");
  EXPECT_FALSE(Load(body));
  EXPECT_TRUE(skin.LastError().contains(QStringLiteral("missing.png")));
  // Everything before the image in the button's order stays; the image and what follows not.
  EXPECT_EQ(close->geometry(), QRect(300, 4, 20, 18));
  EXPECT_EQ(close->NormalX, 5);
  EXPECT_EQ(close->Fade(), 20);
  EXPECT_EQ(TAnchorLayout::AnchorsOf(close), TAnchors::Of(false, false, true, true));
  EXPECT_EQ(close->toolTip(), QStringLiteral("x"));
  EXPECT_TRUE(close->Image().Empty());
  EXPECT_EQ(min->geometry(), minBefore);
  EXPECT_TRUE(min->Image().Empty());

  // A frame image that cannot be read: the frame is disabled already, nothing else happens.
  const QSize mainBefore = windows.main->size();
  EXPECT_FALSE(
      Load(QStringLiteral("<window id=\"main\" w=\"500\" h=\"500\" bgcolor=\"000000\""
                          " filename=\"none.bmp\"></window>")));
  EXPECT_EQ(windows.main->size(), mainBefore);

  // An image of the wrong format is unreadable too.
  WriteFile(Path("Images/fake.png"), "not a png");
  EXPECT_FALSE(
      Load(QStringLiteral("<window id=\"main\" bgcolor=\"000000\""
                          " filename=\"images\\fake.png\"></window>")));
}

TEST_F(SkinApply, RefusedOrMissingFilesApplyNothing) {
  const QSize before = windows.main->size();
  const QString body = QLatin1StringView(kMainWindow) + QStringLiteral("</window>");
  WriteFile(Path("old.xml"), ToGb18030(QStringLiteral("<petrel.skin ver=\"3.00\">") + body +
                                       QStringLiteral("</petrel.skin>")));
  EXPECT_FALSE(skin.LoadSkin(Path("old.xml")));
  EXPECT_EQ(skin.LastOutcome(), TSkinScript::Outcome::RootRefused);
  EXPECT_EQ(windows.main->size(), before);
  // No skin.xml at all: true, and the windows keep their look.
  EXPECT_TRUE(skin.LoadSkin(Path("nothing/skin.xml")));
  EXPECT_EQ(windows.main->size(), before);
  EXPECT_TRUE(windows.mainFrame->isEnabled());
}

TEST_F(SkinApply, ASkinChangeSetsOnlyWhatItNames) {
  ASSERT_TRUE(
      Load(QLatin1StringView(kMainWindow) +
           QStringLiteral("<button id=\"close\" x=\"300\" y=\"4\" w=\"20\" h=\"18\""
                          " nx=\"7\" ny=\"8\" fade=\"30\" filename=\"images\\buttons.png\"/>"
                          "<button id=\"min\" x=\"280\" y=\"4\" w=\"20\" h=\"18\" nx=\"9\""
                          " filename=\"images\\buttons.png\"/></window>")));
  // The second skin names the close button without "nx" and does not mention "min".
  ASSERT_TRUE(Load(QLatin1StringView(kMainWindow) +
                       QStringLiteral("<button id=\"close\" x=\"10\" y=\"4\" w=\"20\""
                                      " h=\"18\" filename=\"images\\buttons.png\"/></window>"),
                   "second.xml"));
  TDDButton* close = windows.Button("main", "btn_close");
  EXPECT_EQ(close->geometry(), QRect(10, 4, 20, 18));
  EXPECT_EQ(close->NormalX, 0);
  EXPECT_EQ(close->NormalY, 0);
  EXPECT_EQ(close->Fade(), 0);
  TDDButton* min = windows.Button("main", "btn_min");
  EXPECT_EQ(min->geometry(), QRect(280, 4, 20, 18));
  EXPECT_EQ(min->NormalX, 9);
}

TEST_F(SkinApply, ControlsFollowTheirAnchorsWhenTheWindowIsResized) {
  const QString body =
      QLatin1StringView(kMainWindow) +
      QStringLiteral(
          "<button id=\"close\" x=\"300\" y=\"4\" w=\"20\" h=\"18\" align=\"RT\""
          " filename=\"images\\buttons.png\"/>"
          "<button id=\"min\" x=\"150\" y=\"200\" w=\"30\" h=\"20\" align=\"C\""
          " filename=\"images\\buttons.png\"/>"
          "<button id=\"next\" x=\"10\" y=\"4\" w=\"20\" h=\"18\""
          " filename=\"images\\buttons.png\"/>"
          // A label is anchored before its bounds are set: the new bounds are its reference.
          "<label id=\"timer\" x=\"10\" y=\"390\" w=\"80\" h=\"16\" fcolor=\"000000\""
          " align=\"LB\"/>"
          "<slider id=\"pgbmusic\" kind=\"h\" x=\"10\" y=\"370\" w=\"310\" h=\"10\""
          " align=\"LB\" filename=\"images\\slider.bmp\"/>"
          "<slider id=\"pgbvolume\" x=\"320\" y=\"30\" w=\"8\" h=\"300\" align=\"RT\""
          " filename=\"images\\slider.bmp\"/>"
          "<list id=\"playlist\" x=\"10\" y=\"40\" w=\"300\" h=\"300\" align=\"LRTB\""
          " bcolor=\"000000\" selectioncolor=\"000000\" textcolor=\"000000\""
          " textcurrcolor=\"000000\" textscolor=\"000000\" filename=\"images\\scroll.bmp\"/>"
          "</window>");
  auto* time = windows.Get<QLabel>("main", "lbl_time");
  time->setGeometry(50, 50, 10, 10);  // the design's place, before the skin
  ASSERT_TRUE(Load(body)) << skin.LastError().toStdString();
  windows.main->show();
  ASSERT_EQ(windows.main->size(), QSize(330, 420));

  windows.main->resize(430, 520);  // 100 wider and taller
  EXPECT_EQ(windows.Button("main", "btn_close")->geometry(), QRect(400, 4, 20, 18));
  EXPECT_EQ(windows.Button("main", "btn_next")->geometry(), QRect(10, 4, 20, 18));
  // Centre 165 of 330 goes to 215 of 430; centre 210 of 420 to 260 of 520.
  EXPECT_EQ(windows.Button("main", "btn_min")->geometry(), QRect(200, 250, 30, 20));
  EXPECT_EQ(time->geometry(), QRect(10, 490, 80, 16));
  EXPECT_EQ(windows.Get<QWidget>("main", "sldr_music")->geometry(), QRect(10, 470, 410, 10));
  EXPECT_EQ(windows.Get<QWidget>("main", "sldr_volume")->geometry(), QRect(420, 30, 8, 400));
  EXPECT_EQ(windows.playlist->widget->geometry(), QRect(10, 40, 400, 400));
  EXPECT_EQ(windows.Get<QWidget>("main", "pnl_1")->geometry(), QRect(10, 40, 400, 400));

  // A control the window moves by itself keeps its new place as the reference.
  windows.Button("main", "btn_close")->move(200, 10);
  windows.main->resize(330, 420);
  EXPECT_EQ(windows.Button("main", "btn_close")->geometry(), QRect(100, 10, 20, 18));
  EXPECT_EQ(windows.Button("main", "btn_min")->geometry(), QRect(150, 200, 30, 20));
  EXPECT_EQ(windows.playlist->widget->geometry(), QRect(10, 40, 300, 300));
  // Shrinking below the stretched controls' margins never gives negative sizes.
  windows.main->setMinimumSize(0, 0);
  windows.main->resize(20, 20);
  EXPECT_EQ(windows.playlist->widget->size(), QSize(0, 0));
  windows.main->resize(330, 420);
  EXPECT_EQ(windows.playlist->widget->geometry(), QRect(10, 40, 300, 300));
}

TEST_F(SkinApply, SectionsDecideWhichWindowsControlsAnElementReaches) {
  const QRect lrcTimeBefore = windows.Get<QLabel>("main", "lbl_time")->geometry();
  ASSERT_TRUE(
      Load(QStringLiteral("<window id=\"lrc\" w=\"300\" h=\"360\" bgcolor=\"000000\""
                          " filename=\"images\\frame.bmp\">"
                          "<label id=\"timer\" x=\"1\" y=\"2\" w=\"3\" h=\"4\" fcolor=\"000000\"/>"
                          "<slider id=\"pgbvolume\" x=\"5\" y=\"6\" w=\"7\" h=\"80\""
                          " filename=\"images\\slider.bmp\"/>"
                          "<button id=\"close\" x=\"9\" y=\"9\" w=\"9\" h=\"9\""
                          " filename=\"images\\buttons.png\"/></window>"
                          // A second lyric section changes nothing; its button goes to the lyric
                          // window, the current one.
                          "<window id=\"LRC\" w=\"999\" h=\"999\" bgcolor=\"zzz\">"
                          "<button id=\"b5\" x=\"8\" y=\"8\" w=\"8\" h=\"8\""
                          " filename=\"images\\buttons.png\"/></window>")))
      << skin.LastError().toStdString();
  EXPECT_EQ(windows.Get<QLabel>("main", "lbl_time")->geometry(), lrcTimeBefore);
  EXPECT_EQ(windows.Get<QWidget>("main", "sldr_volume")->geometry(), QRect(5, 6, 7, 80));
  EXPECT_EQ(windows.Button("lrc", "btn_close")->geometry(), QRect(9, 9, 9, 9));
  EXPECT_NE(windows.Button("main", "btn_close")->geometry(), QRect(9, 9, 9, 9));
  EXPECT_EQ(windows.Button("lrc", "btn_b5")->geometry(), QRect(8, 8, 8, 8));
  EXPECT_EQ(windows.lrc->size(), QSize(300, 360));
}

TEST_F(SkinApply, WindowsOrControlsNotRegisteredAreSkipped) {
  TDDSkin bare(dir.path());
  TSkinWindow partial;
  partial.Form = windows.main.get();  // no frame, no controls
  bare.SetWindow(QStringLiteral("main"), partial);
  WriteFile(Path("skin.xml"),
            ToGb18030(Xml(QLatin1StringView(kMainWindow) +
                          QStringLiteral("<button id=\"close\" filename=\"nothing.png\"/>"
                                         "<list id=\"playlist\" bcolor=\"000000\""
                                         " selectioncolor=\"000000\" textcolor=\"000000\""
                                         " textcurrcolor=\"000000\" textscolor=\"000000\"/>"
                                         "</window><window id=\"share\" bgcolor=\"000000\">"
                                         "</window>"))));
  EXPECT_TRUE(bare.LoadSkin(Path("skin.xml"))) << bare.LastError().toStdString();
  EXPECT_EQ(windows.main->size(), QSize(330, 420));
  EXPECT_TRUE(windows.mainFrame->isEnabled());
}
