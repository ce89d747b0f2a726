// Sizes, notifications, drawing, streams and conversions of the 32-bit bitmap.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFontMetrics>

#include "ddvcl/EDDError.h"
#include "ddvcl/TDDBitmap32.h"
#include "ddvcl/TDDBitmapEx32.h"

using namespace vireo;

TEST(Bitmap32, SizeChangesNotifyThenResizeAndSameSizeIsSilent) {
  TDDBitmap32 b;
  EXPECT_TRUE(b.Empty());
  std::vector<std::string> log;
  b.OnChange = [&](TDDNotifiablePersistent*) { log.push_back("change"); };
  b.OnResize = [&](TDDNotifiablePersistent*) { log.push_back("resize"); };
  EXPECT_TRUE(b.SetSize(4, 3));
  EXPECT_EQ(log, (std::vector<std::string>{"change", "resize"}));
  EXPECT_FALSE(b.SetSize(4, 3));
  EXPECT_EQ(log.size(), 2u);
  // New memory is transparent black.
  EXPECT_EQ(b.Pixel(3, 2), 0u);
  EXPECT_EQ(b.ScanLine(1) - b.ScanLine(0), 4);

  EXPECT_TRUE(b.SetSize(-3, 10));
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 10);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Bits(), nullptr);
  b.Delete();
  EXPECT_EQ(b.Height(), 0);
}

TEST(Bitmap32, UpdateBracketsHoldNotificationsAndMustPair) {
  TDDBitmap32 b(2, 2);
  int changes = 0;
  b.OnChange = [&](TDDNotifiablePersistent*) { ++changes; };
  b.BeginUpdate();
  b.Clear(0xFF00FF00u);
  EXPECT_EQ(changes, 0);
  b.EndUpdate();
  EXPECT_EQ(changes, 0);  // closing a bracket does not notify by itself
  try {
    b.EndUpdate();
    FAIL() << "unpaired EndUpdate accepted";
  } catch (const EDDError& e) {
    EXPECT_STREQ(e.what(), "Unpaired TDDNotifiablePersistent.EndUpdate");
  }
}

TEST(Bitmap32, HugeSizesFailCleanlyAndLeaveTheBitmapEmpty) {
  TDDBitmap32 b(3, 3);
  try {
    b.SetSize(1 << 30, 1 << 30);
    FAIL() << "no error";
  } catch (const EDDError& e) {
    EXPECT_STREQ(e.what(), "Can't allocate DIB handle");
  }
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 0);
  EXPECT_EQ(b.Bits(), nullptr);
  EXPECT_TRUE(b.SetSize(2, 2));  // and it still works afterwards
}

TEST(Bitmap32, FillingAndAlpha) {
  TDDBitmap32 b(5, 4);
  b.Clear(0x80112233u);
  b.SetAllAlpha(300);
  EXPECT_EQ(b.Pixel(4, 3), 0xFF112233u);
  b.FillRect(1, 1, 3, 2, 0xFF0000FFu);
  EXPECT_EQ(b.Pixel(1, 1), 0xFF0000FFu);
  EXPECT_EQ(b.Pixel(2, 1), 0xFF0000FFu);
  EXPECT_EQ(b.Pixel(3, 1), 0xFF112233u);
  EXPECT_EQ(b.Pixel(1, 2), 0xFF112233u);
  b.FillRect(3, 3, 3, 4, 0u);  // X2 <= X1 fills nothing
  b.FillRect(2, 3, 4, 2, 0u);
  EXPECT_EQ(b.Pixel(3, 3), 0xFF112233u);
  // Rectangles beyond the edges are clipped rather than writing outside.
  b.FillRect(-5, -5, 100, 1, 0xFF000001u);
  EXPECT_EQ(b.Pixel(4, 0), 0xFF000001u);
  EXPECT_EQ(b.Pixel(4, 1), 0xFF112233u);
}

