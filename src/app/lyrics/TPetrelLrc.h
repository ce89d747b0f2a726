#pragma once

#include <QString>
#include <optional>

#include "ddvcl/TDDFormEx.h"
#include "lyrics/TLyricItem.h"

namespace vireo {

class TDDButton;
class TDDLrcShow;
class TDDWindow;
class TPetrelMain;

// The window lyrics: a small skinned borderless window around the lyric view, with buttons to
// switch to the desktop lyrics, close, shift the timing by half a second either way and open the
// lyric search. Resizable by its edges. UI thread only.
class TDDSkin;

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

  // Hands the window's frame, buttons and lyric view to the skin object as "lrc".
  void RegisterSkin(TDDSkin& skin);

  // The lyric of the track, from the file it is kept in (empty: none, so an offset set for it
  // is not kept) and the offset kept for that file in the per-user table, if any.
  void ShowLyric(const QString& text, const QString& path,
                 std::optional<qint32> storedOffset = std::nullopt);
  // The lyric file the shown lyric is kept in from now on (the search dialog saved one).
  void SetLyricFile(const QString& path) { lyricPath_ = path; }
  QString LyricFile() const { return lyricPath_; }
  // Moves the lyrics ms earlier (a positive value) or later and keeps the offset for the song:
  // in the lyric file's [offset:] tag, else in the per-user table. The one way every window
  // shifts the lyrics.
  void ShiftLyrics(int ms);
  int LyricOffset() const;
  // Whether translations are shown under their lines.
  void SetShowTranslations(bool show);
  // Every position tick: the view's position, and what the desktop lyrics need of it.
  void SetPosTime(int ms);
  void SetLengthTime(int ms);
  int PosTime() const;
  QString CurrentText() const;
  TLyricItem CurrentLine(qint32* end) const;
  // Offset writes still running or waiting (tests wait for 0).
  int PendingOffsetWrites() const { return writing_ ? 1 : 0; }

 Q_SIGNALS:
  // The user asked for the desktop lyrics instead (LyricMode is 0 by then).
  void DesktopLyricsWanted();

 Q_SIGNALS:
  // An offset write ended; where: 0 the lyric file, 1 the per-user table, 2 nowhere.
  void OffsetKept(int where);

 private:
  void WriteOffset();

  TPetrelMain* main_;
  QString lyricPath_;
  bool writing_ = false;  // one write at a time, so the last value is the one that stays
  std::optional<qint32> pendingOffset_;
  QString pendingPath_;
};

}  // namespace vireo
