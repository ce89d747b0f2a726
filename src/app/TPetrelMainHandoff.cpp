// What other starts of the player and other programs hand over: forwarded arguments, library
// links, remote-control commands; and how one local file or link becomes a playlist entry.
#include <QApplication>
#include <QFile>
#include <QWindow>

#include "app/TPetrelMain.h"
#include "audio/TAudioEngine.h"
#include "app/CommandLine.h"
#include "app/LocalEntry.h"
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
  // One start: its arguments joined as one text. Several together (files opened at once from
  // the file manager): each start's text on its own, only the first file playing.
  if (batch.senders.size() <= 1) {
    RunAction(CommandLine::Forwarded(batch.pendingArgs, batch.lastIndex));
    return;
  }
  for (const CommandAction& action : CommandLine::ForBatch(batch)) RunAction(action);
}

void TPetrelMain::RunAction(const CommandAction& action) {
  switch (action.kind) {
    case CommandAction::OpenItem:
      OpenCommandItem(action.text, action.play);
      if (action.playLastEntry && model_->Count() > 0 && engine_) {
        plst_list->SetCurrentItem(model_->Count() - 1);
        engine_->Stop();
        PlayCurrent();
      }
      break;
    case CommandAction::LinkList:
      AddLinkList(action.text);
      break;
    case CommandAction::RemoteListFile: {
      QFile file(action.text);
      if (file.open(QIODevice::ReadOnly)) AddRemoteList(file.readAll());
      UpdateEmptyPanel();
      break;
    }
    case CommandAction::Search:
      SearchFromLink(action.text);
      break;
    case CommandAction::None:
      break;
  }
}

void TPetrelMain::FirstStartCommandLine() {
  RunAction(CommandLine::FirstStart(CommandLine::LocalArguments(arguments_)));
}

void TPetrelMain::SearchFromLink(const QString& link) {
  // The library window searches; until it is part of the player the link is kept for it.
  pendingSearch_ = link;
}

void TPetrelMain::OpenCommandItem(const QString& text, bool play) {
  struct Finish {
    TPetrelMain* self;
    ~Finish() {
      self->SavePlaylistNow();
      self->UpdateEmptyPanel();
    }
  } finish{this};
  TDDPlaylistItems::Update update(model_->Items());
  const CommandItem item = CommandLine::Classify(text);
  switch (item.kind) {
    case CommandItem::LocalFile:
      AddLocalEntry(item.text);
      if (!play) break;
      plst_list->SetCurrentItem(model_->Count() - 1);
      if (engine_) {
        engine_->Stop();
        PlayCurrent();
      }
      break;
    case CommandItem::Link:
      AddLibraryLink(item.text);
      break;
    case CommandItem::SearchLink:
      SearchFromLink(item.text);
      break;
  }
}

int TPetrelMain::AddLocalEntry(const QString& path) {
  const TTags tags = engine_ ? engine_->ReadTags(path) : TTags{};
  model_->Items().Add() = LocalEntry::FromTags(path, tags);
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


}  // namespace vireo
