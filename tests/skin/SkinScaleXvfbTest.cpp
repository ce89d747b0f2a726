// The bundled skins on real X11 windows (Xvfb with openbox) at the screen scale the test runs
// under (CTest runs this program at 100, 125, 150, 175 and 200 % through QT_SCALE_FACTOR):
// photographs of the main and lyric windows land in the build folder
// (tests/skin/scale-<skin>-<percent>.png) for people to compare with the 100 % ones. At whole
// scales the frame must be the skin's art at that scale pixel for pixel (the @2x PNG at 200 %),
// so a one-pixel line of the skin covers exactly two device pixels; at every scale the tiled
// edges must show no seam or jitter from tile to tile, and the device pixels round a button
// where its sprite is clear must be the frame's, as if the button were not there. The spectrum's
// bars and the list's text are drawn at device pixels: their edges as hard as at 100 %.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "SkinArtWindows.h"
#include "TestEnv.h"
#include "ddvcl/TDDBitmap32.h"
#include "ddvcl/TSkinScale.h"

using namespace vireo;
using vireo::test::LyricWindow;
using vireo::test::MainWindow;
using vireo::test::Pump;
using vireo::test::WaitUntil;

namespace {

bool Shown(QWidget& w) {
  return WaitUntil([&] { return w.windowHandle() && w.windowHandle()->isExposed(); }, 10000);
}

int Percent(double dpr) {
  return int(std::lround(dpr * 100));
}

// The window as the X server shows it, in device pixels.
QImage Grab(const QWidget& form) {
  const double dpr = form.devicePixelRatioF();
  const QPoint at = form.mapToGlobal(QPoint(0, 0));
  QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
  screen.setDevicePixelRatio(1.0);
  const QRect device(int(std::lround(at.x() * dpr)), int(std::lround(at.y() * dpr)),
                     TSkinScale::DeviceCeil(dpr, form.width()),
                     TSkinScale::DeviceCeil(dpr, form.height()));
  return screen.copy(device).convertToFormat(QImage::Format_RGB32);
}

int Diff(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                   std::abs(qBlue(a) - qBlue(b))});
}

// Device pixels of the form under any visible control (the frame excepted), with a pixel of room
// where a control's edge falls inside a device pixel.
QRegion UnderControls(const QWidget& form, const TDDWindow* frame, double dpr) {
  QRegion r;
  const int room = dpr == std::floor(dpr) ? 0 : 1;
  for (const QWidget* w : form.findChildren<QWidget*>()) {
    if (w == frame || !w->isVisible() || w->parentWidget() != &form) continue;
    const QRect g = w->geometry();
    r += QRect(QPoint(TSkinScale::DeviceFloor(dpr, g.left()) - room,
                      TSkinScale::DeviceFloor(dpr, g.top()) - room),
               QPoint(TSkinScale::DeviceCeil(dpr, g.right() + 1) - 1 + room,
                      TSkinScale::DeviceCeil(dpr, g.bottom() + 1) - 1 + room));
  }
  return r;
}

struct Skinned {
  MainWindow main;
  LyricWindow lrc;
  TDDSkin skin{QStringLiteral(VIREO_SOURCE_DIR), QStringLiteral(VIREO_BINARY_DIR "/no-user-skins")};
  QString dir;

  explicit Skinned(const char* name) {
    dir = QStringLiteral(VIREO_SOURCE_DIR "/skins/") + QLatin1StringView(name) + u'/';
    skin.SetWindow(QStringLiteral("main"), main.table);
    skin.SetWindow(QStringLiteral("lrc"), lrc.table);
  }
  bool Load() { return skin.LoadSkin(dir + QStringLiteral("skin.xml")); }
  bool ShowMain() { return Show(main.form); }
  // One window at a time at the screen's corner: at 200 % the two side by side would not fit
  // on the test screen.
  bool Show(TDDFormEx& form) {
    for (TDDFormEx* f : {&main.form, &lrc.form})
      if (f != &form) f->hide();
    form.move(0, 0);
    form.show();
    if (!Shown(form)) return false;
    lrc.view->SetPosTime(6000);
    main.FeedSpectrum();
    Pump(500);
    return true;
  }
};

