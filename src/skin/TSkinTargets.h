#pragma once

#include <QFont>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "ddvcl/Color32.h"
#include "ddvcl/TSpriteRect.h"

namespace vireo {

class TDDBitmap32;
class TDDGraphicControl;
class TDDWindow;

// What the skin loader needs to know of the windows it skins. Each window hands TDDSkin one
// TSkinWindow describing itself (TDDSkin::SetWindow) under its name: "main" (TPetrelMain),
// "share" (TPetrelShare), "lrc" (TPetrelLrc) and "desktoplrc" (TPetrelDeskTopLrc). A window that
// has not registered, or a control missing from its table, is skipped by every skin element that
// addresses it, silently, as the skins have always skipped ids without a control.
//
// Controls are found by their field name in the window (Controls, see TSkinWindow::Add), with
// the type each kind of element expects:
//   main:  TDDButton      btn_previous btn_next btn_menu btn_min btn_rndlist btn_addfile btn_del
//                         btn_listm btn_mode btn_close
//          TDDCheckedButton btn_play btn_sound btn_share btn_lrc
//          QLabel         lbl_time lbl_mode lbl_stack, and the two links on pnl_1: lbl_open lbl_rnd
//          TScrollText    lbl_title
//          TDDSliderBlendEx sldr_music sldr_volume
//          QWidget        pnl_1 (the panel shown instead of an empty playlist)
//          + Playlist (plst_list with its scroll bar) and Spectrum (dvs_1) below
//   share: TDDButton      btn_back btn_forward btn_refresh btn_min btn_max btn_close btn_Search
//                         btn_Previous btn_Next
//          QWidget        pnl_psvs (content panel); QLineEdit edt_search
//   lrc:   TDDButton      btn_lrc btn_close btn_b5 btn_f5 btn_Slrc
//          + LyricView (lrcshw_min) below
//   desktoplrc: DesktopLyric below (the window is its own target; no frame, no controls)
// A control of another type under one of these names is skipped.
//
// What the main window does at start-up, once its controls carry their field names as object
// names (the other windows alike, then BuildSkinMenu, BuildEQMenu, LoadSkin):
//   TSkinWindow w;
//   w.Form = this;
//   w.Frame = frame;
//   w.Add({btn_previous, btn_next, ..., btn_play, ..., lbl_time, lbl_title, sldr_music, pnl_1,
//          lbl_open, lbl_rnd});
//   w.Playlist = std::make_shared<TSkinPlaylistAdapter>(plst_list);
//   w.Spectrum = std::make_shared<TSkinVisAdapter>(dvs_1);
//   skin->SetWindow(QStringLiteral("main"), w);
//
// Anchors: the loader anchors controls through TAnchorLayout (skin/TAnchorLayout.h), relative
// to each control's parent widget. A window that moves or resizes an anchored control itself
// afterwards does it through TAnchorLayout::SetBounds, so the new bounds become its reference.
//
// The playlist view, the spectrum, the lyric view and the desktop lyrics are reached through the
// small interfaces below. For the first three the loader has adapters over the real controls
// (TSkinPlaylistAdapter, TSkinVisAdapter, TSkinLyricViewAdapter): the window hands over
// e.g. std::make_shared<TSkinPlaylistAdapter>(plst_list). The desktop lyric window implements
// ISkinDesktopLyric itself. Everything here runs on the UI thread.

// The playlist view plst_list (TDDPlaylist) and its scroll bar (TDDScrollBar).
class ISkinPlaylist {
 public:
  virtual ~ISkinPlaylist() = default;
  // The list control: the loader sets its bounds, cursor and anchors.
  virtual QWidget* Widget() = 0;
  virtual void SetScrollBarWidth(std::uint8_t width) = 0;
  // The five colours, made fully opaque by the loader (0xFFRRGGBB).
  virtual void SetBackColor(TColor32 color) = 0;
  virtual void SetSelectionColor(TColor32 color) = 0;
  virtual void SetTextColor(TColor32 color) = 0;
  virtual void SetTextCurrentColor(TColor32 color) = 0;
  virtual void SetTextSelectedColor(TColor32 color) = 0;
  // The row font: the loader changes the family and point size of ListFont().
  virtual QFont ListFont() = 0;
  virtual void SetListFont(const QFont& font) = 0;
  // The scroll bar: the thumb's three sprites (top-left corners), its track piece ("ti"),
  // Border, the thumb's size, and its image (copied).
  virtual void SetScrollBarSprites(std::int16_t normalX, std::int16_t normalY,
                                   std::int16_t pressedX, std::int16_t pressedY,
                                   std::int16_t highlightedX, std::int16_t highlightedY) = 0;
  virtual void SetScrollBarTrack(TSpriteRect piece) = 0;
  virtual void SetScrollBarBorder(std::uint8_t border) = 0;
  virtual void SetScrollBarSliderW(std::int16_t width) = 0;
  virtual void SetScrollBarSliderH(std::int16_t height) = 0;
  virtual void SetScrollBarImage(const TDDBitmap32& image) = 0;
};

// The spectrum display dvs_1 (TDDVIS).
class ISkinSpectrum {
 public:
  virtual ~ISkinSpectrum() = default;
  // The control: the loader sets its image (SetImage), bounds and anchors.
  virtual TDDGraphicControl* Control() = 0;
  virtual void SetLineFallOff(int value) = 0;
  virtual void SetPeakFallOff(int value) = 0;
  virtual void SetTTFWidth(int value) = 0;
  virtual void SetDrawPeak(bool value) = 0;
  // TDDVIS.SetBackgroundPiece, SetBarPiece, SetPeakPiece (the image is loaded before them).
  virtual void SetBackgroundPiece(TSpriteRect piece) = 0;
  virtual void SetBarPiece(TSpriteRect piece) = 0;
  virtual void SetPeakPiece(TSpriteRect piece) = 0;
};

// The lyric window's lyric view lrcshw_min (TDDLrcShow).
class ISkinLyricView {
 public:
  virtual ~ISkinLyricView() = default;
  // The control: the loader sets its anchors and bounds.
  virtual QWidget* Widget() = 0;
  virtual void SetLrcSpace(std::uint8_t pixels) = 0;
  virtual void SetBGColor(TColorRef color) = 0;
  virtual void SetLrcColor(TColorRef color) = 0;
  virtual void SetLrcCurrColor(TColorRef color) = 0;
  virtual void SetLrcFontName(const QString& name) = 0;
  virtual void SetLrcFontSize(int points) = 0;
};

// The desktop lyric window (TPetrelDeskTopLrc).
class ISkinDesktopLyric {
 public:
  virtual ~ISkinDesktopLyric() = default;
  virtual void SetHeight(int height) = 0;
  virtual void SetAlpha(std::uint8_t alpha) = 0;
  virtual void SetColorBegin(TColorRef color) = 0;
  virtual void SetColorEnd(TColorRef color) = 0;
  virtual void SetOutlineColor(TColorRef color) = 0;
  virtual void SetFontName(const QString& name) = 0;
  virtual void SetFontSize(int points) = 0;
};

// One window as the loader sees it.
struct TSkinWindow {
  // The window: a "window" element sets its size and size limits.
  QPointer<QWidget> Form;
  // Its frame, the first child of a skinned form.
  QPointer<TDDWindow> Frame;
  // The skinnable controls by field name (see above).
  QHash<QString, QPointer<QWidget>> Controls;
  std::shared_ptr<ISkinPlaylist> Playlist;          // main
  std::shared_ptr<ISkinSpectrum> Spectrum;          // main
  std::shared_ptr<ISkinLyricView> LyricView;        // lrc
  std::shared_ptr<ISkinDesktopLyric> DesktopLyric;  // desktoplrc

  // Registers controls under their objectName() (set it to the field name).
  TSkinWindow& Add(std::initializer_list<QWidget*> controls) {
    for (QWidget* c : controls)
      if (c) Controls.insert(c->objectName(), c);
    return *this;
  }
  TSkinWindow& Add(const QString& name, QWidget* control) {
    Controls.insert(name, control);
    return *this;
  }
};

}  // namespace vireo
