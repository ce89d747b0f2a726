#pragma once

#include "ddvcl/TDDFormEx.h"

namespace vireo {

class TDDButton;
class TDDLrcShow;
class TDDWindow;
class TPetrelMain;

// The window lyrics: a small skinned borderless window around the lyric view, with buttons to
// switch to the desktop lyrics, close, shift the timing by half a second either way and open the
// lyric search. Resizable by its edges. UI thread only.
class TPetrelLrc : public TDDFormEx {
  Q_OBJECT
 public:
  explicit TPetrelLrc(TPetrelMain* main);

  TDDWindow* DDWindow1 = nullptr;
  TDDButton* btn_lrc = nullptr;
  TDDButton* btn_close = nullptr;
  TDDLrcShow* lrcshw_min = nullptr;
  TDDButton* btn_b5 = nullptr;
  TDDButton* btn_f5 = nullptr;
  TDDButton* btn_Slrc = nullptr;

  void btn_lrcClick();
  void btn_closeClick();
  void btn_b5Click();
  void btn_f5Click();
  void btn_SlrcClick();

 Q_SIGNALS:
  // The user asked for the desktop lyrics instead (LyricMode is 0 by then).
  void DesktopLyricsWanted();

 private:
  TPetrelMain* main_;
};

}  // namespace vireo