// The window once the X server shows what it was last asked to: two grabs in a row alike.
QImage Settled(const QWidget& form) {
  QImage last = Grab(form), now;
  WaitUntil([&] {
    now = Grab(form);
    const bool same = now == last;
    last = now;
    return same;
  }, 10000);
  return last;
}

bool HaveDisplay() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void Photograph(const char* name) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  Skinned s(name);
  ASSERT_TRUE(s.Load()) << s.skin.LastError().toStdString();
  ASSERT_TRUE(s.ShowMain());
  const double dpr = s.main.form.devicePixelRatioF();
  const QImage main = Grab(s.main.form);
  ASSERT_TRUE(s.Show(s.lrc.form));
  const QImage lrc = Grab(s.lrc.form);
  const QString out = QStringLiteral(VIREO_BINARY_DIR "/tests/skin");
  QDir().mkpath(out);
  QImage both(main.width() + lrc.width(), std::max(main.height(), lrc.height()),
              QImage::Format_RGB32);
  both.fill(Qt::black);
  {
    QPainter p(&both);
    p.drawImage(0, 0, main);
    p.drawImage(main.width(), 0, lrc);
  }
  EXPECT_TRUE(both.save(out + QStringLiteral("/scale-%1-%2.png")
                                  .arg(QLatin1StringView(name))
                                  .arg(Percent(dpr))));
}

// At a whole scale the frame is the art at that scale: the frame images are the windows at their
// design size, so away from the controls and the cut corners every device pixel is the art's.
void FrameIsTheArt(const char* name) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  Skinned s(name);
  ASSERT_TRUE(s.Load());
  ASSERT_TRUE(s.ShowMain());
  const double dpr = s.main.form.devicePixelRatioF();
  if (dpr != std::floor(dpr) || dpr > 2) GTEST_SKIP() << "not a whole scale with art";
  struct Case {
    TDDFormEx* form;
    TDDWindow* frame;
    const char* file;
  } cases[] = {{&s.main.form, s.main.table.Frame, "main_frame"},
               {&s.lrc.form, s.lrc.table.Frame, "lrc_frame"}};
  int lines = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_TRUE(s.Show(*c.form));
    const QString file = s.dir + QLatin1StringView(c.file) +
                         (dpr == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
    TDDBitmap32 art, one;
    art.LoadFromPNG(file);
    one.LoadFromPNG(s.dir + QLatin1StringView(c.file) + QStringLiteral(".png"));
    const int k = int(dpr);
    const QImage shot = Grab(*c.form);
    ASSERT_EQ(shot.width(), art.Width());
    ASSERT_EQ(shot.height(), art.Height());
    const QRegion skip = UnderControls(*c.form, c.frame, dpr);
    int compared = 0, wrong = 0;
    for (int y = 0; y < art.Height(); ++y)
      for (int x = 0; x < art.Width(); ++x) {
        const TColor32 a = art.Pixel(x, y);
        // The outline is cut in skin pixels: where the 100 % corner is cut, so is its art.
        if (AlphaOf(a) != 255 || AlphaOf(one.Pixel(x / k, y / k)) != 255 ||
            skip.contains(QPoint(x, y)))
          continue;
        ++compared;
        if (Diff(shot.pixel(x, y), a) > 2) ++wrong;
      }
    EXPECT_GT(compared, art.Width() * art.Height() / 8);
    EXPECT_EQ(wrong, 0) << "of " << compared << " frame pixels at " << Percent(dpr) << " %";

    // The one-pixel lines of the 100 % art (a row unlike the rows on both sides of it, which are
    // alike) cover exactly dpr device rows: the line's colour on them, its neighbours' beside.
    for (int y = 2; y + 2 < one.Height(); ++y)
      for (int x = 12; x + 12 < one.Width(); x += 7) {
        const TColor32 up = one.Pixel(x, y - 1), at = one.Pixel(x, y), down = one.Pixel(x, y + 1);
        if (AlphaOf(up) != 255 || AlphaOf(at) != 255 || AlphaOf(down) != 255) continue;
        const int contrast = std::min(Diff(at, up), Diff(at, down));
        if (contrast < 9 || Diff(up, down) > 3) continue;
        const int near = std::max(3, contrast / 3);
        const QPoint d(x * k + k / 2, y * k);
        if (skip.intersects(QRect(d.x() - 1, d.y() - 1, 3, k + 2))) continue;
        // Only the lines the art at this scale draws as such (a line running into a rounded
        // corner is drawn a little differently at each size).
        auto artSays = [&](int dy, TColor32 want) {
          return Diff(art.Pixel(d.x(), d.y() + dy), want) <= near;
        };
        bool sharpInArt = artSays(-1, up) && artSays(k, down);
        for (int i = 0; i < k; ++i) sharpInArt = sharpInArt && artSays(i, at);
        if (!sharpInArt) continue;
        ++lines;
        for (int i = 0; i < k; ++i)
          EXPECT_LE(Diff(shot.pixel(d.x(), d.y() + i), at), near) << "line at " << x << "," << y;
        EXPECT_LE(Diff(shot.pixel(d.x(), d.y() - 1), up), near) << "above the line at " << x << "," << y;
        EXPECT_LE(Diff(shot.pixel(d.x(), d.y() + k), down), near) << "below the line at " << x << "," << y;
      }
  }
  EXPECT_GT(lines, 0) << "the art has no one-pixel line to look at";
}

