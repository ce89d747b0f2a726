// The lyric view on a real X11 window (Xvfb with openbox) at the screen scale the test runs under
// (CTest runs this program at 100, 150 and 200 % through QT_SCALE_FACTOR). Its text is drawn at
// device pixels, not enlarged from 100 %: the current line's ink as the X server shows it is
// much nearer the same text drawn at device scale than the same text drawn at 100 % and blown
// up; the line stands where the skin's pixels say (its ink inside the line's rows, centred); and
// a karaoke line's fill ends at the right device column at known times. Photographs land in the
// build folder (tests/ddvcl/lrcview-<percent>.png) for people to compare with the 100 % one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <cmath>

#include "StillImage.h"
#include "TestEnv.h"
#include "ddvcl/TDDLrcShow.h"

using namespace vireo;
using vireo::test::StillImage;
using vireo::test::WaitUntil;

namespace {

constexpr TColorRef kBlack = 0x000000, kRedRef = 0x0000FF, kBlueRef = 0xFF0000;

struct Shown {
  TDDLrcShow v;
  double dpr = 1;
  Shown() {
    v.setWindowFlags(Qt::FramelessWindowHint);
    v.setGeometry(40, 40, 300, 120);
    v.SetLrcSpace(4);
    v.SetBGColor(kBlack);
    v.SetLrcColor(kBlueRef);
    v.SetLrcCurrColor(kRedRef);
    v.SetLrcFontName(QStringLiteral("DejaVu Sans"));
    v.SetLrcFontSize(11);
    v.show();
  }
  bool Ready() {
    if (!WaitUntil([&] { return v.windowHandle() && v.windowHandle()->isExposed(); }, 10000))
      return false;
    dpr = v.devicePixelRatioF();
    return true;
  }
  // The view as the X server shows it, in device pixels.
  QImage Grab() {
    v.repaint();
    const QPoint at = v.mapToGlobal(QPoint(0, 0));
    QImage screen = StillImage([] { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); });
    screen.setDevicePixelRatio(1.0);
    const QRect device(int(std::lround(at.x() * dpr)), int(std::lround(at.y() * dpr)),
                       int(std::ceil(v.width() * dpr)), int(std::ceil(v.height() * dpr)));
    return screen.copy(device).convertToFormat(QImage::Format_RGB32);
  }
  // The control rows of the current line's text.
  int LineTop() const {
    return v.BufferTop() + v.LastCurrent() * v.CellHeight() + v.height() / 2;
  }
};

// Device rows and columns holding red ink (the current line) within rows [top, bottom).
QRect RedInk(const QImage& img, int top, int bottom) {
  QRect r;
  for (int y = std::max(0, top); y < std::min(bottom, img.height()); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qRed(img.pixel(x, y)) > 0x30) r |= QRect(x, y, 1, 1);
  return r;
}

int Percent(double dpr) {
  return int(std::lround(dpr * 100));
}

// The line drawn in red on black as the view places it, at 100 % and scaled up to the device
// (enlarged) or straight at the device's scale (sharp).
QImage Reference(const Shown& s, const QString& text, bool sharp) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSize(11);
  const QImage probe(1, 1, QImage::Format_RGB32);
  const QFontMetrics fm(font, &probe);
  const QSize device(int(std::ceil(s.v.width() * s.dpr)), int(std::ceil(s.v.height() * s.dpr)));
  auto draw = [&](QImage& img) {
    img.fill(Qt::black);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(QColor(255, 0, 0));
    p.drawText(QPoint((s.v.width() - fm.horizontalAdvance(text)) / 2, s.LineTop() + fm.ascent()),
               text);
  };
  if (sharp) {
    QImage img(device, QImage::Format_RGB32);
    img.setDevicePixelRatio(s.dpr);
    draw(img);
    img.setDevicePixelRatio(1);
    return img;
  }
  QImage small(s.v.size(), QImage::Format_RGB32);
  draw(small);
  QImage big(device, QImage::Format_RGB32);
  QPainter p(&big);
  p.drawImage(QRect(QPoint(0, 0), device), small);
  return big;
}

// Mean difference of the red channel over a band of rows, b moved by up to a device pixel each
// way as fits best (where a fractional scale puts a row is not the question here).
double RedDiff(const QImage& a, const QImage& b, int top, int bottom) {
  double best = 1e9;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      double sum = 0;
      int n = 0;
      for (int y = std::max(1, top); y < std::min({bottom, a.height() - 1, b.height() - 1}); ++y)
        for (int x = 1; x < std::min(a.width(), b.width()) - 1; ++x, ++n)
          sum += std::abs(qRed(a.pixel(x, y)) - qRed(b.pixel(x + dx, y + dy)));
      if (n) best = std::min(best, sum / n);
    }
  return best;
}

}  // namespace

