// The playlist's rows and its scroll bar composed pixel by pixel: colours of ordinary, selected
// and current rows, the number and length columns, the ellipsis, the drop marker, and the bar's
// track and three thumb looks from a sprite sheet made here.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <set>

#include "ControlTestUtil.h"
#include "PlaylistTestHost.h"
#include "ddvcl/PlaylistTextCache.h"

using namespace vireo;
using namespace vireo::test;

namespace {

// Columns of a row band (rows top..top+13 of the bitmap) holding a pixel of the colour.
std::set<int> Columns(const TDDBitmap32& b, int row, TColor32 color, int from = 0, int to = -1) {
  std::set<int> out;
  if (to < 0) to = b.Width();
  for (int y = row * 14; y < row * 14 + 14 && y < b.Height(); ++y)
    for (int x = from; x < to; ++x)
      if (b.Pixel(x, y) == color) out.insert(x);
  return out;
}

// Every pixel of a row band is one of the allowed colours.
bool OnlyColors(const TDDBitmap32& b, int row, std::initializer_list<TColor32> allowed) {
  for (int y = row * 14; y < row * 14 + 14 && y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (std::find(allowed.begin(), allowed.end(), b.Pixel(x, y)) == allowed.end()) return false;
  return true;
}

TEST(PlaylistPaint, RowColoursFollowSelectionAndCurrentEntry) {
  TDDPlaylist list;
  Style(list, 200, 92);
  FillRows(list, 5);
  list.Model().SetSelected(1, true);
  list.Model().SetSelected(2, true);
  list.SetCurrentItem(2);
  TDDBitmap32 b;
  list.RenderTo(b);
  ASSERT_EQ(b.Width(), 200);  // no scroll bar width
  ASSERT_EQ(b.Height(), 92);

  EXPECT_TRUE(OnlyColors(b, 0, {kBack, kText}));
  EXPECT_FALSE(Columns(b, 0, kText).empty());
  EXPECT_TRUE(OnlyColors(b, 1, {kSelection, kSelText}));
  EXPECT_EQ(b.Pixel(0, 14), kSelection);
  EXPECT_EQ(b.Pixel(199, 27), kSelection);
  EXPECT_FALSE(Columns(b, 1, kSelText).empty());
  // The current row keeps the selection background but its text is the current colour.
  EXPECT_TRUE(OnlyColors(b, 2, {kSelection, kCurrent}));
  EXPECT_FALSE(Columns(b, 2, kCurrent).empty());
  EXPECT_TRUE(OnlyColors(b, 5, {kBack}));  // below the last entry
  EXPECT_TRUE(OnlyColors(b, 6, {kBack}));  // the partial row

  // Colours are drawn without their alpha.
  list.SetSelectionColor(0x00316AC5u);
  list.RenderTo(b);
  EXPECT_EQ(b.Pixel(0, 14), kSelection);

  // Once the playing entry is deleted no row shows the current colour.
  list.Items().Delete(2);
  list.RenderTo(b);
  for (int row = 0; row < 6; ++row) EXPECT_TRUE(Columns(b, row, kCurrent).empty()) << row;
}

TEST(PlaylistPaint, NumberColumnIsAsWideAsTheLargestNumber) {
  TDDPlaylist list;
  Style(list, 240, 92);
  FillRows(list, 100, QStringLiteral("Song"));
  list.SetTopIndex(94);  // rows 95..100: two and three digits
  TDDBitmap32 b;
  list.RenderTo(b);
  const int adv = Advance();
  const int nw = 6 * adv;  // "100.  "
  // The number starts 3 pixels in; every caption starts at the same x, right after the column.
  for (int row = 0; row < 6; ++row) {
    const std::set<int> numbers = Columns(b, row, kText, 0, nw);
    ASSERT_FALSE(numbers.empty()) << row;
    EXPECT_GE(*numbers.begin(), 3);
    EXPECT_LT(*numbers.begin(), 3 + adv);
  }
  const std::set<int> first = Columns(b, 0, kText, nw);
  ASSERT_FALSE(first.empty());
  EXPECT_GE(*first.begin(), nw);
  EXPECT_LT(*first.begin(), nw + adv);
  for (int row = 1; row < 6; ++row) EXPECT_EQ(Columns(b, row, kText, nw), first) << row;
}

TEST(PlaylistPaint, LongCaptionEndsInAnEllipsisBeforeTheLengthColumn) {
  TDDPlaylist list;
  Style(list, 200, 92);
  FillRows(list, 2);
  list.Items()[0].Caption = QString(80, QLatin1Char('W'));
  list.Items()[1].LongTime = list.Items()[0].LongTime;  // both 01:00
  TDDBitmap32 b;
  list.RenderTo(b);
  const int adv = Advance();
  const int lw = 6 * adv;               // "Mnn:ss"
  const int captionEnd = 200 - lw - 3;  // the caption's rectangle ends here
  const int nw = 4 * adv;               // "2.  "
  // The caption runs up to its limit and no further...
  const std::set<int> caption = Columns(b, 0, kText, nw, captionEnd + 1);
  ASSERT_FALSE(caption.empty());
  EXPECT_GE(*caption.rbegin(), captionEnd - 2 * adv);
  EXPECT_TRUE(Columns(b, 0, kText, captionEnd, 200 - 3 - 5 * adv).empty());
  // ...and ends in dots: its last five columns have ink on one pixel row (three dots on the
  // baseline), where a "W" would cover most of the row's height.
  std::set<int> inkRows;
  for (int y = 0; y < 14; ++y)
    for (int x = *caption.rbegin() - 4; x <= *caption.rbegin(); ++x)
      if (b.Pixel(x, y) == kText) inkRows.insert(y);
  EXPECT_EQ(inkRows.size(), 1u);
  // The length column is the same in both rows and right-aligned 3 pixels from the edge.
  const std::set<int> len0 = Columns(b, 0, kText, captionEnd);
  const std::set<int> len1 = Columns(b, 1, kText, captionEnd);
  EXPECT_EQ(len0, len1);
  ASSERT_FALSE(len0.empty());
  EXPECT_LT(*len0.rbegin(), 200 - 3);
  EXPECT_GE(*len0.rbegin(), 200 - 3 - adv);
  EXPECT_GE(*len0.begin(), 200 - 3 - 5 * adv);  // "01:00"

  // Without both columns the caption starts at the left edge and may use the whole row.
  list.SetShowNumbers(false);
  list.SetShowLength(false);
  list.RenderTo(b);
  const std::set<int> plain = Columns(b, 1, kText);
  ASSERT_FALSE(plain.empty());
  EXPECT_LT(*plain.begin(), adv);
  EXPECT_LT(*plain.rbegin(), 8 * adv);  // "t001 - A"
}

TEST(PlaylistPaint, DropMarkerIsALineOrTheImageAtOpacity192) {
  TDDPlaylist list;
  Style(list, 200, 92);
  FillRows(list, 8);
  list.show();
  // Press on row 1, move past the drag threshold, then hover over row 4.
  Press(&list, QPoint(50, 20));
  MoveTo(&list, QPoint(50, 25), Qt::LeftButton);
  MoveTo(&list, QPoint(50, 60), Qt::LeftButton);
  ASSERT_TRUE(list.Rearranging());
  ASSERT_EQ(list.DropY(), 56);
  TDDBitmap32 b;
  list.RenderTo(b);
  for (int x = 0; x < 200; ++x) ASSERT_EQ(b.Pixel(x, 56), kText) << x;

  TDDBitmap32 marker(10, 4);
  marker.Clear(0x80FF0000u);
  list.SetDropImage(marker);
  list.RenderTo(b);
  // Blended over the white background: weight ((0x80 + 1) * 192) >> 8 = 96 of 256, so alpha
  // (128*96 + 255*160 + 128) >> 8 = 207 = CF, red FF, green and blue (0 + 255*160 + 128) >> 8 = 9F.
  const TColor32 expected = 0xCFFF9F9Fu;
  for (int y = 54; y < 58; ++y) {
    EXPECT_EQ(b.Pixel(0, y), expected) << y;
    EXPECT_EQ(b.Pixel(199, y), expected) << y;
  }
  EXPECT_NE(b.Pixel(100, 53), expected);
  EXPECT_NE(b.Pixel(100, 58), expected);
  Release(&list, QPoint(300, 60));  // outside: nothing moves
  EXPECT_FALSE(list.Rearranging());
  EXPECT_EQ(list.DropY(), -1);
  EXPECT_EQ(list.Items()[1].Title, QStringLiteral("t001"));
}

// A sheet of 40 x 25: track piece (0, 0, 10, 25), thumbs at x 10, 20, 30 (10 x 12).
constexpr TColor32 kTrack = 0xFF100000u, kNormal = 0xFF300000u, kPressed = 0x80400000u,
                   kHigh = 0xFF500000u;

void SkinBar(TDDScrollBar& bar) {
  TDDBitmap32 sheet(40, 25);
  PaintSprite(sheet, 0, 0, 10, 25, kTrack);
  PaintSprite(sheet, 10, 0, 10, 12, kNormal);
  PaintSprite(sheet, 20, 0, 10, 12, kPressed);
  PaintSprite(sheet, 30, 0, 10, 12, kHigh);
  bar.SetImage(sheet);
  bar.NormalX = 10;
  bar.PressedX = 20;
  bar.HighlightedX = 30;
  bar.SliderW = 10;
  bar.SliderH = 12;
}

TColor32 Px(TColor32 base, int col, int row) {
  return base | TColor32(col) << 8 | TColor32(row);
}

TEST(ScrollBarPaint, TrackTilesDownAndTheThumbHasThreeLooks) {
  TDDScrollBar bar;
  bar.resize(10, 60);
  SkinBar(bar);
  bar.SetMax(4);  // travel 48: value 2 at pixel 24
  bar.SetPosition(2);
  ASSERT_EQ(bar.ThumbPos(), 24);
  TDDBitmap32 b;
  bar.RenderTo(b);
  ASSERT_EQ(b.Width(), 10);
  EXPECT_EQ(b.Pixel(3, 0), Px(kTrack, 3, 0));
  EXPECT_EQ(b.Pixel(3, 23), Px(kTrack, 3, 23));
  EXPECT_EQ(b.Pixel(3, 50), Px(kTrack, 3, 0));  // the second tile starts at 25, the third at 50
  EXPECT_EQ(b.Pixel(9, 59), Px(kTrack, 9, 9));
  EXPECT_EQ(b.Pixel(3, 24), Px(kNormal, 3, 0));
  EXPECT_EQ(b.Pixel(9, 35), Px(kNormal, 9, 11));
  EXPECT_EQ(b.Pixel(3, 36), Px(kTrack, 3, 11));

  // Hovering the thumb: the highlighted sprite.
  bar.show();
  MoveTo(&bar, QPoint(5, 30));
  EXPECT_EQ(bar.ThumbState(), TDDScrollBar::tsHighlighted);
  bar.RenderTo(b);
  EXPECT_EQ(b.Pixel(3, 24), Px(kHigh, 3, 0));
  // Pressed: the pressed sprite blended at master 190 over the track, weight (129*190) >> 8 = 95.
  // Worked by hand: 0x80400300 over 0xFF100318 gives alpha (128*95 + 255*161 + 128) >> 8 = D0,
  // red (64*95 + 16*161 + 128) >> 8 = 22, green 3, blue (24*161 + 128) >> 8 = 0F.
  Press(&bar, QPoint(5, 30));
  EXPECT_EQ(bar.ThumbState(), TDDScrollBar::tsPressedOnThumb);
  bar.RenderTo(b);
  EXPECT_EQ(b.Pixel(3, 24), 0xD022030Fu);
  EXPECT_EQ(b.Pixel(2, 26), 0xD0220201u);  // 0x80400202 over 0xFF100201
  Release(&bar, QPoint(5, 30));
  // Disabled: the normal sprite whatever the state.
  bar.setEnabled(false);
  bar.RenderTo(b);
  EXPECT_EQ(b.Pixel(3, 24), Px(kNormal, 3, 0));
}

TEST(ScrollBarPaint, NoTrackPieceLeavesTheTrackEmpty) {
  TDDScrollBar bar;
  bar.resize(10, 60);
  SkinBar(bar);
  bar.SetTrackPiece({0, 0, 0, 0});  // a skin without "ti"
  TDDBitmap32 b;
  bar.RenderTo(b);
  EXPECT_EQ(b.Pixel(3, 40), 0u);
  EXPECT_EQ(b.Pixel(3, 0), Px(kNormal, 3, 0));  // the thumb still shows
}

TEST(PlaylistPaint, ScrollBarHidesWhileEveryRowFits) {
  TDDPlaylist list;
  Style(list, 200, 92);  // 6 whole rows
  list.SetAutoHideScrollBar(true);
  list.SetScrollBarWidth(10);
  list.SetScrollBarTopMargin(2);
  list.SetScrollBarBottomMargin(4);
  SkinBar(*list.ScrollBar());
  FillRows(list, 3);
  EXPECT_EQ(list.ScrollBar()->Max(), 0);
  EXPECT_TRUE(list.ScrollBar()->isHidden());
  EXPECT_EQ(list.RowAreaWidth(), 200);
  EXPECT_EQ(list.ItemRect(0).Right, 200);

  FillRows(list, 7);
  EXPECT_EQ(list.ScrollBar()->Max(), 4);
  EXPECT_FALSE(list.ScrollBar()->isHidden());
  EXPECT_EQ(list.ScrollBar()->geometry(), QRect(190, 2, 10, 86));
  EXPECT_EQ(list.RowAreaWidth(), 190);
  TDDBitmap32 b;
  list.RenderTo(b);
  EXPECT_EQ(b.Width(), 190);

  // On the screen the bar's bitmap sits right of the rows.
  list.show();
  const QImage shot = list.grab().toImage();
  EXPECT_EQ(shot.pixel(189, 50) & 0xFFFFFFu, kBack & 0xFFFFFFu);
  EXPECT_EQ(shot.pixel(193, 2) & 0xFFFFFFu, Px(kNormal, 3, 0) & 0xFFFFFFu);
  EXPECT_EQ(shot.pixel(193, 80) & 0xFFFFFFu, Px(kTrack, 3, 78 % 25) & 0xFFFFFFu);
  EXPECT_EQ(shot.pixel(193, 1) & 0xFFFFFFu, kBack & 0xFFFFFFu);  // the margins: background
  EXPECT_EQ(shot.pixel(199, 88) & 0xFFFFFFu, kBack & 0xFFFFFFu);

  list.SetAutoHideScrollBar(false);  // shown even when empty
  list.Items().Clear();
  EXPECT_FALSE(list.ScrollBar()->isHidden());
  EXPECT_EQ(list.ScrollBar()->Max(), 0);
}

}  // namespace

namespace {

TEST(PlaylistTextCache, StaysBoundedAndStartsOverForANewFont) {
  PlaylistTextCache cache;
  const QFont font = MonoFont();
  const QFontMetrics fm(font);
  for (int i = 0; i < PlaylistTextCache::kMaxItems + 10; ++i)
    cache.Get(QString::number(i), -1, font, fm);
  EXPECT_LE(cache.Size(), PlaylistTextCache::kMaxItems);
  EXPECT_GE(cache.Size(), 10);
  // The same text cut to different rooms is two entries; an uncut one is as wide as measured.
  const QString text = QStringLiteral("abcdefghij");
  EXPECT_EQ(cache.Width(text, font, fm), fm.horizontalAdvance(text));
  EXPECT_LT(cache.Get(text, 4 * Advance(), font, fm).text().size(), text.size());
  QFont bigger = font;
  bigger.setPixelSize(20);
  cache.Get(text, -1, bigger, QFontMetrics(bigger));
  EXPECT_EQ(cache.Size(), 1);
}

}  // namespace