// Every scale: tiles of the top and bottom edges (uniform across in the art) give uniform device
// columns, the side tiles uniform device rows; a button's clear sprite border shows exactly the
// frame that is there without the button.
void NoSeams(const char* name) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  Skinned s(name);
  ASSERT_TRUE(s.Load());
  // A size the design never had: the middle pieces tile, not just the art.
  s.main.form.resize(s.main.form.width() + 37, s.main.form.height() + 53);
  ASSERT_TRUE(s.ShowMain());
  const double dpr = s.main.form.devicePixelRatioF();
  SCOPED_TRACE(Percent(dpr));
  TDDFormEx& form = s.main.form;
  TDDWindow* frame = s.main.table.Frame;
  const QImage shot = Settled(form);
  const QRegion skip = UnderControls(form, frame, dpr);
  const int W = form.width(), H = form.height();

  int columns = 0, jitter = 0;
  auto edgeColumns = [&](int top, int bottom, int left, int right) {
    // Device columns wholly inside [left, right), rows wholly inside [top, bottom).
    const int x0 = TSkinScale::DeviceCeil(dpr, left) + 1, x1 = TSkinScale::DeviceFloor(dpr, right) - 1;
    const int y0 = TSkinScale::DeviceCeil(dpr, top), y1 = TSkinScale::DeviceFloor(dpr, bottom);
    for (int y = y0; y < y1; ++y) {
      QRgb ref = 0;
      bool have = false;
      for (int x = x0; x < x1; ++x) {
        if (skip.contains(QPoint(x, y))) {
          have = false;
          continue;
        }
        const QRgb p = shot.pixel(x, y);
        if (have && Diff(p, ref) > 3) ++jitter;
        ref = p;
        have = true;
        ++columns;
      }
    }
  };
  const TSpriteRect tl = frame->TopLeft(), tr = frame->TopRight(), tc = frame->TopCenter();
  const TSpriteRect bl = frame->BottomLeft(), br = frame->BottomRight();
  if (tc.W > 0) {
    const int c = W / 2 - tc.W / 2;
    edgeColumns(0, frame->TopMiddle().H, tl.W, c);
    edgeColumns(0, frame->TopMiddle().H, c + tc.W, W - tr.W);
  } else {
    edgeColumns(0, frame->TopMiddle().H, tl.W, W - tr.W);
  }
  edgeColumns(H - frame->BottomMiddle().H, H, bl.W, W - br.W);
  EXPECT_GT(columns, 100);
  EXPECT_EQ(jitter, 0) << "device columns of the tiled top and bottom edges that differ";

  int rows = 0, rowJitter = 0;
  for (const bool left : {true, false}) {
    const TSpriteRect side = left ? frame->LeftMiddle() : frame->RightMiddle();
    const int sx0 = left ? 0 : W - side.W, sx1 = sx0 + side.W;
    const int x0 = TSkinScale::DeviceCeil(dpr, sx0), x1 = TSkinScale::DeviceFloor(dpr, sx1);
    const int y0 = TSkinScale::DeviceCeil(dpr, tl.H) + 1, y1 = TSkinScale::DeviceFloor(dpr, H - bl.H) - 1;
    for (int x = x0; x < x1; ++x) {
      bool have = false;
      QRgb ref = 0;
      for (int y = y0; y < y1; ++y) {
        if (skip.contains(QPoint(x, y))) {
          have = false;
          continue;
        }
        const QRgb p = shot.pixel(x, y);
        if (have && Diff(p, ref) > 3) ++rowJitter;
        ref = p;
        have = true;
        ++rows;
      }
    }
  }
  EXPECT_GT(rows, 100);
  EXPECT_EQ(rowJitter, 0) << "device rows of the tiled sides that differ";

  // The buttons: where the sprite is clear two skin pixels around, the screen must be the same
  // with and without the button.
  std::vector<TDDButton*> buttons;
  for (TDDButton* b : form.findChildren<TDDButton*>())
    if (b->isVisible() && b->parentWidget() == &form) buttons.push_back(b);
  ASSERT_FALSE(buttons.empty());
  for (TDDButton* b : buttons) b->hide();
  const QImage bare = Settled(form);
  for (TDDButton* b : buttons) b->show();
  const QImage again = Settled(form);
  int looked = 0, seams = 0;
  for (TDDButton* b : buttons) {
    const QRect g = b->geometry();
    const TDDBitmap32& img = b->Image();
    auto clear = [&](int u, int v) {
      for (int dv = -2; dv <= 2; ++dv)
        for (int du = -2; du <= 2; ++du) {
          const int su = b->NormalX + u + du, sv = b->NormalY + v + dv;
          if (u + du < 0 || v + dv < 0 || u + du >= g.width() || v + dv >= g.height()) continue;
          if (su < 0 || sv < 0 || su >= img.Width() || sv >= img.Height()) return false;
          if (AlphaOf(img.Pixel(su, sv)) != 0) return false;
        }
      return true;
    };
    for (int dy = TSkinScale::DeviceFloor(dpr, g.top()) - 1;
         dy <= TSkinScale::DeviceCeil(dpr, g.bottom() + 1); ++dy)
      for (int dx = TSkinScale::DeviceFloor(dpr, g.left()) - 1;
           dx <= TSkinScale::DeviceCeil(dpr, g.right() + 1); ++dx) {
        const int u = int(std::floor(dx / dpr)) - g.left(), v = int(std::floor(dy / dpr)) - g.top();
        if (!clear(u, v) || dx < 0 || dy < 0 || dx >= bare.width() || dy >= bare.height())
          continue;
        ++looked;
        if (Diff(again.pixel(dx, dy), bare.pixel(dx, dy)) > 2) ++seams;
      }
  }
  EXPECT_GT(looked, 100);
  EXPECT_EQ(seams, 0) << "device pixels round the buttons that differ from the frame";
}


