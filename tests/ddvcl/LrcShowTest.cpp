// The lyric view: which line is current, where the lines stand while they scroll, and when the back
// buffer is rendered again. Text colours are pure channels over black, so a pixel's channel tells
// which kind of line put it there even where the glyphs are smoothed.
#include <gtest/gtest.h>

#include <QImage>

#include "ControlTestUtil.h"
#include "TestEnv.h"
#include "ddvcl/TDDLrcShow.h"

using namespace vireo;

namespace {

constexpr TColorRef kBlack = 0x000000, kRedRef = 0x0000FF, kBlueRef = 0xFF0000,
                    kGreenRef = 0x00FF00;

struct View {
  TDDLrcShow v;
  QImage img;
  explicit View(int space = 4) {
    v.resize(300, 120);
    v.SetLrcSpace(space);
    v.SetBGColor(kBlack);
    v.SetLrcColor(kBlueRef);
    v.SetLrcCurrColor(kRedRef);
    v.SetLrcFontName(QStringLiteral("DejaVu Sans Mono"));
    v.SetLrcFontSize(9);
  }
  void Lyric(const char* text, int length) {
    v.SetLrc(QString::fromUtf8(text));
    v.SetLengthTime(length);
  }
  void At(int ms) {
    v.SetPosTime(ms);
    v.RenderTo(img);
  }
  // First and last row holding a pixel with the channel (red 16, green 8, blue 0); -1 for none.
  std::pair<int, int> Rows(int shift) const {
    int first = -1, last = -1;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if ((img.pixel(x, y) >> shift) & 0xFF) {
          if (first < 0) first = y;
          last = y;
          break;
        }
    return {first, last};
  }
  std::pair<int, int> Columns(int shift) const {
    int first = img.width(), last = -1;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if ((img.pixel(x, y) >> shift) & 0xFF) {
          first = std::min(first, x);
          last = std::max(last, x);
        }
    return {first, last};
  }
};

constexpr int kRed = 16, kGreen = 8, kBlue = 0;

}  // namespace

TEST(LrcShow, ConstructionAndSetters) {
  TDDLrcShow v;
  EXPECT_EQ(v.geometry(), QRect(0, 0, 280, 240));
  EXPECT_EQ(v.LrcSpace(), 0);
  EXPECT_EQ(v.PosTime(), 0);
  EXPECT_EQ(v.LengthTime(), 0);
  EXPECT_EQ(v.LrcOffset(), 0);
  EXPECT_EQ(v.Color(), 0xFFFFFF);
  v.SetLrcSpace(300);  // a byte
  EXPECT_EQ(v.LrcSpace(), 44);

  v.SetLrc(QStringLiteral("[offset:-300][00:05.00]b\n[00:01.00]a"));
  EXPECT_EQ(v.LrcOffset(), -300);
  ASSERT_EQ(v.Lyric().Count(), 2);
  EXPECT_EQ(v.Lyric().GetItem(0).Text, QStringLiteral("a"));  // sorted
  // The closing line goes last even when it is earlier than a line, and every set adds one.
  v.SetLengthTime(3000);
  ASSERT_EQ(v.Lyric().Count(), 3);
  EXPECT_EQ(v.Lyric().GetItem(2),
            (TLyricItem{QStringLiteral("维雀 分享音乐 分享快乐"), QString(), 3000}));
  v.SetLengthTime(4000);
  EXPECT_EQ(v.Lyric().Count(), 4);
  EXPECT_EQ(v.LengthTime(), 4000);
}

TEST(LrcShow, WithoutLyricOnlyTheClosingLineOneLineAboveTheMiddle) {
  View w;
  w.Lyric("", 0);
  ASSERT_EQ(w.v.Lyric().Count(), 1);
  w.At(0);
  const int lineH = w.v.LineHeight();
  EXPECT_EQ(w.v.LastCurrent(), -1);
  EXPECT_TRUE(w.v.LrcCurrText().isEmpty());
  const auto [top, bottom] = w.Rows(kBlue);
  EXPECT_GE(top, 60 + 4 - lineH);
  EXPECT_LT(bottom, 60 + 4 - lineH + lineH - 4);
  EXPECT_LT(bottom - top, lineH);
  EXPECT_EQ(w.Rows(kRed).first, -1);
  // Centred: as much room on the left as on the right.
  const auto [left, right] = w.Columns(kBlue);
  EXPECT_NEAR(left, 299 - right, 2);

  // A track without a lyric: the closing line is still not current while it plays.
  w.Lyric("", 180000);
  w.At(90000);
  EXPECT_EQ(w.v.LastCurrent(), -1);
  EXPECT_EQ(w.Rows(kRed).first, -1);
}

