// The nine-part frame, the corner cut-outs, the back buffer pipeline and the form's own input.
#include <gtest/gtest.h>

#include <QMenu>

#include "ControlTestUtil.h"
#include "TestEnv.h"
#include "ddvcl/TDDButton.h"
#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TDDLinkLabel.h"
#include "ddvcl/TDDWindow.h"
#include "ddvcl/TScrollText.h"

using namespace vireo;
using namespace vireo::test;

namespace {

// Piece colours: the high byte names the piece, then column and row inside it.
constexpr TColor32 kTL = 0xFF100000u, kTM = 0xFF200000u, kTR = 0xFF300000u, kBL = 0xFF400000u,
                   kBM = 0xFF500000u, kBR = 0xFF600000u, kLM = 0xFF700000u, kRM = 0xFF800000u,
                   kTC = 0xFF900000u;
constexpr TColor32 kFrame = 0xFF112233u;

TColor32 Piece(TColor32 base, int col, int row) {
  return base | TColor32(col) << 8 | TColor32(row);
}

void SetUpPieces(TDDWindow& w) {
  TDDBitmap32 sheet(30, 10);
  PaintSprite(sheet, 0, 0, 4, 4, kTL);
  PaintSprite(sheet, 4, 0, 5, 3, kTM);
  PaintSprite(sheet, 9, 0, 4, 4, kTR);
  PaintSprite(sheet, 13, 0, 3, 5, kBL);
  PaintSprite(sheet, 16, 0, 6, 2, kBM);
  PaintSprite(sheet, 22, 0, 4, 5, kBR);
  PaintSprite(sheet, 0, 5, 2, 3, kLM);
  PaintSprite(sheet, 2, 5, 3, 3, kRM);
  PaintSprite(sheet, 5, 5, 7, 4, kTC);
  w.SetImage(sheet);
  w.SetTopLeft({0, 0, 4, 4});
  w.SetTopMiddle({4, 0, 5, 3});
  w.SetTopRight({9, 0, 4, 4});
  w.SetBottomLeft({13, 0, 3, 5});
  w.SetBottomMiddle({16, 0, 6, 2});
  w.SetBottomRight({22, 0, 4, 5});
  w.SetLeftMiddle({0, 5, 2, 3});
  w.SetRightMiddle({2, 5, 3, 3});
  w.SetColor(0x00332211);
}

// Where each pixel of a 31 x 20 frame comes from, read off the tiling rules.
TColor32 ExpectedFrame(int x, int y, bool centre) {
  if (y >= 15 && x >= 27) return Piece(kBR, x - 27, y - 15);
  if (y >= 15 && x < 3) return Piece(kBL, x, y - 15);
  if (y >= 18 && x >= 3) return Piece(kBM, (x - 3) % 6, y - 18);
  if (y < 4 && x < 4) return Piece(kTL, x, y);
  if (y < 4 && x >= 27) return Piece(kTR, x - 27, y);
  if (centre) {
    // c = 31 div 2 - 7 div 2 = 12; tiles 4, 9 before it, 19, 24 after it.
    if (y < 4 && x >= 12 && x < 19) return Piece(kTC, x - 12, y);
    if (y < 3 && x >= 4 && x < 12) return Piece(kTM, (x - 4) % 5, y);
    if (y < 3 && x >= 19 && x < 27) return Piece(kTM, (x - 19) % 5, y);
  } else if (y < 3 && x >= 4 && x < 27) {
    return Piece(kTM, (x - 4) % 5, y);
  }
  if (y >= 4 && y < 16 && x < 2) return Piece(kLM, x, (y - 4) % 3);
  if (y >= 4 && y < 16 && x >= 28) return Piece(kRM, x - 28, (y - 4) % 3);
  return kFrame;
}

}  // namespace

TEST(Frame, NinePiecesTileAroundTheFrameColour) {
  TDDWindow frame;
  SetUpPieces(frame);
  for (bool centre : {false, true}) {
    if (centre) frame.SetTopCenter({5, 5, 7, 4});
    TDDBitmap32 out;
    frame.RenderFrame(out, 31, 20);
    ASSERT_EQ(out.Width(), 31);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 31; ++x)
        ASSERT_EQ(out.Pixel(x, y), ExpectedFrame(x, y, centre))
            << "centre " << centre << " at " << x << "," << y;
  }
}

