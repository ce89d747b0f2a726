// The desktop lyrics on a real X server: over a window of a known colour, the colour shows between
// the glyphs and the gradient inside them; a click between the glyphs reaches the window below;
// at alpha 0 nothing is taken. Run without a compositing manager and with xcompmgr, which the
// lyrics follow while they are up. (Hovering a glyph to bring the toolbar up is driven in the
// whole-program tests.) At fractional screen scales the line must land on device pixels as drawn.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <climits>
#include <cmath>

#include "StillImage.h"
#include "TestEnv.h"
#include "app/desktop/X11Desktop.h"
#include "app/lyrics/TPetrelDeskTopLrc.h"

using namespace vireo;
using vireo::test::StillImage;
using vireo::test::WaitUntil;

namespace {

// A window of one colour that counts the presses it receives.
class Backdrop : public QWidget {
 public:
  Backdrop() : QWidget(nullptr, Qt::FramelessWindowHint) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x20, 0x40, 0xC0));
    setPalette(p);
  }
  int presses = 0;

 protected:
  void mousePressEvent(QMouseEvent*) override { ++presses; }
};

bool Xdo(const QStringList& args) {
  return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
}

// What X window is under the pointer, and whose it is: when a press went astray, this says where.
std::string UnderPointer() {
  QProcess xdo;
  xdo.start(QStringLiteral("xdotool"),
            {QStringLiteral("getmouselocation"), QStringLiteral("--shell")});
  xdo.waitForFinished(3000);
  return QString::fromUtf8(xdo.readAllStandardOutput()).simplified().toStdString();
}

// --sync: the pointer is there before the press, so the press goes to what is under it.
void ClickAt(QPoint p) {
  Xdo({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(p.x()),
       QString::number(p.y())});
  Xdo({QStringLiteral("click"), QStringLiteral("1")});
}

class DesktopLyrics : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
      GTEST_SKIP() << "needs an X display";
    if (GetParam()) {
      compositor_.start(QStringLiteral("xcompmgr"), {});
      ASSERT_TRUE(compositor_.waitForStarted());
      ASSERT_TRUE(WaitUntil([] { return X11Desktop::CompositorRunning(); }, 5000));
    }
    // The lower half of the screen, short of the right edge: a window covering the whole screen
    // would be taken for a full-screen one and raised above everything.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    backdrop_.setGeometry(0, screen.height() / 2, screen.width() - 10, screen.height() / 2);
    backdrop_.show();
    ASSERT_TRUE(WaitUntil([&] {
      return backdrop_.windowHandle() && backdrop_.windowHandle()->isExposed();
    }));
  }
  void TearDown() override {
    if (compositor_.state() != QProcess::NotRunning) {
      compositor_.terminate();
      compositor_.waitForFinished(3000);
    }
  }
  // The screen as the user sees it.
  static QImage Screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }
  // The screen once what was asked of it is drawn.
  static QImage SettledScreen() { return StillImage(Screen); }

  Backdrop backdrop_;
  QProcess compositor_;
};

}  // namespace