TEST(LrcShow, CurrentLineStartsBelowTheMiddleAndRisesOneLineOverItsDuration) {
  View w;
  w.Lyric("[00:01.00]AAAA\n[00:02.00]BBBB\n[00:03.00]CCCC", 10000);
  w.At(2001);
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("BBBB"));
  const int lineH = w.v.LineHeight();
  const auto start = w.Rows(kRed);
  // The line's cell starts LrcSpace (4) below the middle (60).
  EXPECT_GE(start.first, 64);
  EXPECT_LT(start.second, 64 + lineH - 4);
  // The line above (blue) ends above it, the line below starts under it.
  EXPECT_LT(w.Rows(kBlue).first, 64);
  EXPECT_GT(w.Rows(kBlue).second, start.second);

  const int renders = w.v.RenderCount();
  w.img.save(QStringLiteral(VIREO_BINARY_DIR "/tests/ddvcl/lrcshow.png"));
  w.At(2500);  // half way: half a line up, truncated
  EXPECT_EQ(w.Rows(kRed).first, start.first - lineH / 2);
  w.At(2999);  // 999 / 1000 of a line, truncated
  EXPECT_EQ(w.Rows(kRed).first, start.first - (lineH - 1));
  EXPECT_EQ(w.v.RenderCount(), renders);  // the same line: the buffer only moved

  w.At(3001);  // the next line takes the same place
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("CCCC"));
  EXPECT_EQ(w.Rows(kRed).first, start.first);
  EXPECT_EQ(w.v.RenderCount(), renders + 1);

  // The first line current, and before it: the view rests with the second line at the middle.
  w.At(1500);
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("AAAA"));
  EXPECT_EQ(w.Rows(kRed).first, start.first - lineH);
  const int restTop = w.v.BufferTop();
  w.At(0);
  EXPECT_EQ(w.v.BufferTop(), restTop);
  EXPECT_EQ(w.v.LastCurrent(), -1);
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("AAAA"));  // as last rendered
}

TEST(LrcShow, OffsetTagAndOffsetButtons) {
  View w;
  w.Lyric("[offset:500][00:01.00]a\n[00:02.00]b", 5000);
  EXPECT_EQ(w.v.LrcOffset(), 500);
  w.At(1500);
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("a"));
  w.At(1501);
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("b"));
  w.v.SetLrcOffset(w.v.LrcOffset() + 500);
  w.At(1001);
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("b"));
  w.v.SetLrcOffset(w.v.LrcOffset() - 500 - 500);
  w.At(2000);
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("a"));
  w.At(2001);
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("b"));
}

TEST(LrcShow, SameTimeLinesAndEmptyLines) {
  View w;
  w.Lyric("[00:01.00]first\n[00:01.00]second\n[00:02.00]\n[00:03.00]x", 9000);
  w.At(1000);
  EXPECT_EQ(w.v.LastCurrent(), -1);
  // Lines of one time are one line: the first in the file, the other its translation.
  w.At(1001);
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("first"));
  EXPECT_EQ(w.v.LastCurrent(), 0);
  EXPECT_EQ(w.v.Lyric().GetItem(0).Translations, QStringList{QStringLiteral("second")});
  w.At(2001);
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral(" "));
  EXPECT_EQ(w.Rows(kRed).first, -1);  // a space leaves no ink

  w.v.SetLrc(QStringLiteral("[00:01.00]y"));
  EXPECT_TRUE(w.v.LrcCurrText().isEmpty());
}

