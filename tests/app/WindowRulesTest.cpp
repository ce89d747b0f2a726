// The open dialog's filter in Qt's form, and where a window opens on a screen too small for the
// usual place.
#include <gtest/gtest.h>

#include "app/mainwindow/DialogFilter.h"
#include "app/skinning/ScreenFit.h"

using namespace vireo;

TEST(DialogFilter, PairsBecomeQtFiltersAndEmptyOnesGo) {
  EXPECT_EQ(DialogFilter::ToQt(QStringLiteral("所有音乐|*.mp1;*.mp3|播放列表|*.m3u")),
            QStringLiteral("所有音乐 (*.mp1 *.mp3);;播放列表 (*.m3u)"));
  EXPECT_EQ(DialogFilter::ToQt(QStringLiteral("A|*.a;; ;*.b|B|")), QStringLiteral("A (*.a *.b)"));
  EXPECT_EQ(DialogFilter::ToQt(QString()), QString());
}

TEST(ScreenFit, TheUsualPlaceWhereItFitsElseTheOtherSideElseInside) {
  const QRect screen(0, 0, 640, 512);
  const QRect main(100, 10, 363, 490);
  // Below does not fit, above does not either: kept inside, at the bottom.
  EXPECT_EQ(ScreenFit::Below(main, QSize(354, 155), screen), QRect(100, 357, 354, 155));
  // Right does not fit, left does not either: kept inside at the right edge.
  EXPECT_EQ(ScreenFit::RightOf(main, QSize(200, 100), screen), QRect(440, 10, 200, 100));
  // On a large screen the usual places.
  const QRect big(0, 0, 1280, 1024);
  EXPECT_EQ(ScreenFit::Below(main, QSize(354, 155), big), QRect(100, 500, 354, 155));
  EXPECT_EQ(ScreenFit::RightOf(main, QSize(640, 480), big), QRect(463, 10, 640, 480));
  // Wider than the screen: the top-left corner stays on it.
  EXPECT_EQ(ScreenFit::Inside(QRect(-50, -20, 800, 100), screen).topLeft(), QPoint(0, 0));
  EXPECT_EQ(ScreenFit::Inside(QRect(600, 500, 100, 100), screen), QRect(540, 412, 100, 100));
}