TEST(Bitmap32, LinesLeaveOutTheEndPointUnlessAsked) {
  TDDBitmap32 b(8, 8);
  const TColor32 c = 0xFFFFFFFFu;
  b.DrawLine(1, 1, 5, 1, c, false);
  EXPECT_EQ(b.Pixel(4, 1), c);
  EXPECT_EQ(b.Pixel(5, 1), 0u);
  b.DrawLine(6, 6, 6, 2, c, false);  // upward: rows 3..6
  EXPECT_EQ(b.Pixel(6, 3), c);
  EXPECT_EQ(b.Pixel(6, 6), c);
  EXPECT_EQ(b.Pixel(6, 2), 0u);
  b.Clear(0);
  // x-major Bresenham from (0,0) to (6,2): err starts at 3, grows by 2, y steps once it passes 6.
  b.DrawLine(0, 0, 6, 2, c, true);
  const int ys[7] = {0, 0, 1, 1, 1, 2, 2};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(b.Pixel(x, ys[x]), c) << x;
  int lit = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) lit += b.Pixel(x, y) == c;
  EXPECT_EQ(lit, 7);
  b.Clear(0);
  b.MoveTo(2, 2);
  b.LineTo(2, 5, c);
  EXPECT_EQ(b.PenPos(), QPoint(2, 5));
  EXPECT_EQ(b.Pixel(2, 4), c);
  EXPECT_EQ(b.Pixel(2, 5), 0u);
}

TEST(Bitmap32, DataStreamRoundTripsAndRejectsTruncation) {
  TDDBitmap32 a(3, 2);
  for (int i = 0; i < 6; ++i) a.Bits()[i] = 0x01020304u * TColor32(i + 1) ^ 0x80000000u;
  QBuffer buf;
  buf.open(QIODevice::ReadWrite);
  a.WriteData(buf);
  EXPECT_EQ(buf.size(), 8 + 6 * 4);
  const QByteArray bytes = buf.data();
  EXPECT_EQ(bytes.left(8), QByteArray("\x03\0\0\0\x02\0\0\0", 8));
  EXPECT_EQ(quint8(bytes[8]), quint8(a.Pixel(0, 0) & 0xFF));  // little-endian pixels
  buf.seek(0);
  TDDBitmap32 b;
  int changes = 0;
  b.OnChange = [&](TDDNotifiablePersistent*) { ++changes; };
  b.ReadData(buf);
  EXPECT_TRUE(a.Equal(b));
  EXPECT_GE(changes, 1);

  QBuffer cut;
  cut.setData(bytes.left(20));
  cut.open(QIODevice::ReadOnly);
  TDDBitmap32 c;
  EXPECT_THROW(c.ReadData(cut), EDDError);

  EXPECT_TRUE(a.WantsDataWritten(nullptr));
  EXPECT_FALSE(TDDBitmap32().WantsDataWritten(nullptr));
  EXPECT_FALSE(a.WantsDataWritten(&b));
  b.SetPixel(0, 0, 0);
  EXPECT_TRUE(a.WantsDataWritten(&b));
}

TEST(Bitmap32, EqualComparesClassSizeAndEveryByte) {
  TDDBitmap32 a, b;
  EXPECT_TRUE(a.Equal(b));
  a.SetSize(2, 2);
  EXPECT_FALSE(a.Equal(b));
  b.SetSize(2, 2);
  EXPECT_TRUE(a.Equal(b));
  b.SetPixel(1, 1, 0x01000000u);
  EXPECT_FALSE(a.Equal(b));
  TDDBitmapEx32 ex;
  ex.SetSize(2, 2);
  EXPECT_FALSE(a.Equal(ex));
  b.SetSize(1, 4);
  EXPECT_FALSE(a.Equal(b));
}