// The widest rise or fall of at least contrast grey levels along the rows of area, in pixel
// steps (a hard edge takes 1, an anti-aliased one 2; a picture resampled with smoothing spreads
// its edges further), with the number of such edges and of those wider than limit.
struct Edges {
  int widest = 0, count = 0, wide = 0;
};
Edges RowEdges(const QImage& img, const QRect& area, int contrast, int limit) {
  Edges e;
  const QRect r = area.intersected(img.rect());
  for (int y = r.top(); y <= r.bottom(); ++y) {
    auto g = [&](int x) { return qGray(img.pixel(x, y)); };
    int x = r.left();
    while (x < r.right()) {
      const int d = g(x + 1) - g(x);
      if (std::abs(d) < 6) {
        ++x;
        continue;
      }
      int j = x + 1;
      while (j < r.right() && (g(j + 1) - g(j)) * d > 0 && std::abs(g(j + 1) - g(j)) >= 6) ++j;
      if (std::abs(g(j) - g(x)) >= contrast) {
        ++e.count;
        e.widest = std::max(e.widest, j - x);
        if (j - x > limit) ++e.wide;
      }
      x = j;
    }
  }
  return e;
}

// Every scale: the spectrum's bars are drawn at device pixels (their sides one step from the
// gap beside them), and the list's text at the screen's density: no more of its edges spread
// over four device pixels or more (as many as at 100 %, where the text is the font's own).
void SharpSpectrumAndList(const char* name) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  Skinned s(name);
  ASSERT_TRUE(s.Load());
  ASSERT_TRUE(s.ShowMain());
  const double dpr = s.main.form.devicePixelRatioF();
  SCOPED_TRACE(Percent(dpr));
  const QImage shot = Settled(s.main.form);
  auto device = [&](const QWidget* w, int inset) {
    const QRect g = w->geometry();
    return QRect(QPoint(TSkinScale::DeviceCeil(dpr, g.left() + inset),
                        TSkinScale::DeviceCeil(dpr, g.top() + inset)),
                 QPoint(TSkinScale::DeviceFloor(dpr, g.right() + 1 - inset) - 1,
                        TSkinScale::DeviceFloor(dpr, g.bottom() + 1 - inset) - 1));
  };
  // The bottom quarter of the spectrum, where the fed bars stand.
  QRect vis = device(s.main.vis, 0);
  vis.setTop(vis.bottom() - vis.height() / 4);
  const Edges bars = RowEdges(shot, vis, 40, 1);
  EXPECT_GT(bars.count, 20) << "no bars to look at";
  EXPECT_EQ(bars.wide, 0) << "of " << bars.count << " bar edges, widest " << bars.widest;

  const QRect rows = device(s.main.list, 1).adjusted(0, 0, -TSkinScale::DeviceCeil(dpr, 12), 0);
  const Edges text = RowEdges(shot, rows, 80, 3);
  EXPECT_GT(text.count, 200) << "no text to look at";
  std::printf("text edges at %d %%: %d, wider than 3: %d, widest %d\n", Percent(dpr), text.count,
              text.wide, text.widest);
  EXPECT_LE(text.wide * 20, text.count)
      << text.wide << " of " << text.count << " text edges spread over 4 device pixels or more";
}

}  // namespace

TEST(SkinScaleXvfb, DefaultSkinPhotographed) {
  Photograph("Default");
}
TEST(SkinScaleXvfb, LightSkinPhotographed) {
  Photograph("Light");
}
TEST(SkinScaleXvfb, DefaultFrameIsTheArtAtWholeScales) {
  FrameIsTheArt("Default");
}
TEST(SkinScaleXvfb, LightFrameIsTheArtAtWholeScales) {
  FrameIsTheArt("Light");
}
TEST(SkinScaleXvfb, DefaultSpectrumAndListAreSharp) {
  SharpSpectrumAndList("Default");
}
TEST(SkinScaleXvfb, LightSpectrumAndListAreSharp) {
  SharpSpectrumAndList("Light");
}
TEST(SkinScaleXvfb, DefaultHasNoSeams) {
  NoSeams("Default");
}
TEST(SkinScaleXvfb, LightHasNoSeams) {
  NoSeams("Light");
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests) || qEnvironmentVariableIsEmpty("DISPLAY")) return RUN_ALL_TESTS();
  for (int i = 0; i < 150; ++i) {
    if (std::system("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'") == 0)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
