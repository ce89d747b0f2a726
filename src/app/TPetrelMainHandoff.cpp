// What other starts of the player and other programs hand over: forwarded arguments, library
// links, remote-control commands; and how one local file or link becomes a playlist entry.
#include <QApplication>
#include <QFile>
#include <QWindow>

#include "app/TPetrelMain.h"
#include "audio/TAudioEngine.h"
#include "base/TextUtil.h"
#include "playlist/TDDPlaylistModel.h"

namespace vireo {

int TPetrelMain::WMCMDPLAY(int wparam, int lparam) {
  if (lparam != 0) return -1;
  switch (wparam) {
    case 15:
      btn_soundClick();
      return 1;
    case 16:
      btn_playClick();
      return 1;
    case 19:
      btn_previousClick();
      return 1;
    case 20:
      btn_nextClick();
      return 1;
    case 50:
      return model_->Count();
    case 51:
      return model_->CurrentItem();
    default:
      return -1;
  }
}

void TPetrelMain::WMINFOUPDATE(int wparam) {
  if (wparam != 99) return;
  Activate();
}

void TPetrelMain::Activate() {
  show();
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  raise();
  activateWindow();
}

void TPetrelMain::HandleForwardedArgs(const QStringList& pending) {
  // Slots 1..last joined, each after one blank, trimmed of blanks and control characters.
  QString text;
  for (const QString& piece : pending) text += QLatin1Char(' ') + piece;
  text = TrimText(text);
  if (text.left(2).toLower() == QStringLiteral("-f"))
    AddLinkList(text.mid(3));
  else
    OpenCommandItem(text);
}

void TPetrelMain::OpenCommandItem(const QString& text) {
  try {
    TDDPlaylistItems::Update update(model_->Items());
    if (!text.startsWith(QStringLiteral("vireo"))) {
      AddLocalEntry(text);
      model_->SetCurrentItem(model_->Count() - 1);
      if (engine_) {
        engine_->Stop();
        PlayCurrent();
      }
    } else {
      QString link = text;
      if (link.endsWith(QLatin1Char('/'))) link.chop(1);
      AddLibraryLink(link);
    }
  } catch (...) {
    SavePlaylistNow();
    UpdateEmptyPanel();
    throw;
  }
  SavePlaylistNow();
  UpdateEmptyPanel();
}

int TPetrelMain::AddLocalEntry(const QString& path) {
  const TTags tags = engine_ ? engine_->ReadTags(path) : TTags{};
  TDDPlaylistItem& e = model_->Items().Add();
  e.FileName = path;
  e.LongTime = tags.Length;
  e.ISURL = false;
  e.Title = TrimText(tags.Title).isEmpty() ? FileTitle(path) : tags.Title;
  e.Artist = tags.Artist;
  e.Caption = e.Title + QStringLiteral(" - ") + e.Artist;
  return model_->Count() - 1;
}

void TPetrelMain::AddLinkList(const QString& text) {
  QStringList pieces = text.split(QLatin1Char(';'));
  // A trailing separator adds no piece; empty pieces between two separators are handed over.
  if (!pieces.isEmpty() && pieces.last().isEmpty()) pieces.removeLast();
  for (const QString& piece : pieces) AddLibraryLink(piece);
  UpdateEmptyPanel();
}

void TPetrelMain::FirstStartCommandLine() {
  // Filled in with the command-line rules below.
}

}  // namespace vireo