TEST(Frame, TileSizesOfZeroAreGuarded) {
  TDDWindow frame;
  SetUpPieces(frame);
  frame.SetTopMiddle({4, 0, 0, 3});
  frame.SetBottomMiddle({16, 0, -2, 2});
  frame.SetLeftMiddle({0, 5, 2, 0});
  EXPECT_EQ(frame.TopMiddle().W, 5);
  EXPECT_EQ(frame.BottomMiddle().W, 5);
  EXPECT_EQ(frame.LeftMiddle().H, 5);
  frame.SetRightMiddle({2, 5, 0, 0});  // stored as given
  EXPECT_EQ(frame.RightMiddle().W, 0);
  TDDBitmap32 out;
  frame.RenderFrame(out, 50, 40);  // finishes, and the top edge is tiled
  EXPECT_EQ(out.Pixel(4, 0), Piece(kTM, 0, 0));
}

TEST(Frame, CornerPixelsThatAreNotFullyOpaqueAreCutOut) {
  TDDFormEx form;
  form.resize(40, 30);
  auto* frame = new TDDWindow(&form);
  SetUpPieces(*frame);
  TDDBitmap32 sheet;
  sheet.Assign(&frame->Image());
  sheet.SetPixel(0, 0, 0x00000000u);  // top-left corner: transparent
  sheet.SetPixel(1, 0, 0xFE000000u);  // 254 is outside
  sheet.SetPixel(0, 1, 0x80FFFFFFu);
  sheet.SetPixel(12, 0, 0x00FFFFFFu);  // top-right corner's top-right pixel
  sheet.SetPixel(25, 4, 0x10FFFFFFu);  // bottom-right corner's last pixel
  frame->SetImage(sheet);
  EXPECT_EQ(frame->geometry(), QRect(0, 0, 40, 30));  // fills the form
  frame->SetShaped(true);
  const QRegion mask = form.mask();
  EXPECT_FALSE(mask.contains(QPoint(0, 0)));
  EXPECT_FALSE(mask.contains(QPoint(1, 0)));
  EXPECT_FALSE(mask.contains(QPoint(0, 1)));
  EXPECT_TRUE(mask.contains(QPoint(2, 0)));
  EXPECT_TRUE(mask.contains(QPoint(1, 1)));
  EXPECT_FALSE(mask.contains(QPoint(39, 0)));
  EXPECT_TRUE(mask.contains(QPoint(38, 0)));
  EXPECT_FALSE(mask.contains(QPoint(39, 29)));
  EXPECT_TRUE(mask.contains(QPoint(0, 29)));  // an opaque corner stays square
  EXPECT_TRUE(mask.contains(QPoint(20, 15)));

  // The outline follows the form's size (shown forms get their resize events at once).
  form.show();
  form.resize(60, 50);
  EXPECT_EQ(frame->width(), 60);
  EXPECT_FALSE(form.mask().contains(QPoint(59, 0)));
  EXPECT_TRUE(form.mask().contains(QPoint(39, 0)));
  EXPECT_FALSE(form.mask().contains(QPoint(59, 49)));

  frame->SetShaped(false);
  EXPECT_TRUE(form.mask().isEmpty());
  EXPECT_FALSE(frame->Shaped());
}

TEST(Frame, RegionFromAlphaCollectsRunsRowByRow) {
  TDDBitmap32 b(5, 2);
  b.Clear(0xFFFFFFFFu);
  EXPECT_TRUE(TDDWindow::RegionFromAlpha(b).isEmpty());
  b.SetPixel(1, 0, 0x00000000u);
  b.SetPixel(2, 0, 0x7F000000u);
  b.SetPixel(4, 1, 0xFE000000u);
  const QRegion r = TDDWindow::RegionFromAlpha(b);
  EXPECT_EQ(r, QRegion(1, 0, 2, 1) + QRegion(4, 1, 1, 1));
}