TEST(LrcShow, ColoursWaitForTheNextRenderWhileFontTextAndSizeRenderAgain) {
  View w;
  w.Lyric("[00:01.00]AAAA\n[00:02.00]BBBB\n[00:03.00]CCCC", 10000);
  w.At(1001);
  int renders = w.v.RenderCount();
  w.v.SetLrcCurrColor(kGreenRef);
  w.At(1200);
  EXPECT_NE(w.Rows(kRed).first, -1);
  EXPECT_EQ(w.Rows(kGreen).first, -1);
  EXPECT_EQ(w.v.RenderCount(), renders);
  w.At(2001);
  EXPECT_EQ(w.Rows(kRed).first, -1);
  EXPECT_NE(w.Rows(kGreen).first, -1);
  renders = w.v.RenderCount();

  w.v.SetLrcFontSize(12);
  w.At(2100);
  EXPECT_EQ(w.v.RenderCount(), renders + 1);
  w.v.SetLrcFontName(QStringLiteral("DejaVu Sans"));
  w.At(2200);
  EXPECT_EQ(w.v.RenderCount(), renders + 2);
  w.v.resize(200, 100);
  w.At(2300);
  EXPECT_EQ(w.v.RenderCount(), renders + 3);
  EXPECT_EQ(w.v.BackBuffer().size(), QSize(200, 4 * w.v.LineHeight() + 100));
  w.v.SetLrc(w.v.Lrc());
  w.At(2400);
  EXPECT_EQ(w.v.RenderCount(), renders + 4);
  w.At(2500);
  EXPECT_EQ(w.v.RenderCount(), renders + 4);
}

TEST(LrcShow, ScrollStepIsThirtyTwoBitIntegerArithmetic) {
  // A line of almost 99 hours at 20 pixels a line: (position - start) x 20 passes 2^31 and wraps.
  View w;
  w.v.SetLrcFontSize(9);
  const int textH = w.v.LineHeight() - w.v.LrcSpace();
  ASSERT_LT(textH, 20);
  w.v.SetLrcSpace(20 - textH);
  ASSERT_EQ(w.v.LineHeight(), 20);
  w.Lyric("[00:01.00]a\n[00:02.00]b\n[99:00:00]c", 362000000);
  w.At(2000 + 1);
  const int start = w.v.BufferTop();
  EXPECT_EQ(start, w.v.LrcSpace() - 20);
  // 150,000,000 x 20 = 3,000,000,000 wraps to -1,294,967,296; divided by (2,000 - 356,400,000)
  // that is 3 (truncated): the view moves 3 pixels down, where 64-bit arithmetic would give -8.
  w.At(2000 + 150000000);
  EXPECT_EQ(w.v.BufferTop(), start + 3);
  // 100,000,000 x 20 fits: 2,000,000,000 / -356,398,000 = -5.6, truncated to -5.
  w.At(2000 + 100000000);
  EXPECT_EQ(w.v.BufferTop(), start - 5);
}

TEST(LrcShow, AVeryLongLyricLooksTheSameThroughAWindowOfBufferedLines) {
  // Every line reads the same, so the view at line k of 3000 must match the view at line 5 of 12
  // pixel for pixel, however the long one is buffered.
  auto lyric = [](int lines) {
    QByteArray text;
    for (int i = 1; i <= lines; ++i)
      text += QStringLiteral("[%1:%2.00]la la la\n")
                  .arg(i / 60, 2, 10, QLatin1Char('0'))
                  .arg(i % 60, 2, 10, QLatin1Char('0'))
                  .toUtf8();
    return text;
  };
  View shortView, longView;
  shortView.Lyric(lyric(12).constData(), 9000000);
  longView.Lyric(lyric(3000).constData(), 9000000);
  for (const int k : {2000, 2001, 2600, 30, 2990}) {
    SCOPED_TRACE(k);
    longView.At(k * 1000 + 300);
    shortView.At(5 * 1000 + 300);
    EXPECT_EQ(longView.v.LrcCurrText(), QStringLiteral("la la la"));
    EXPECT_LE(longView.v.BufferedLineCount(), TDDLrcShow::kMaxBufferedLines);
    EXPECT_LE(longView.v.FirstBufferedLine(), k - 1);
    EXPECT_GT(longView.v.FirstBufferedLine() + longView.v.BufferedLineCount(), k);
    EXPECT_TRUE(longView.img == shortView.img);
  }
  EXPECT_EQ(shortView.v.BufferedLineCount(), 13);
  EXPECT_EQ(shortView.v.FirstBufferedLine(), 0);
}