TEST_P(DesktopLyrics, OnlyTheGlyphsShowAndTakeTheMouse) {
  // Its clicks go to logical points; the scaled runs are for the test below.
  if (QGuiApplication::primaryScreen()->devicePixelRatio() != 1.0) GTEST_SKIP() << "scaled";
  TPetrelDeskTopLrc lyrics;
  lyrics.show();
  ASSERT_TRUE(WaitUntil([&] {
    return lyrics.windowHandle() && lyrics.windowHandle()->isExposed() &&
           !lyrics.Rendered().isNull();
  }));
  lyrics.ShowText(QStringLiteral("一二三 四五六"));
  const QImage shot = SettledScreen();
  const int renders = lyrics.RenderCount();
  lyrics.ShowText(QStringLiteral("一二三 四五六"));
  EXPECT_EQ(lyrics.RenderCount(), renders);  // the same line twice renders once

  shot.save(QStringLiteral(VIREO_BINARY_DIR "/desktop-lyrics-%1.png")
                .arg(GetParam() ? QStringLiteral("composited") : QStringLiteral("plain")));
  // A point between the glyphs and one inside a glyph, found from the rendered line itself.
  const QImage& line = lyrics.Rendered();
  QPoint between, inside;
  for (int x = 0; x < line.width() && (between.isNull() || inside.isNull()); ++x) {
    const int y = line.height() / 2;
    const QRgb px = line.pixel(x, y);
    if (qAlpha(px) == 0 && between.isNull() && x > line.width() / 3) between = QPoint(x, y);
    if (qAlpha(px) == 255 && qGreen(px) > 120 && inside.isNull()) inside = QPoint(x, y);
  }
  ASSERT_FALSE(between.isNull());
  ASSERT_FALSE(inside.isNull());
  const QPoint betweenOnScreen = lyrics.mapToGlobal(between);
  const QPoint insideOnScreen = lyrics.mapToGlobal(inside);
  EXPECT_EQ(shot.pixel(betweenOnScreen) & 0xFFFFFF, 0x2040C0u) << "the window below shows";
  const QRgb glyph = shot.pixel(insideOnScreen);
  EXPECT_GT(qGreen(glyph), 120) << "the gradient shows inside a glyph";
  EXPECT_NE(glyph & 0xFFFFFF, 0x2040C0u);

  // A press between the glyphs lands on the window below; one on a glyph does not.
  // The press between the glyphs that follows the one on a glyph arrives after it would have:
  // two presses then, not three.
  ClickAt(betweenOnScreen);
  EXPECT_TRUE(WaitUntil([&] { return backdrop_.presses == 1; })) << UnderPointer();
  ClickAt(insideOnScreen);
  ClickAt(betweenOnScreen);
  EXPECT_TRUE(WaitUntil([&] { return backdrop_.presses >= 2; })) << UnderPointer();
  EXPECT_EQ(backdrop_.presses, 2) << "a press on a glyph went through";

  // At alpha 0 the lyrics are invisible and take nothing.
  lyrics.SetAlpha(0);
  EXPECT_TRUE(
      WaitUntil([&] { return (Screen().pixel(insideOnScreen) & 0xFFFFFF) == 0x2040C0u; }));
  ClickAt(insideOnScreen);
  EXPECT_TRUE(WaitUntil([&] { return backdrop_.presses == 3; })) << UnderPointer();
}

// At 125, 150 and 175 % (CTest runs this test under those QT_SCALE_FACTORs) the line is drawn at
// device pixels and shown as drawn: every device pixel the glyphs cover fully is on the screen
// exactly as rendered, not resampled from another size (no soft edge, no seam of a repeated or
// lost column), and without a compositor the window's shape cuts nothing of the outline.
TEST_P(DesktopLyrics, AtFractionalScalesTheLineLandsOnDevicePixels) {
  const double dpr = QGuiApplication::primaryScreen()->devicePixelRatio();
  if (dpr == std::floor(dpr)) GTEST_SKIP() << "a whole scale";
  TPetrelDeskTopLrc lyrics;
  lyrics.show();
  ASSERT_TRUE(WaitUntil([&] {
    return lyrics.windowHandle() && lyrics.windowHandle()->isExposed() &&
           !lyrics.Rendered().isNull();
  }));
  lyrics.ShowText(QStringLiteral("一二三 四五六 Vireo"));
  QImage shot = SettledScreen();
  shot.setDevicePixelRatio(1.0);
  shot = shot.convertToFormat(QImage::Format_RGB32);
  shot.save(QStringLiteral(VIREO_BINARY_DIR "/desktop-lyrics-%1-%2.png")
                .arg(GetParam() ? QStringLiteral("composited") : QStringLiteral("plain"))
                .arg(int(std::lround(dpr * 100))));
  QImage line = lyrics.Rendered().convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(line.width(), int(std::lround(lyrics.width() * dpr)));
  // Where the window's device pixel (0, 0) is: its logical place times the scale, rounded
  // whichever way the platform rounds it.
  const QPoint at = lyrics.mapToGlobal(QPoint(0, 0));
  auto mismatches = [&](QPoint origin, int* covered, int* cut) {
    int wrong = 0;
    for (int y = 0; y < line.height(); ++y)
      for (int x = 0; x < line.width(); ++x) {
        const QPoint d = origin + QPoint(x, y);
        if (!shot.rect().contains(d)) continue;
        const QRgb want = line.pixel(x, y), got = shot.pixel(d);
        if (qAlpha(want) == 255) {
          if (covered) ++*covered;
          if (std::max({std::abs(qRed(want) - qRed(got)), std::abs(qGreen(want) - qGreen(got)),
                        std::abs(qBlue(want) - qBlue(got))}) > 3)
            ++wrong;
        }
        if (cut && qAlpha(want) >= 128 && (got & 0xFFFFFF) == 0x2040C0u) ++*cut;
      }
    return wrong;
  };
  QPoint best;
  int fewest = INT_MAX;
  for (const double xr : {std::floor(at.x() * dpr), std::ceil(at.x() * dpr)})
    for (const double yr : {std::floor(at.y() * dpr), std::ceil(at.y() * dpr)}) {
      const QPoint o{int(xr), int(yr)};
      const int n = mismatches(o, nullptr, nullptr);
      if (n < fewest) {
        fewest = n;
        best = o;
      }
    }
  // Where it opens, on the bottom of the work area, the last device row is still the screen's.
  EXPECT_LE(best.y() + line.height(), shot.height()) << "the line ends below the screen";
  EXPECT_LE(best.x() + line.width(), shot.width());
  int covered = 0, cut = 0;
  const int wrong = mismatches(best, &covered, &cut);
  EXPECT_GT(covered, 500) << "no glyph pixels to look at";
  EXPECT_EQ(wrong, 0) << "of " << covered << " device pixels inside the glyphs";
  EXPECT_EQ(cut, 0) << "glyph pixels the window's shape cut away";
}

