// What other starts of the player and other programs hand over: forwarded arguments, library
// links, remote-control commands; and how one local file or link becomes a playlist entry.
#include <QApplication>
#include <QFile>
#include <QWindow>

#include "app/TPetrelMain.h"
#include "audio/TAudioEngine.h"
#include "base/TextUtil.h"
#include "library/LibraryLink.h"
#include "library/RemoteList.h"
#include "ddvcl/TDDPlaylist.h"
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

void TPetrelMain::HandleForwardedBatch(const ForwardedBatch& batch) {
  if (batch.senders.size() <= 1) {
    HandleForwardedArgs(batch.pendingArgs, batch.lastIndex);
    return;
  }
  int firstAdded = -1;
  {
    TDDPlaylistItems::Update update(model_->Items());
    for (const QStringList& args : batch.senders) {
      const QString text = TrimText(args.join(QLatin1Char(' ')));
      if (text.isEmpty()) continue;
      if (text.left(2).toLower() == QStringLiteral("-f")) {
        AddLinkList(text.mid(3));
      } else if (text.startsWith(QStringLiteral("vireo"))) {
        AddLibraryLink(text.endsWith(QLatin1Char('/')) ? text.chopped(1) : text);
      } else {
        const int index = AddLocalEntry(text);
        if (firstAdded < 0) firstAdded = index;
      }
    }
  }
  if (firstAdded >= 0 && engine_) {
    plst_list->SetCurrentItem(firstAdded);
    engine_->Stop();
    PlayCurrent();
  }
  SavePlaylistNow();
  UpdateEmptyPanel();
}

void TPetrelMain::HandleForwardedArgs(const QStringList& pending, int last) {
  if (last <= 0) return;
  // Slots 1..last joined, each after one blank, trimmed of blanks and control characters.
  QString text;
  for (int i = 1; i <= last && i < pending.size(); ++i) text += QLatin1Char(' ') + pending[i];
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
      plst_list->SetCurrentItem(model_->Count() - 1);
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
  for (const QString& piece : LibraryLink::SplitList(text)) AddLibraryLink(piece);
  UpdateEmptyPanel();
}

bool TPetrelMain::AddLibraryLink(const QString& text) {
  const LibraryLink link = LibraryLink::Parse(text);
  {
    TDDPlaylistItems::Update update(model_->Items());
    model_->Items().Add() = link.Entry();
    if (link.IsPlay() && engine_) {
      plst_list->SetCurrentItem(model_->Count() - 1);
      engine_->Stop();
      PlayCurrent();
    }
  }
  if (model_->Count() > 0) {
    pnl_1->hide();
    plst_list->show();
  }
  return true;
}

void TPetrelMain::AddRemoteList(const QByteArray& xml) {
  for (const QString& link : RemoteList::Links(xml)) AddLibraryLink(link);
}

void TPetrelMain::FirstStartCommandLine() {
  // Filled in with the command-line rules below.
}

}  // namespace vireo