// On screen, a position that leaves the lines where they stand asks for no paint: the main window
// sets the position every 150 ms whether or not the lines have moved a pixel.
TEST(LrcShow, RepaintsOnlyWhenTheLinesMoveOrAreDrawnAgain) {
  View w;
  w.Lyric("[00:01.00]AAAA\n[00:02.00]BBBB\n[00:03.00]CCCC", 10000);
  test::PaintCounter paints(&w.v);
  w.v.show();
  ASSERT_TRUE(test::WaitUntil([&] { return paints.count > 0; }, 5000));
  w.v.SetPosTime(2001);
  test::Flush();
  const int top = w.v.BufferTop();

  paints.count = 0;
  for (int ms = 2002; ms <= 2010; ms += 4) {
    w.v.SetPosTime(ms);  // a line rises in a second: these steps stay on the same pixel
    test::Flush();
  }
  EXPECT_EQ(w.v.BufferTop(), top);
  EXPECT_EQ(paints.count, 0);

  w.v.SetPosTime(2500);
  ASSERT_TRUE(test::WaitUntil([&] { return paints.count > 0; }, 5000));
  EXPECT_EQ(paints.count, 1);
  EXPECT_LT(w.v.BufferTop(), top);

  // The next line is drawn in its colour.
  paints.count = 0;
  w.v.SetPosTime(3001);
  ASSERT_TRUE(test::WaitUntil([&] { return paints.count > 0; }, 5000));
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("CCCC"));
}

// Reaching the next line draws only the rows of the two lines whose colour changes; the buffer must
// come out as a whole render draws it, for glyphs that reach into the rows beside them too.
TEST(LrcShow, ALineChangeLeavesTheBufferAsAWholeRenderDrawsIt) {
  const char* lyric =
      "[00:01.00]AAgjpqy\n[00:02.00]ÂÊÎÔÛ 第二行\n[00:03.00]\n[00:04.00]ggg ÅÅÅ\n"
      "[00:05.00]第五行 歌词";
  View stepped(0), whole(0);
  stepped.Lyric(lyric, 9000);
  whole.Lyric(lyric, 9000);
  for (int ms : {1001, 2001, 3001, 4001, 5001, 9001, 2500}) {
    stepped.v.SetPosTime(ms);
    // A view that starts here renders everything in one go.
    whole.v.SetLrc(whole.v.Lrc());
    whole.v.SetLengthTime(9000);
    whole.v.SetPosTime(ms);
    ASSERT_EQ(stepped.v.LastCurrent(), whole.v.LastCurrent()) << ms;
    EXPECT_TRUE(stepped.v.BackBuffer() == whole.v.BackBuffer()) << "at " << ms << " ms";
  }
  // A colour set meanwhile is taken by the whole buffer at the next line, not by two lines.
  stepped.v.SetLrcColor(kGreenRef);
  whole.v.SetLrcColor(kGreenRef);
  stepped.v.SetPosTime(3001);
  whole.v.SetLrc(whole.v.Lrc());
  whole.v.SetLengthTime(9000);
  whole.v.SetPosTime(3001);
  EXPECT_TRUE(stepped.v.BackBuffer() == whole.v.BackBuffer());
}

namespace {

// The columns holding a pixel of the channel within rows [top, bottom].
std::pair<int, int> ColumnsIn(const QImage& img, int shift, int top, int bottom) {
  int first = img.width(), last = -1;
  for (int y = std::max(0, top); y <= bottom && y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) >> shift) & 0xFF) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  return {first, last};
}

}  // namespace

