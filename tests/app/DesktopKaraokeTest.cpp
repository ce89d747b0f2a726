// The desktop lyrics' karaoke line and translation row, drawn as the window paints them: at a
// known time the gradient-coloured ink ends where the text's own character cells say (a font
// whose every character is one cell wide), the rest of the line is paler, and a translation is
// a second row that makes the window taller, its bottom edge staying. And the glyph pictures
// the lines are drawn from.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "app/lyrics/DesktopGlyphCache.h"
#include "app/lyrics/DesktopLyricPainter.h"
#include "app/lyrics/TPetrelDeskTopLrc.h"

using namespace vireo;

namespace {

TLyricItem Line(const QString& text, QList<TLyricWord> words, QStringList translations = {}) {
  TLyricItem item;
  item.Text = text;
  item.Time = 0;
  item.Words = std::move(words);
  item.Translations = std::move(translations);
  return item;
}

// Fill pixels only (the outline is dark): saturated ones are the skin's gradient, pale ones the
// part not sung yet.
bool Saturated(QRgb p) {
  const QColor c = QColor::fromRgba(p);
  return qAlpha(p) > 200 && c.value() > 120 && c.hsvSaturation() > 110;
}
bool Pale(QRgb p) {
  const QColor c = QColor::fromRgba(p);
  return qAlpha(p) > 200 && c.value() > 180 && c.hsvSaturation() < 90;
}

std::pair<int, int> Columns(const QImage& img, bool (*kind)(QRgb), int rows) {
  int first = img.width(), last = -1;
  for (int y = 0; y < std::min(rows, img.height()); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (kind(img.pixel(x, y))) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  return {first, last};
}

}  // namespace

TEST(DesktopKaraoke, TheLineFillsWordByWordInTheSkinsColoursOverPalerOnes) {
  TPetrelDeskTopLrc lyrics;
  lyrics.SetTextFont(QStringLiteral("DejaVu Sans Mono"), 40);
  lyrics.setGeometry(0, 400, 800, 92);
  lyrics.show();
  const QString text = QStringLiteral("AAAA BBBB");
  const TLyricItem line = Line(text, {{0, 0}, {1000, 5}, {2000, 9}});
  // Twice at one position: paused there, so the fill stands exactly at it.
  auto at = [&](qint32 ms) {
    lyrics.ShowLine(text, line, 3000, ms);
    lyrics.ShowLine(text, line, 3000, ms);
    return lyrics.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  };
  QImage img = at(2500);
  const auto whole = Columns(img, Saturated, 60);
  EXPECT_EQ(Columns(img, Pale, 60).second, -1) << "all sung, yet pale ink";
  const double cell = (whole.second - whole.first + 1) / 9.0;
  ASSERT_GT(cell, 10.0);

  for (const auto& [ms, cells] : {std::pair{500, 2.5}, std::pair{1500, 7.0}}) {
    img = at(ms);
    const auto sung = Columns(img, Saturated, 60);
    const auto pale = Columns(img, Pale, 60);
    EXPECT_NEAR(sung.first, whole.first, 2) << ms;
    EXPECT_NEAR(sung.second, whole.first + cells * cell, cell * 0.6) << ms;
    EXPECT_GE(pale.first, sung.second - 2) << ms;
    EXPECT_NEAR(pale.second, whole.second, 3) << ms;
    if (ms == 1500) img.save(QStringLiteral(VIREO_BINARY_DIR "/tests/app/desktop-karaoke.png"));
  }
  // An ordinary line is lit whole, as ever.
  img = at(0);
  lyrics.ShowLine(QStringLiteral("CCCC"), Line(QStringLiteral("CCCC"), {}), 3000, 0);
  img = lyrics.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(Columns(img, Pale, 60).second, -1);
  EXPECT_GT(Columns(img, Saturated, 60).second, 0);
  EXPECT_EQ(lyrics.FillRight(), -1);
  // Every tick brings the line again: a line already shown is not drawn again.
  const int renders = lyrics.RenderCount();
  for (int tick = 1; tick <= 5; ++tick)
    lyrics.ShowLine(QStringLiteral("CCCC"), Line(QStringLiteral("CCCC"), {}), 3000, tick * 150);
  lyrics.ShowLine(text, line, 3000, 100);
  lyrics.ShowLine(text, line, 3000, 250);
  EXPECT_EQ(lyrics.RenderCount(), renders + 1);
}

TEST(DesktopKaraoke, ATranslationIsASecondRowThatCanBeHidden) {
  TPetrelDeskTopLrc lyrics;
  lyrics.setGeometry(0, 400, 800, 92);
  lyrics.show();
  const int bottom = lyrics.geometry().bottom();
  const TLyricItem line = Line(QStringLiteral("Hello"), {}, {QStringLiteral("你好")});
  lyrics.ShowLine(line.Text, line, 3000, 0);
  EXPECT_EQ(lyrics.Translation(), QStringLiteral("你好"));
  EXPECT_GT(lyrics.height(), 92);
  EXPECT_EQ(lyrics.geometry().bottom(), bottom);
  const QImage two = lyrics.grab().toImage();
  two.save(QStringLiteral(VIREO_BINARY_DIR "/tests/app/desktop-translation.png"));
  int inkBelow = 0;
  for (int y = 92 - 20; y < two.height(); ++y)
    for (int x = 0; x < two.width(); ++x) inkBelow += qAlpha(two.pixel(x, y)) > 0;
  EXPECT_GT(inkBelow, 50);

  lyrics.SetShowTranslations(false);
  EXPECT_EQ(lyrics.height(), 92);
  EXPECT_EQ(lyrics.geometry().bottom(), bottom);
  // Hidden, the window is the very image of the line without a translation.
  TPetrelDeskTopLrc plain;
  plain.setGeometry(0, 400, 800, 92);
  plain.show();
  plain.ShowText(QStringLiteral("Hello"));
  EXPECT_EQ(lyrics.grab().toImage(), plain.grab().toImage());
}

// Each glyph is drawn once and then put in place as a picture: a line drawn again is the same
// image and draws nothing new, a line sharing its characters draws only the new ones, and
// other colours or another scale are pictures of their own (one never stands for another).
TEST(DesktopKaraoke, GlyphsAreDrawnOnceAndReusedOnlyForTheirOwnColoursAndScale) {
  auto& cache = DesktopGlyphCache::Shared();
  cache.Clear();
  DesktopLyricStyle style;
  style.Face = QStringLiteral("DejaVu Sans Mono");
  style.Size = 40;
  const QImage first = DesktopLyricPainter::Render(QStringLiteral("ABBA"), style, 400, 92);
  const int drawn = cache.Misses();
  EXPECT_GT(drawn, 0);
  EXPECT_EQ(DesktopLyricPainter::Render(QStringLiteral("ABBA"), style, 400, 92), first);
  EXPECT_EQ(cache.Misses(), drawn) << "a line drawn again drew glyphs again";
  // "BAAB" has the same glyphs, at other places: within a quarter pixel they are the same
  // pictures, so few or none are new.
  DesktopLyricPainter::Render(QStringLiteral("BAAB"), style, 400, 92);
  EXPECT_LE(cache.Misses(), drawn * 2);

  DesktopLyricStyle red = style;
  red.ColorBegin = red.ColorEnd = QColor(0xE0, 0x20, 0x20);
  const QImage other = DesktopLyricPainter::Render(QStringLiteral("ABBA"), red, 400, 92);
  ASSERT_NE(other, first);
  int reddish = 0, greenish = 0;
  for (int y = 0; y < other.height(); ++y)
    for (int x = 0; x < other.width(); ++x) {
      const QRgb p = other.pixel(x, y);
      if (qAlpha(p) < 250) continue;
      reddish += qRed(p) > 180 && qGreen(p) < 80;
      greenish += qGreen(p) > 150 && qRed(p) < 120;
    }
  EXPECT_GT(reddish, 100);
  EXPECT_EQ(greenish, 0) << "the green pictures stood in for the red ones";

  // At 200 % the line is twice as large in device pixels, not the 100 % pictures placed twice
  // as far apart.
  const QImage twice = DesktopLyricPainter::Render(QStringLiteral("ABBA"), style, 400, 92, 2.0);
  auto inkWidth = [](const QImage& img) {
    int lo = img.width(), hi = -1;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (qAlpha(img.pixel(x, y)) > 128) {
          lo = std::min(lo, x);
          hi = std::max(hi, x);
        }
    return hi - lo + 1;
  };
  EXPECT_NEAR(inkWidth(twice), 2 * inkWidth(first), 4);
  int solid = 0;  // pixels wholly inside the glyphs: an enlarged picture would have few
  for (int y = 0; y < twice.height(); ++y)
    for (int x = 0; x < twice.width(); ++x) solid += qAlpha(twice.pixel(x, y)) == 255;
  int solidFirst = 0;
  for (int y = 0; y < first.height(); ++y)
    for (int x = 0; x < first.width(); ++x) solidFirst += qAlpha(first.pixel(x, y)) == 255;
  EXPECT_GT(solid, 3 * solidFirst);
}