TEST(Frame, ControlsBlendOverTheBackBufferTheFrameBuilt) {
  TDDFormEx form;
  form.resize(31, 20);
  auto* frame = new TDDWindow(&form);
  SetUpPieces(*frame);
  frame->setEnabled(false);
  auto* button = new TDDButton(&form);
  button->setGeometry(10, 5, 6, 4);
  TDDBitmap32 sheet(6, 4);
  sheet.Clear(0x80FF0000u);  // half-transparent red
  button->SetImage(sheet);

  // Painting the whole form runs the frame first, then the button from the buffer.
  const QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(form.BackBuffer().Width(), 31);
  EXPECT_EQ(form.BackBuffer().Pixel(12, 6), kFrame);
  // Half-transparent red over 0xFF112233, A = 128: red (255*128 + 17*128 + 128) >> 8 = 136 = 88,
  // green (0 + 34*128 + 128) >> 8 = 17 = 11, blue (0 + 51*128 + 128) >> 8 = 26 = 1A, alpha C0.
  constexpr TColor32 kRedOverFrame = 0xC088111Au;
  EXPECT_EQ(shot.pixel(12, 6) & 0xFFFFFFu, kRedOverFrame & 0xFFFFFFu);
  EXPECT_EQ(shot.pixel(0, 0) & 0xFFFFFFu, Piece(kTL, 0, 0) & 0xFFFFFFu);
  EXPECT_EQ(shot.pixel(20, 10) & 0xFFFFFFu, kFrame & 0xFFFFFFu);

  TDDBitmap32 alone;
  button->RenderTo(alone);
  EXPECT_EQ(alone.Pixel(0, 0), kRedOverFrame);

  // The frame is kept between paints; a new colour, a new sheet or a new size draws it again
  // (a skin change must not leave the old frame under the controls).
  frame->SetColor(0x00445566);  // TColorRef 0x00BBGGRR: red 66, green 55, blue 44
  form.grab();
  EXPECT_EQ(form.BackBuffer().Pixel(20, 10), 0xFF665544u);
  TDDBitmap32 blank(30, 10);
  blank.Clear(0xFF0A0B0Cu);
  frame->SetImage(blank);
  form.grab();
  EXPECT_EQ(form.BackBuffer().Pixel(0, 0), 0xFF0A0B0Cu);
  form.resize(41, 20);
  form.grab();
  EXPECT_EQ(form.BackBuffer().Width(), 41);

  // Without a skinned form under it a control blends onto transparent black.
  QWidget plain;
  auto* orphan = new TDDButton(&plain);
  orphan->resize(6, 4);
  orphan->SetImage(sheet);
  orphan->RenderTo(alone);
  // Over 0: each channel (s*128 + 128) >> 8, so FF gives 80 and alpha 80 gives 40.
  EXPECT_EQ(alone.Pixel(3, 3), 0x40800000u);
}

TEST(Form, BodyPressStartsTheMoveUnlessASizingCursorIsShown) {
  TDDFormEx form;
  form.setGeometry(100, 100, 120, 80);
  int downs = 0;
  form.OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++downs; };
  Press(&form, QPoint(10, 10));
  EXPECT_TRUE(form.InMoveLoop());
  EXPECT_EQ(downs, 0);
  Release(&form, QPoint(10, 10));
  EXPECT_FALSE(form.InMoveLoop());

  form.setCursor(Qt::SizeHorCursor);
  Press(&form, QPoint(1, 40));
  EXPECT_FALSE(form.InMoveLoop());
  EXPECT_EQ(downs, 1);
  Release(&form, QPoint(1, 40));
  form.unsetCursor();
  Press(&form, QPoint(10, 10), Qt::RightButton);
  EXPECT_EQ(downs, 2);
  EXPECT_FALSE(form.InMoveLoop());
}

TEST(Form, RightReleaseOpensAMenuWithoutAutomaticPopUpAtTheCursor) {
  TDDFormEx form;
  form.setGeometry(50, 50, 100, 80);
  QMenu menu;
  menu.addAction(QStringLiteral("item"));
  SetAutoPopup(&menu, false);
  form.SetPopupMenu(&menu);
  Release(&form, QPoint(20, 20), Qt::RightButton);
  EXPECT_TRUE(WaitUntil([&] { return menu.isVisible(); }, 2000));
  menu.close();
}

namespace {
// A form whose Shift key the test holds.
class ShiftForm : public TDDFormEx {
 public:
  bool shift = false;

 protected:
  bool ShiftHeld() const override { return shift; }
};
}  // namespace

