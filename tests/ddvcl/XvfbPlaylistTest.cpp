// The playlist in a real X11 window under Xvfb and openbox: rows 2 and 3 are selected with a
// click and a Shift+click and dragged onto row 5 with the real pointer (xdotool). Needs DISPLAY.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QWindow>

#include "TestEnv.h"
#include "XPointer.h"
#include "ddvcl/TDDPlaylist.h"
#include "ddvcl/TDDScrollBar.h"

using namespace vireo;
using vireo::test::WaitUntil;
using vireo::test::XPointer;

namespace {

// The window as the X server shows it now.
QImage Shot(QWidget& w) {
  return QGuiApplication::primaryScreen()->grabWindow(w.winId()).toImage();
}

QStringList Titles(TDDPlaylist& list) {
  QStringList out;
  for (int i = 0; i < list.Count(); ++i) out << list.Items()[i].Title;
  return out;
}

}  // namespace

TEST(XvfbPlaylist, DraggingRowsTwoAndThreeOntoRowFiveKeepsThePlayingEntry) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "no X display";
  if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
    GTEST_SKIP() << "xdotool missing";

  TDDPlaylist list;
  list.setWindowFlag(Qt::FramelessWindowHint);
  list.setGeometry(300, 300, 240, 14 * 8);
  list.SetTimeFormat(QStringLiteral("nn:ss"));
  list.SetSelectionColor(0xFF316AC5u);
  {
    TDDPlaylistItems::Update update(list.Items());
    for (int i = 0; i < 6; ++i) {
      TDDPlaylistItem& item = list.Items().Add();
      item.Title = QStringLiteral("row%1").arg(i);
      item.Caption = item.Title + QStringLiteral(" - Artist");
      item.LongTime = (i + 1) / 1440.0;
    }
  }
  list.SetCurrentItem(3);  // row3 plays and is dragged along
  list.show();
  ASSERT_TRUE(
      WaitUntil([&] { return list.windowHandle() && list.windowHandle()->isExposed(); }, 10000));
  // Where the window manager put it: the rows are found on the screen from there.
  ASSERT_TRUE(WaitUntil([&] { return list.frameGeometry().topLeft() == QPoint(300, 300); }, 5000));

  XPointer pointer;
  const auto row = [&](int r) { return list.mapToGlobal(QPoint(60, r * 14 + 7)); };
  ASSERT_TRUE(pointer.MoveTo(row(2)));
  ASSERT_TRUE(pointer.Click());
  ASSERT_TRUE(pointer.MoveTo(row(3)));
  XPointer::KeyDown(QStringLiteral("shift"));
  ASSERT_TRUE(pointer.Click());
  XPointer::KeyUp(QStringLiteral("shift"));
  ASSERT_TRUE(WaitUntil([&] { return list.Model().SelectedCount() == 2; }, 3000));
  ASSERT_TRUE(list.Model().IsSelected(2) && list.Model().IsSelected(3));

  // Press on row 2 and drag in small steps down to row 5; look at the drop line on the way.
  ASSERT_TRUE(pointer.MoveTo(row(2)));
  ASSERT_TRUE(pointer.Press());
  for (int i = 1; i <= 8; ++i) ASSERT_TRUE(pointer.MoveTo(row(2) + (row(5) - row(2)) * i / 8)) << i;
  ASSERT_TRUE(WaitUntil([&] { return list.DropY() == 70; }, 3000)) << list.DropY();
  EXPECT_TRUE(list.Rearranging());
  const QString dir = QStringLiteral(VIREO_BINARY_DIR "/tests/ddvcl");
  QDir().mkpath(dir);
  // The line is on the screen once the list has repainted.
  QImage during = Shot(list);
  WaitUntil(
      [&] {
        during = Shot(list);
        return (during.pixel(200, 70) & 0xFFFFFFu) == 0u;
      },
      3000);
  during.save(dir + QStringLiteral("/xvfb-playlist-drag.png"));
  ASSERT_TRUE(pointer.Release());
  ASSERT_TRUE(WaitUntil([&] { return !list.Rearranging(); }, 3000));

  EXPECT_EQ(Titles(list),
            (QStringList{QStringLiteral("row0"), QStringLiteral("row1"), QStringLiteral("row4"),
                         QStringLiteral("row2"), QStringLiteral("row3"), QStringLiteral("row5")}));
  EXPECT_EQ(list.CurrentItem(), 4);
  EXPECT_EQ(list.Items()[list.CurrentItem()].Title, QStringLiteral("row3"));
  EXPECT_FALSE(list.Model().CurrentLost());

  // The drop line was drawn across the rows at y 70 in the text colour (black by default).
  EXPECT_EQ(during.pixel(5, 70) & 0xFFFFFFu, 0u);
  EXPECT_EQ(during.pixel(200, 70) & 0xFFFFFFu, 0u);
  QImage after = Shot(list);
  WaitUntil(
      [&] {
        after = Shot(list);
        return (after.pixel(200, 70) & 0xFFFFFFu) == 0xFFFFFFu;
      },
      3000);
  after.save(dir + QStringLiteral("/xvfb-playlist-after.png"));
  EXPECT_EQ(after.pixel(200, 70) & 0xFFFFFFu, 0xFFFFFFu);  // gone with the drag
}