TEST(LrcViewScale, TheTextIsDrawnAtDevicePixelsWhereTheSkinsPixelsSay) {
  Shown s;
  const QString text = QStringLiteral("Lyrics 歌词 kept sharp");
  s.v.SetLrc(QStringLiteral("[00:01.00]first\n[00:02.00]") + text + QStringLiteral("\n[00:04.00]next"));
  s.v.SetLengthTime(9000);
  s.v.SetPosTime(2500);
  s.v.SetPosTime(2500);
  ASSERT_TRUE(s.Ready());
  const QImage img = s.Grab();
  img.save(QStringLiteral(VIREO_BINARY_DIR "/tests/ddvcl/lrcview-%1.png").arg(Percent(s.dpr)));
  ASSERT_EQ(s.v.LrcCurrText(), text);

  // The line's ink lies in its own rows, centred, on the device pixels its skin pixels cover.
  const int top = s.LineTop(), rows = s.v.LineHeight();
  const QRect ink = RedInk(img, int(std::floor((top - 2) * s.dpr)),
                           int(std::ceil((top + rows + 2) * s.dpr)));
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.top(), std::floor(top * s.dpr) - 1);
  EXPECT_LE(ink.bottom(), std::ceil((top + rows) * s.dpr));
  EXPECT_NEAR(ink.center().x(), s.v.width() * s.dpr / 2, 3 * s.dpr);
  EXPECT_EQ(RedInk(img, 0, int(std::floor((top - 2) * s.dpr))).height(), 0)
      << "red ink above the current line";

  // Sharp: much nearer the text drawn at the device's scale than the 100 % text blown up.
  if (s.dpr > 1.01) {
    const int from = ink.top() - 1, to = ink.bottom() + 2;
    const double sharp = RedDiff(img, Reference(s, text, true), from, to);
    const double enlarged = RedDiff(img, Reference(s, text, false), from, to);
    EXPECT_LT(sharp * 2, enlarged) << "sharp " << sharp << ", enlarged " << enlarged;
  }
}

// A karaoke line's fill at known times: the red ends where the text's own character cells say
// (a font whose every character is one cell wide), in device pixels.
TEST(LrcViewScale, TheKaraokeFillEndsAtTheRightDeviceColumn) {
  Shown s;
  s.v.SetLrcFontName(QStringLiteral("DejaVu Sans Mono"));
  s.v.SetLrc(QStringLiteral("[00:01.00]x\n[00:02.00]<00:02.00>AAAA <00:03.00>BBBB<00:04.00>\n"
                            "[00:05.00]y"));
  s.v.SetLengthTime(10000);
  ASSERT_TRUE(s.Ready());
  auto at = [&](int ms) {
    s.v.SetPosTime(ms);
    s.v.SetPosTime(ms);  // paused there: the fill stands exactly at it
    return s.Grab();
  };
  // The line's device rows where it stands now (it scrolls up while it is current).
  auto redOfLine = [&](const QImage& img) {
    const int top = s.LineTop(), rows = s.v.LineHeight();
    return RedInk(img, int(std::floor(top * s.dpr)), int(std::ceil((top + rows) * s.dpr)));
  };
  QImage img = at(4500);
  const QRect whole = redOfLine(img);
  ASSERT_FALSE(whole.isEmpty());
  const double cell = whole.width() / 9.0;
  ASSERT_GT(cell, 3.0 * s.dpr);
  for (const auto& [ms, cells] : {std::pair{2500, 2.5}, std::pair{3500, 7.0}}) {
    img = at(ms);
    const QRect red = redOfLine(img);
    EXPECT_NEAR(red.left(), whole.left(), 1 + s.dpr) << ms;
    EXPECT_NEAR(red.right(), whole.left() + cells * cell, cell * 0.6) << ms;
    EXPECT_NEAR(s.v.FillRightDevice(), whole.left() + cells * cell, cell * 0.6) << ms;
    if (ms == 3500)
      img.save(QStringLiteral(VIREO_BINARY_DIR "/tests/ddvcl/lrcview-karaoke-%1.png")
                   .arg(Percent(s.dpr)));
  }
}
