#pragma once

#include <QHash>
#include <QLineEdit>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "ddvcl/TDDButton.h"
#include "ddvcl/TDDCheckedButton.h"
#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TDDGraphicControlEx.h"
#include "ddvcl/TDDLinkLabel.h"
#include "ddvcl/TDDSliderBlendEx.h"
#include "ddvcl/TDDWindow.h"
#include "ddvcl/TScrollText.h"
#include "skin/TDDSkin.h"

// Windows holding every skinnable control, registered with a loader the way the player's
// windows register, and skin folders written by the tests.
namespace vireo::test {

// The setters a fake was called with, in order, as text.
struct Calls : std::vector<std::string> {
  Calls& operator<<(const QString& call) {
    push_back(call.toStdString());
    return *this;
  }
};

// The controls being built elsewhere, as their windows will hand them over: real widgets that
// record every setter the loader calls, in order.
class FakePlaylist : public ISkinPlaylist {
 public:
  explicit FakePlaylist(QWidget* parent);
  QWidget* Widget() override { return widget; }
  void SetScrollBarWidth(std::uint8_t width) override;
  void SetBackColor(TColor32 color) override;
  void SetSelectionColor(TColor32 color) override;
  void SetTextColor(TColor32 color) override;
  void SetTextCurrentColor(TColor32 color) override;
  void SetTextSelectedColor(TColor32 color) override;
  void SetListFont(const QFont& font) override;
  void SetScrollBarSprites(std::int16_t nx, std::int16_t ny, std::int16_t px, std::int16_t py,
                           std::int16_t hx, std::int16_t hy) override;
  void SetScrollBarTrack(TSpriteRect piece) override;
  void SetScrollBarBorder(std::uint8_t border) override;
  void SetScrollBarSliderW(std::int16_t width) override;
  void SetScrollBarSliderH(std::int16_t height) override;
  void SetScrollBarImage(const TDDBitmap32& image) override;

  QWidget* widget;
  Calls calls;
  TColor32 colors[5] = {};
  TDDBitmap32 scrollBarImage;
};

class FakeSpectrum : public ISkinSpectrum {
 public:
  explicit FakeSpectrum(QWidget* parent);
  TDDGraphicControl* Control() override;
  void SetLineFallOff(int value) override;
  void SetPeakFallOff(int value) override;
  void SetTTFWidth(int value) override;
  void SetDrawPeak(bool value) override;
  void SetBackgroundPiece(TSpriteRect piece) override;
  void SetBarPiece(TSpriteRect piece) override;
  void SetPeakPiece(TSpriteRect piece) override;

  TDDGraphicControlEx* control;
  Calls calls;
};

class FakeLyricView : public ISkinLyricView {
 public:
  explicit FakeLyricView(QWidget* parent);
  QWidget* Widget() override { return widget; }
  void SetLrcSpace(std::uint8_t pixels) override;
  void SetBGColor(TColorRef color) override;
  void SetLrcColor(TColorRef color) override;
  void SetLrcCurrColor(TColorRef color) override;
  void SetLrcFontName(const QString& name) override;
  void SetLrcFontSize(int points) override;

  QWidget* widget;
  Calls calls;
};

class FakeDesktopLyric : public ISkinDesktopLyric {
 public:
  void SetHeight(int height) override;
  void SetAlpha(std::uint8_t alpha) override;
  void SetColorBegin(TColorRef color) override;
  void SetColorEnd(TColorRef color) override;
  void SetOutlineColor(TColorRef color) override;
  void SetFontName(const QString& name) override;
  void SetFontSize(int points) override;

  Calls calls;
};

// The main, share and lyric windows with all their skinnable controls (the main window's built
// as its design has them), and the desktop lyrics.
struct TestWindows {
  TestWindows();
  ~TestWindows();
  void Register(TDDSkin& skin);

  // A control by window ("main", "share", "lrc") and field name.
  template <class T>
  T* Get(const char* window, const char* name) const {
    return qobject_cast<T*>(
        tables.value(QLatin1StringView(window)).Controls.value(QLatin1StringView(name)).data());
  }
  TDDButton* Button(const char* window, const char* name) const {
    return Get<TDDButton>(window, name);
  }

  std::unique_ptr<TDDFormEx> main, share, lrc;
  TDDWindow *mainFrame, *shareFrame, *lrcFrame;
  std::shared_ptr<FakePlaylist> playlist;
  std::shared_ptr<FakeSpectrum> spectrum;
  std::shared_ptr<FakeLyricView> lyricView;
  std::shared_ptr<FakeDesktopLyric> desktopLyric;
  QHash<QString, TSkinWindow> tables;
};

// Files of a skin folder.
void WriteFile(const QString& path, const QByteArray& bytes);
// An image w x h filled with one ARGB colour, as PNG or BMP by the name's extension. Colours
// that differ per pixel (column in green, row in blue) when gradient is set.
void WriteImage(const QString& path, int w, int h, TColor32 color, bool gradient = false);

}  // namespace vireo::test
