// Two real borderless windows under Xvfb and openbox: the pointer drags one next to the other, it
// snaps edge to edge, and then the main window takes it along. Needs DISPLAY and xdotool.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QWindow>

#include "TestEnv.h"
#include "XPointer.h"
#include "ddvcl/TDDButton.h"
#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TDDWindow.h"

using namespace vireo;
using vireo::test::WaitUntil;
using vireo::test::XPointer;

namespace {

// Drags with the left button from one screen point to another in small steps; each step goes on
// once the window under the pointer has received the one before.
void Drag(QPoint from, QPoint to) {
  XPointer pointer;
  ASSERT_TRUE(pointer.MoveTo(from));
  ASSERT_TRUE(pointer.Press());
  const int steps = 12;
  for (int i = 1; i <= steps; ++i) ASSERT_TRUE(pointer.MoveTo(from + (to - from) * i / steps)) << i;
  ASSERT_TRUE(pointer.Release());
}

// The desktop as the X server shows it now.
QImage Screen() {
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

// A frame sheet: 8 x 8 corners with one cut-out pixel each, 8-pixel edges, in one colour family.
void Skin(TDDFormEx& form, TColor32 base) {
  auto* frame = new TDDWindow(&form);
  TDDBitmap32 sheet(40, 8);
  sheet.Clear(base);
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 8; ++y)
      if (y < 2 || x % 8 < 2) sheet.SetPixel(x, y, base | 0x00FFFFFFu);
  for (int c : {0, 2, 3, 4}) sheet.SetPixel(c * 8, 0, 0);  // a see-through pixel per corner
  frame->SetImage(sheet);
  const TSpriteRect piece{0, 0, 8, 8};
  frame->SetTopLeft(piece);
  frame->SetTopMiddle({8, 0, 8, 8});
  frame->SetTopRight({16, 0, 8, 8});
  frame->SetBottomLeft({24, 0, 8, 8});
  frame->SetBottomMiddle({8, 0, 8, 8});
  frame->SetBottomRight({32, 0, 8, 8});
  frame->SetLeftMiddle({8, 0, 8, 8});
  frame->SetRightMiddle({8, 0, 8, 8});
  frame->SetColor(TColorRef(((base & 0xFF) << 16) | (base & 0xFF00) | ((base >> 16) & 0xFF)));
  frame->setEnabled(false);
  frame->SetShaped(true);
}

// Waits until the window is on the screen where it was put. A window manager that starts at the
// same moment as the test may place it once more, so the position is asked for again meanwhile.
bool Shown(QWidget& w, QPoint at) {
  int polls = 0;
  const bool ok = WaitUntil(
      [&] {
        if (!w.windowHandle() || !w.windowHandle()->isExposed()) return false;
        if (w.frameGeometry().topLeft() == at) return true;
        if (++polls % 50 == 0) w.move(at);
        return false;
      },
      10000);
  if (!ok)
    ADD_FAILURE() << "window at " << w.frameGeometry().x() << "," << w.frameGeometry().y()
                  << " exposed " << (w.windowHandle() && w.windowHandle()->isExposed());
  return ok;
}

}  // namespace

TEST(XvfbSnap, DraggedWindowSnapsToTheMainWindowWhichThenTakesItAlong) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "no X display";
  if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
    GTEST_SKIP() << "xdotool missing";

  TDDFormEx mainForm;
  mainForm.SetTag(1);
  mainForm.setGeometry(200, 200, 240, 120);
  Skin(mainForm, 0xFF203060u);
  auto* button = new TDDButton(&mainForm);
  button->setGeometry(100, 50, 40, 20);
  TDDBitmap32 sprite(40, 20);
  sprite.Clear(0xC0E0A020u);
  button->SetImage(sprite);

  TDDFormEx other;
  other.setGeometry(600, 230, 160, 100);
  Skin(other, 0xFF206030u);

  mainForm.show();
  other.show();
  ASSERT_TRUE(Shown(mainForm, QPoint(200, 200)));
  ASSERT_TRUE(Shown(other, QPoint(600, 230)));

  // Leave 6 pixels between the windows, within the snapping distance of 10: the left edge meets
  // the main window's right edge, and the bottoms (330 against 320) line up as well.
  ASSERT_NO_FATAL_FAILURE(Drag(QPoint(680, 280), QPoint(680 - 154, 280)));
  EXPECT_TRUE(WaitUntil([&] { return other.frameGeometry().topLeft() == QPoint(440, 220); }, 3000))
      << "other at " << other.frameGeometry().x() << "," << other.frameGeometry().y();
  EXPECT_FALSE(other.InMoveLoop());

  // Now the two touch: moving the main window by its body takes the other one along.
  ASSERT_NO_FATAL_FAILURE(Drag(QPoint(300, 230), QPoint(350, 270)));
  EXPECT_TRUE(
      WaitUntil([&] { return mainForm.frameGeometry().topLeft() == QPoint(250, 240); }, 3000))
      << "main at " << mainForm.frameGeometry().x() << "," << mainForm.frameGeometry().y();
  EXPECT_TRUE(WaitUntil([&] { return other.frameGeometry().topLeft() == QPoint(490, 260); }, 3000))
      << "other at " << other.frameGeometry().x() << "," << other.frameGeometry().y();
  EXPECT_EQ(other.Tag(), 0);  // released at the end of the move
  EXPECT_FALSE(mainForm.Moving());

  // The two frames meet without a gap: the last column of the main window's right edge, then
  // the light first column of the other window's left edge, then its own colour. The windows
  // repaint where they landed once the server has exposed them there: wait for that.
  QImage img = Screen();
  WaitUntil(
      [&] {
        img = Screen();
        return (img.pixel(490, 303) & 0xFFFFFFu) == 0xFFFFFFu &&
               (img.pixel(492, 303) & 0xFFFFFFu) == 0x206030u;
      },
      3000);
  const QString dir = QStringLiteral(VIREO_BINARY_DIR "/tests/ddvcl");
  QDir().mkpath(dir);
  EXPECT_TRUE(img.save(dir + QStringLiteral("/xvfb-snap.png")));
  EXPECT_EQ(img.pixel(489, 303) & 0xFFFFFFu, 0x203060u);
  EXPECT_EQ(img.pixel(490, 303) & 0xFFFFFFu, 0xFFFFFFu);
  EXPECT_EQ(img.pixel(492, 303) & 0xFFFFFFu, 0x206030u);
  // The cut-out corner shows the desktop, the pixel beside it the frame.
  EXPECT_EQ(img.pixel(250, 240) & 0xFFFFFFu, 0u);
  EXPECT_EQ(img.pixel(251, 240) & 0xFFFFFFu, 0xFFFFFFu);
}