TEST(Bitmap32, AssignCopiesPixelsAndOpacityOrBecomesOpaqueFromOtherFormats) {
  TDDBitmap32 a(2, 1);
  a.SetPixel(0, 0, 0x40FF0000u);
  a.SetOpacity(99);
  TDDBitmap32 b;
  int changes = 0;
  b.OnChange = [&](TDDNotifiablePersistent*) { ++changes; };
  b.Assign(&a);
  EXPECT_TRUE(b.Equal(a));
  EXPECT_EQ(b.Opacity(), 99u);
  EXPECT_EQ(changes, 1);  // one notification at the end of the bracket
  b.Assign(static_cast<const TDDBitmap32*>(nullptr));
  EXPECT_TRUE(b.Empty());

  QImage rgb(2, 2, QImage::Format_RGB888);
  rgb.fill(QColor(10, 20, 30));
  b.Assign(rgb);
  EXPECT_EQ(b.Pixel(1, 1), 0xFF0A141Eu);
  QImage argb(1, 1, QImage::Format_ARGB32);
  argb.setPixel(0, 0, 0x33445566u);
  b.Assign(argb);
  EXPECT_EQ(b.Pixel(0, 0), 0x33445566u);  // 32-bit keeps its alpha
  // A transparent colour (0x00BBGGRR) clears the alpha of its pixels.
  rgb.setPixel(0, 0, qRgb(1, 2, 3));
  b.Assign(rgb, TColorRef(0x030201));
  EXPECT_EQ(b.Pixel(0, 0), 0x00010203u);
  EXPECT_EQ(b.Pixel(1, 0), 0xFF0A141Eu);
  QImage back;
  b.AssignTo(back);
  EXPECT_EQ(back.pixel(0, 0), 0x00010203u);
}

TEST(Bitmap32, ColourConversions) {
  EXPECT_EQ(Color32FromColor(0x00332211), 0xFF112233u);
  EXPECT_EQ(Color32NoAlpha(0x00332211), 0x00112233u);
  EXPECT_EQ(Color32FromColor(clBtnFace) >> 24, 0xFFu);
  EXPECT_EQ(AlphaOf(0x7F000000u), 0x7Fu);
  EXPECT_EQ(WithAlpha(0x12345678u, -5), 0x00345678u);
  EXPECT_EQ(WithAlpha(0x12345678u, 999), 0xFF345678u);
}

TEST(BitmapEx32, EmptyBitmapCountsLineBreaksInTextExtent) {
  TDDBitmapEx32 b;
  const QString text = QStringLiteral("a\r\nb");
  const QSize whole = b.TextExtent(QStringLiteral("a\r\nb"));
  QImage probe(8, 8, QImage::Format_ARGB32);
  const QFontMetrics fm(b.Font(), &probe);
  EXPECT_EQ(whole.height(), 2 * fm.height());
  EXPECT_EQ(whole.width(), fm.horizontalAdvance(text) + 2);
  // With pixels the measurement is one line as drawn.
  b.SetSize(40, 20);
  EXPECT_EQ(b.TextExtent(text).height(), fm.height());
  EXPECT_EQ(b.TextWidth(QString()), 0);
}

TEST(BitmapEx32, TextOutDrawsIntoThePixelsInTheFontColour) {
  TDDBitmapEx32 b;
  b.SetSize(60, 30);
  b.Clear(0xFF000000u);
  b.SetFontColor(0x0000FF);  // red
  QFont f = b.Font();
  f.setPixelSize(20);
  b.SetFont(f);
  int changes = 0;
  b.OnChange = [&](TDDNotifiablePersistent*) { ++changes; };
  b.TextOut(2, 2, QStringLiteral("MW"));
  EXPECT_EQ(changes, 1);
  int red = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) {
      const TColor32 p = b.Pixel(x, y);
      EXPECT_EQ(p & 0x0000FFFFu, 0u);  // only red ever appears
      red += ((p >> 16) & 0xFF) > 200;
    }
  EXPECT_GT(red, 10);
}