// A karaoke line's frames go to the screen without a paint through Qt (copied within the X
// server), and what they leave there is what a full paint shows: after the fill moved on, after
// a seek back, and after another window covered the line and went away.
TEST_P(DesktopLyrics, KaraokeFramesShowWhatAFullPaintShows) {
  TPetrelDeskTopLrc lyrics;
  lyrics.show();
  ASSERT_TRUE(WaitUntil([&] {
    return lyrics.windowHandle() && lyrics.windowHandle()->isExposed() &&
           !lyrics.Rendered().isNull();
  }));
  const QString text = QStringLiteral("清晨的风 吹过窗台 Vireo");
  TLyricItem line;
  line.Text = text;
  line.Words = {{0, 0}, {1000, 5}, {2000, 10}};
  // Twice at one position: paused there, so the fill stands exactly at it.
  auto at = [&](qint32 ms) {
    lyrics.ShowLine(text, line, 3000, ms);
    lyrics.ShowLine(text, line, 3000, ms);
  };
  at(0);
  const QImage start = SettledScreen();
  const int paints = lyrics.PaintCount();
  at(1500);
  EXPECT_TRUE(WaitUntil([&] { return Screen() != start; })) << "the fill did not move on the screen";
  at(2600);
  at(700);  // a seek back
  const QImage back = SettledScreen();
  EXPECT_EQ(lyrics.PaintCount(), paints) << "frames painted through Qt";
  EXPECT_GE(lyrics.StripCopies(), 3);
  const QString kind = GetParam() ? QStringLiteral("composited") : QStringLiteral("plain");
  back.save(QStringLiteral(VIREO_BINARY_DIR "/desktop-karaoke-strips-%1.png").arg(kind));

  // Covered by another window and shown again, the line is as the frames left it.
  QWidget cover(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
  cover.setAutoFillBackground(true);
  cover.setGeometry(QRect(lyrics.pos(), lyrics.size()).adjusted(0, 0, -lyrics.width() / 3, 0));
  cover.show();
  ASSERT_TRUE(WaitUntil([&] { return cover.windowHandle() && cover.windowHandle()->isExposed(); }));
  EXPECT_TRUE(WaitUntil([&] { return Screen() != back; })) << "the cover did not cover";
  cover.hide();
  EXPECT_TRUE(WaitUntil([&] { return Screen() == back; }, 3000)) << "not as the frames left it";
  Screen().save(QStringLiteral(VIREO_BINARY_DIR "/desktop-karaoke-exposed-%1.png").arg(kind));

  // A full paint through Qt shows the same.
  lyrics.repaint();
  EXPECT_EQ(SettledScreen(), back) << "the frames left the line otherwise than a paint draws it";
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutCompositor, DesktopLyrics, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                           return p.param ? std::string("Composited") : std::string("Plain");
                         });
