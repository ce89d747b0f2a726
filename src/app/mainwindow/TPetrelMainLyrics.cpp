// How the main window drives the lyric window and the desktop lyrics: the current line at every
// tick, the toolbar's commands, the switch between the two lyric modes, the translations and
// the empty view. The lyric windows' own controls stay theirs: everything here goes through
// their methods.
#include "app/lyrics/TPetrelDeskTopLrc.h"
#include "app/lyrics/TPetrelDlrcButton.h"
#include "app/lyrics/TPetrelLrc.h"
#include "app/lyrics/TPetrelSlrc.h"
#include "app/mainwindow/TPetrelMain.h"

namespace vireo {

void TPetrelMain::ConnectLyricWindows() {
  TPetrelDeskTopLrc* desktop = desktopLyrics_;
  TPetrelDlrcButton* toolbar = desktopToolbar_;
  // Drawing a line of the desktop lyrics is costly (outlined path text as wide as the screen);
  // while they are hidden no line is drawn, since showing them starts with the welcome line
  // and the next tick brings the current one.
  connect(this, &TPetrelMain::LyricLine, desktop, [this, desktop](const QString& line) {
    if (!desktop->isVisible()) return;
    if (!lrcWindow_) {
      desktop->ShowText(line);
      return;
    }
    qint32 end = 0;
    const TLyricItem current = lrcWindow_->CurrentLine(&end);
    desktop->ShowLine(line, current, end, lrcWindow_->PosTime());
  });
  connect(desktop, &TPetrelDeskTopLrc::Hovered, toolbar, [toolbar] {
    toolbar->PlaceOver();
    toolbar->LyricsHovered();
  });
  connect(toolbar, &TPetrelDlrcButton::ShiftLyrics, this, [this](int ms) {
    if (lrcWindow_) lrcWindow_->ShiftLyrics(ms);
  });
  connect(toolbar, &TPetrelDlrcButton::SearchLyrics, this, [this] { TPetrelSlrc::Open(this); });
  connect(toolbar, &TPetrelDlrcButton::SwitchToWindowLyrics, this, [this] {
    ctx_.LyricMode = 1;
    if (desktopLyrics_) desktopLyrics_->hide();
    if (lrcWindow_) lrcWindow_->show();
  });
  connect(toolbar, &TPetrelDlrcButton::CloseLyrics, this, [this] { SetLyricsChecked(false); });
  connect(toolbar, &TPetrelDlrcButton::Dragged, this,
          [this, desktop] { ctx_.Settings.DesktopLyricsPos = desktop->pos(); });
  connect(lrcWindow_, &TPetrelLrc::DesktopLyricsWanted, this, [this] {
    if (desktopLyrics_) desktopLyrics_->show();
  });
}

}  // namespace vireo