TEST(Form, MasterMoveTakesTouchingFormsAlongUntilShiftReleasesThem) {
  ShiftForm master;
  master.SetTag(1);
  master.setGeometry(100, 100, 200, 100);
  TDDFormEx beside, chained, desktopLyric, apart;
  beside.setGeometry(300, 120, 80, 50);         // touches the master's right edge
  chained.setGeometry(380, 130, 60, 30);        // beside "beside" only
  desktopLyric.setGeometry(100, 200, 200, 30);  // under the master, but excluded
  desktopLyric.SetTag(3);
  apart.setGeometry(500, 500, 50, 50);
  for (QWidget* w :
       std::initializer_list<QWidget*>{&master, &beside, &chained, &desktopLyric, &apart})
    w->show();

  master.EnterSizeMove();
  EXPECT_TRUE(master.Moving());
  EXPECT_EQ(beside.Tag(), 2);
  EXPECT_EQ(chained.Tag(), 2);
  EXPECT_EQ(desktopLyric.Tag(), 3);
  EXPECT_EQ(apart.Tag(), 0);

  const QRect to = master.WindowPosChanging(QRect(130, 90, 200, 100));
  EXPECT_EQ(to, QRect(130, 90, 200, 100));
  EXPECT_EQ(beside.frameGeometry().topLeft(), QPoint(330, 110));
  EXPECT_EQ(chained.frameGeometry().topLeft(), QPoint(410, 120));
  EXPECT_EQ(desktopLyric.frameGeometry().topLeft(), QPoint(100, 200));
  master.move(to.topLeft());

  // Shift: no snapping (the work area's left edge is within reach) and the group is let go.
  master.shift = true;
  EXPECT_EQ(master.WindowPosChanging(QRect(5, 90, 200, 100)).x(), 5);
  EXPECT_FALSE(master.Moving());
  EXPECT_EQ(beside.Tag(), 0);
  EXPECT_EQ(chained.Tag(), 0);
  EXPECT_EQ(beside.frameGeometry().topLeft(), QPoint(330, 110));
  master.shift = false;
  EXPECT_EQ(master.WindowPosChanging(QRect(5, 90, 200, 100)).x(), 0);
  master.ExitSizeMove();
}

TEST(Form, ADockedFormKeepsItsPlaceWhenTheWindowSystemReportsMovesLate) {
  // A window manager that confirms moves late makes Qt report an older place for a docked form
  // between two steps of the pointer; the group must still end where the master took it.
  TDDFormEx master, below;
  master.SetTag(1);
  master.setGeometry(100, 100, 200, 100);
  below.setGeometry(100, 200, 200, 80);
  master.show();
  below.show();
  master.EnterSizeMove();
  for (int step = 1; step <= 5; ++step) {
    const QPoint was = below.frameGeometry().topLeft();
    const QRect to = master.WindowPosChanging(QRect(100 + 10 * step, 100 - 8 * step, 200, 100));
    master.move(to.topLeft());
    if (step < 5) below.move(was);  // the late report of where it stood before this step
  }
  EXPECT_EQ(master.frameGeometry().topLeft(), QPoint(150, 60));
  EXPECT_EQ(below.frameGeometry().topLeft(), QPoint(150, 160));
  master.ExitSizeMove();
}

TEST(Form, ThePointerMovesTheWindowThroughTheDisabledFrameButNotThroughLabels) {
  TDDFormEx form;
  form.setGeometry(100, 100, 120, 80);
  auto* frame = new TDDWindow(&form);
  frame->setEnabled(false);
  EXPECT_TRUE(frame->testAttribute(Qt::WA_TransparentForMouseEvents));
  auto* title = new TScrollText(&form);
  title->setGeometry(10, 10, 60, 20);
  auto* link = new TDDLinkLabel(&form);
  link->setGeometry(10, 40, 60, 20);
  int titleDowns = 0;
  title->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    ++titleDowns;
  };
  Press(frame, QPoint(90, 70));
  EXPECT_TRUE(form.InMoveLoop());
  Release(&form, QPoint(90, 70));
  Press(title, QPoint(5, 5));
  EXPECT_EQ(titleDowns, 1);
  EXPECT_FALSE(form.InMoveLoop());
  Press(link, QPoint(5, 5));
  EXPECT_FALSE(form.InMoveLoop());
}