// A karaoke line fills left to right: at known times the sung (red) ink ends where the text's
// own character cells say, in a font whose every character is one cell wide, and the unsung
// rest of the line stays in the line colour.
TEST(LrcShow, KaraokeLineFillsWordByWordAtKnownTimes) {
  View w;
  w.Lyric("[00:01.00]x\n[00:02.00]<00:02.00>AAAA <00:03.00>BBBB<00:04.00>\n[00:05.00]y", 10000);
  // Twice at one time: the player is paused there, so the fill stands exactly at it.
  auto at = [&](int ms) {
    w.v.SetPosTime(ms);
    w.At(ms);
  };
  at(4500);  // all sung
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("AAAA BBBB"));
  const auto band = w.Rows(kRed);
  ASSERT_GE(band.first, 0);
  const auto whole = ColumnsIn(w.img, kRed, band.first, band.second);
  EXPECT_EQ(ColumnsIn(w.img, kBlue, band.first, band.second).second, -1);
  const double cell = (whole.second - whole.first + 1) / 9.0;  // nine cells, ink nearly full
  ASSERT_GT(cell, 3.0);

  struct Case {
    int ms;
    double sungCells;  // where the fill's edge stands, in cells from the text's left
  };
  for (const Case c : {Case{2500, 2.5}, Case{3000, 5.0}, Case{3500, 7.0}, Case{3750, 8.0}}) {
    at(c.ms);
    const auto rows = w.Rows(kRed);
    ASSERT_GE(rows.first, 0) << c.ms;
    const auto red = ColumnsIn(w.img, kRed, rows.first, rows.second);
    const auto blue = ColumnsIn(w.img, kBlue, rows.first, rows.second);
    EXPECT_NEAR(red.first, whole.first, 1) << c.ms;
    // The space after AAAA has no ink: at 5 cells the red ends with the fourth A.
    const double edge = whole.first + (c.sungCells == 5.0 ? 4.0 : c.sungCells) * cell;
    EXPECT_NEAR(red.second, edge, cell * 0.6) << c.ms;
    EXPECT_NEAR(blue.second, whole.second, 1) << c.ms;  // the rest is unsung
    EXPECT_GE(blue.first, red.second - 1) << c.ms;
    if (c.ms == 3500) w.img.save(QStringLiteral(VIREO_BINARY_DIR "/tests/ddvcl/karaoke.png"));
  }
  // Before the line nothing of it is red; a plain line lights up whole, as ever.
  at(1500);
  EXPECT_EQ(w.v.LrcCurrText(), QStringLiteral("x"));
  EXPECT_FALSE(w.v.FrameTimerActive());
}

// Translations: a second, smaller and dimmer row under their lines; hidden, the view is the
// very image of the same lyric without them.
TEST(LrcShow, TranslationsUnderTheirLinesOrNotAtAll) {
  View plain, translated;
  plain.Lyric("[00:01.00]AAAA\n[00:02.00]BBBB\n[00:03.00]CCCC", 10000);
  translated.Lyric(
      "[00:01.00]AAAA\n[00:01.00]aaaa\n[00:02.00]BBBB\n[00:02.00]bbbb\n[00:03.00]CCCC", 10000);
  plain.At(2500);
  translated.At(2500);
  EXPECT_EQ(translated.v.LrcCurrText(), QStringLiteral("BBBB"));
  EXPECT_GT(translated.v.CellHeight(), translated.v.LineHeight());
  EXPECT_NE(plain.img, translated.img);
  // The current line's translation: red ink under the line's own, dimmer than the line.
  translated.img.save(QStringLiteral(VIREO_BINARY_DIR "/tests/ddvcl/translation.png"));
  const auto red = translated.Rows(kRed);
  int lastBright = -1, dimRows = 0;
  for (int y = red.first; y <= red.second; ++y) {
    int top = 0;
    for (int x = 0; x < translated.img.width(); ++x) top = std::max(top, qRed(translated.img.pixel(x, y)));
    if (top >= 0xF0) {
      lastBright = y;
    } else if (top > 0x20) {
      EXPECT_GT(y, lastBright);
      ++dimRows;
    }
  }
  EXPECT_GT(lastBright, red.first);
  EXPECT_GT(dimRows, 3);

  translated.v.SetShowTranslations(false);
  EXPECT_EQ(translated.v.CellHeight(), translated.v.LineHeight());
  translated.At(2500);
  EXPECT_EQ(plain.img, translated.img);
  translated.v.SetShowTranslations(true);
  translated.At(2500);
  EXPECT_NE(plain.img, translated.img);
}
