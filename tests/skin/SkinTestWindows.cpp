#include "SkinTestWindows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

namespace vireo::test {
namespace {

QString Hex(TColor32 c) {
  return QStringLiteral("%1").arg(c, 8, 16, QLatin1Char('0'));
}
QString Rect(TSpriteRect r) {
  return QStringLiteral("%1,%2,%3,%4").arg(r.X).arg(r.Y).arg(r.W).arg(r.H);
}

template <class T>
T* Make(QWidget* parent, const char* name) {
  auto* w = new T(parent);
  w->setObjectName(QLatin1StringView(name));
  return w;
}

}  // namespace

FakePlaylist::FakePlaylist(QWidget* parent) : widget(Make<QWidget>(parent, "plst_list")) {}
void FakePlaylist::SetScrollBarWidth(std::uint8_t width) {
  calls << QStringLiteral("ScrollBarWidth %1").arg(width);
}
void FakePlaylist::SetBackColor(TColor32 color) {
  colors[0] = color;
  calls << QStringLiteral("BackColor ") + Hex(color);
}
void FakePlaylist::SetSelectionColor(TColor32 color) {
  colors[1] = color;
  calls << QStringLiteral("SelectionColor ") + Hex(color);
}
void FakePlaylist::SetTextColor(TColor32 color) {
  colors[2] = color;
  calls << QStringLiteral("TextColor ") + Hex(color);
}
void FakePlaylist::SetTextCurrentColor(TColor32 color) {
  colors[3] = color;
  calls << QStringLiteral("TextCurrentColor ") + Hex(color);
}
void FakePlaylist::SetTextSelectedColor(TColor32 color) {
  colors[4] = color;
  calls << QStringLiteral("TextSelectedColor ") + Hex(color);
}
void FakePlaylist::SetListFont(const QFont& font) {
  widget->setFont(font);
  calls << QStringLiteral("Font %1 %2").arg(font.family()).arg(font.pointSize());
}
void FakePlaylist::SetScrollBarSprites(std::int16_t nx, std::int16_t ny, std::int16_t px,
                                       std::int16_t py, std::int16_t hx, std::int16_t hy) {
  calls << QStringLiteral("Sprites %1 %2 %3 %4 %5 %6")
               .arg(nx)
               .arg(ny)
               .arg(px)
               .arg(py)
               .arg(hx)
               .arg(hy);
}
void FakePlaylist::SetScrollBarTrack(TSpriteRect piece) {
  calls << QStringLiteral("Track ") + Rect(piece);
}
void FakePlaylist::SetScrollBarBorder(std::uint8_t border) {
  calls << QStringLiteral("Border %1").arg(border);
}
void FakePlaylist::SetScrollBarSliderW(std::int16_t width) {
  calls << QStringLiteral("SliderW %1").arg(width);
}
void FakePlaylist::SetScrollBarSliderH(std::int16_t height) {
  calls << QStringLiteral("SliderH %1").arg(height);
}
void FakePlaylist::SetScrollBarImage(const TDDBitmap32& image) {
  scrollBarImage.Assign(&image);
  calls << QStringLiteral("Image %1x%2").arg(image.Width()).arg(image.Height());
}

FakeSpectrum::FakeSpectrum(QWidget* parent) : control(Make<TDDGraphicControlEx>(parent, "dvs_1")) {}
TDDGraphicControl* FakeSpectrum::Control() {
  // The loader gives the image first: whatever it finds in it now was just loaded.
  calls << QStringLiteral("Control %1x%2")
               .arg(control->Image().Width())
               .arg(control->Image().Height());
  return control;
}
void FakeSpectrum::SetLineFallOff(int value) {
  calls << QStringLiteral("LineFallOff %1 at %2,%3").arg(value).arg(control->x()).arg(control->y());
}
void FakeSpectrum::SetPeakFallOff(int value) {
  calls << QStringLiteral("PeakFallOff %1").arg(value);
}
void FakeSpectrum::SetTTFWidth(int value) {
  calls << QStringLiteral("TTFWidth %1").arg(value);
}
void FakeSpectrum::SetDrawPeak(bool value) {
  calls << QStringLiteral("DrawPeak %1").arg(value);
}
void FakeSpectrum::SetBackgroundPiece(TSpriteRect piece) {
  calls << QStringLiteral("Background %1 of %2x%3")
               .arg(Rect(piece))
               .arg(control->Image().Width())
               .arg(control->Image().Height());
}
void FakeSpectrum::SetBarPiece(TSpriteRect piece) {
  calls << QStringLiteral("Bar ") + Rect(piece);
}
void FakeSpectrum::SetPeakPiece(TSpriteRect piece) {
  calls << QStringLiteral("Peak ") + Rect(piece);
}

FakeLyricView::FakeLyricView(QWidget* parent) : widget(Make<QWidget>(parent, "lrcshw_min")) {}
void FakeLyricView::SetLrcSpace(std::uint8_t pixels) {
  calls << QStringLiteral("LrcSpace %1 at %2,%3 %4x%5")
               .arg(pixels)
               .arg(widget->x())
               .arg(widget->y())
               .arg(widget->width())
               .arg(widget->height());
}
void FakeLyricView::SetBGColor(TColorRef color) {
  calls << QStringLiteral("BGColor ") + Hex(TColor32(color));
}
void FakeLyricView::SetLrcColor(TColorRef color) {
  calls << QStringLiteral("LrcColor ") + Hex(TColor32(color));
}
void FakeLyricView::SetLrcCurrColor(TColorRef color) {
  calls << QStringLiteral("LrcCurrColor ") + Hex(TColor32(color));
}
void FakeLyricView::SetLrcFontName(const QString& name) {
  calls << QStringLiteral("LrcFontName ") + name;
}
void FakeLyricView::SetLrcFontSize(int points) {
  calls << QStringLiteral("LrcFontSize %1").arg(points);
}

void FakeDesktopLyric::SetHeight(int height) {
  calls << QStringLiteral("Height %1").arg(height);
}
void FakeDesktopLyric::SetAlpha(std::uint8_t alpha) {
  calls << QStringLiteral("Alpha %1").arg(alpha);
}
void FakeDesktopLyric::SetColorBegin(TColorRef color) {
  calls << QStringLiteral("ColorBegin ") + Hex(TColor32(color));
}
void FakeDesktopLyric::SetColorEnd(TColorRef color) {
  calls << QStringLiteral("ColorEnd ") + Hex(TColor32(color));
}
void FakeDesktopLyric::SetOutlineColor(TColorRef color) {
  calls << QStringLiteral("OutlineColor ") + Hex(TColor32(color));
}
void FakeDesktopLyric::SetFontName(const QString& name) {
  calls << QStringLiteral("FontName ") + name;
}
void FakeDesktopLyric::SetFontSize(int points) {
  calls << QStringLiteral("FontSize %1").arg(points);
}

TestWindows::TestWindows()
    : main(std::make_unique<TDDFormEx>()),
      share(std::make_unique<TDDFormEx>()),
      lrc(std::make_unique<TDDFormEx>()) {
  main->resize(300, 400);
  share->resize(500, 400);
  lrc->resize(280, 300);
  mainFrame = Make<TDDWindow>(main.get(), "frame");
  shareFrame = Make<TDDWindow>(share.get(), "frame");
  lrcFrame = Make<TDDWindow>(lrc.get(), "frame");

  TSkinWindow& m = tables[QStringLiteral("main")];
  m.Form = main.get();
  m.Frame = mainFrame;
  QWidget* f = main.get();
  for (const char* name : {"btn_previous", "btn_next", "btn_menu", "btn_min", "btn_rndlist",
                           "btn_addfile", "btn_del", "btn_listm", "btn_mode", "btn_close"})
    m.Add({Make<TDDButton>(f, name)});
  for (const char* name : {"btn_play", "btn_sound", "btn_share", "btn_lrc"})
    m.Add({Make<TDDCheckedButton>(f, name)});
  for (const char* name : {"lbl_time", "lbl_mode", "lbl_stack"}) m.Add({Make<QLabel>(f, name)});
  m.Add({Make<TScrollText>(f, "lbl_title"), Make<TDDSliderBlendEx>(f, "sldr_music"),
         Make<TDDSliderBlendEx>(f, "sldr_volume")});
  QWidget* panel = Make<QWidget>(f, "pnl_1");
  auto* open = Make<TDDLinkLabel>(panel, "lbl_open");
  auto* rnd = Make<TDDLinkLabel>(panel, "lbl_rnd");
  open->resize(60, 14);
  rnd->resize(40, 16);
  m.Add({panel, open, rnd});
  playlist = std::make_shared<FakePlaylist>(f);
  spectrum = std::make_shared<FakeSpectrum>(f);
  m.Playlist = playlist;
  m.Spectrum = spectrum;

  TSkinWindow& s = tables[QStringLiteral("share")];
  s.Form = share.get();
  s.Frame = shareFrame;
  for (const char* name : {"btn_back", "btn_forward", "btn_refresh", "btn_min", "btn_max",
                           "btn_close", "btn_Search", "btn_Previous", "btn_Next"})
    s.Add({Make<TDDButton>(share.get(), name)});
  s.Add({Make<QWidget>(share.get(), "pnl_psvs"), Make<QLineEdit>(share.get(), "edt_search")});

  TSkinWindow& l = tables[QStringLiteral("lrc")];
  l.Form = lrc.get();
  l.Frame = lrcFrame;
  for (const char* name : {"btn_lrc", "btn_close", "btn_b5", "btn_f5", "btn_Slrc"})
    l.Add({Make<TDDButton>(lrc.get(), name)});
  lyricView = std::make_shared<FakeLyricView>(lrc.get());
  l.LyricView = lyricView;

  desktopLyric = std::make_shared<FakeDesktopLyric>();
  tables[QStringLiteral("desktoplrc")].DesktopLyric = desktopLyric;
}

TestWindows::~TestWindows() = default;

void TestWindows::Register(TDDSkin& skin) {
  for (auto it = tables.cbegin(); it != tables.cend(); ++it) skin.SetWindow(it.key(), it.value());
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

void WriteImage(const QString& path, int w, int h, TColor32 color, bool gradient) {
  QImage image(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.setPixel(x, y,
                     gradient ? (color | TColor32(x & 0xFF) << 8 | TColor32(y & 0xFF)) : color);
  QDir().mkpath(QFileInfo(path).path());
  image.save(path, path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) ? "PNG" : "BMP");
}

}  // namespace vireo::test
