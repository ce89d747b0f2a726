// What other starts of the player and other programs hand over: forwarded arguments, library
// links, remote-control commands; and how one local file or link becomes a playlist entry.
#include <QApplication>
#include <QFile>
#include <QWindow>

#include "app/instance/CommandLine.h"
#include "app/instance/RemoteControl.h"
#include "app/librarywindow/TPetrelShare.h"
#include "app/mainwindow/LocalEntry.h"
#include "app/mainwindow/TPetrelMain.h"
#include "audio/TAudioEngine.h"
#include "audio/TagBatchReader.h"
#include "base/TextUtil.h"
#include "ddvcl/TDDPlaylist.h"
#include "ddvcl/TScrollText.h"
#include "library/LibraryLink.h"
#include "library/MUSIC_SEARCH_CreateObj.h"
#include "library/RemoteList.h"
#include "playlist/DateTimeFormat.h"
#include "playlist/ForeignPlaylist.h"
#include "playlist/TDDPlaylistModel.h"

namespace vireo {

RemoteActions TPetrelMain::RemoteTable() {
  RemoteActions a;
  a.show = [this] { Activate(); };
  a.mute = [this] { btn_soundClick(); };
  a.playPause = [this] { btn_playClick(); };
  a.previous = [this] { btn_previousClick(); };
  a.next = [this] { btn_nextClick(); };
  a.count = [this] { return model_->Count(); };
  a.current = [this] { return model_->CurrentItem(); };
  return a;
}

int TPetrelMain::WMCMDPLAY(int wparam, int lparam) {
  return RemoteControl::Answer(WM_CMDPLAY, wparam, lparam, RemoteTable());
}

void TPetrelMain::WMINFOUPDATE(int wparam) {
  RemoteControl::Answer(WM_INFOUPDATE, wparam, 0, RemoteTable());
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
      // The first start's "-f" text is a keyword, a forwarded one a search link.
      if (share_ && !action.text.startsWith(QStringLiteral("vireo"), Qt::CaseInsensitive))
        share_->SearchFor(action.text);
      else
        SearchFromLink(action.text);
      break;
    case CommandAction::None:
      break;
  }
}

void TPetrelMain::FirstStartCommandLine() {
  RunAction(CommandLine::FirstStart(CommandLine::LocalArguments(arguments_)));
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
    case CommandItem::LocalFile: {
      // Another player's playlist opens as its entries, the first of them playing.
      const int first = model_->Count();
      if (ForeignPlaylist::IsPlaylistFile(item.text)) {
        if (AddForeignPlaylist(item.text) <= 0 || !play) break;
        // The entry about to play has its tags at once, as a single file has: its title, lyric
        // lookup and plug-ins see its real names.
        ReadTagsNow(first);
        plst_list->SetCurrentItem(first);
      } else {
        AddLocalEntry(item.text, play);
        if (!play) break;
        plst_list->SetCurrentItem(model_->Count() - 1);
      }
      if (engine_) {
        engine_->Stop();
        PlayCurrent();
      }
      break;
    }
    case CommandItem::Link:
      AddLibraryLink(item.text);
      break;
    case CommandItem::SearchLink:
      SearchFromLink(item.text);
      break;
  }
}

int TPetrelMain::AddLocalEntry(const QString& path, bool readNow) {
  // A file about to play has its tags read at once (one file: milliseconds), so its lyric
  // lookup and the plug-ins see its real names.
  if (readNow) {
    model_->Items().Add() = LocalEntry::FromTags(path, engine_ ? engine_->ReadTags(path) : TTags{});
    return model_->Count() - 1;
  }
  // Otherwise the entry shows at once under its file name; its tags and length follow from a
  // worker, so adding a folder of thousands of files never holds the window.
  model_->Items().Add() = LocalEntry::FromTags(path, TTags{});
  pendingTagPaths_.append(path);
  if (!tagFlushQueued_) {
    tagFlushQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { ReadPendingTags(); }, Qt::QueuedConnection);
  }
  return model_->Count() - 1;
}

void TPetrelMain::ReadPendingTags() {
  tagFlushQueued_ = false;
  if (pendingTagPaths_.isEmpty()) return;
  if (!tagReader_) {
    tagReader_ = new TagBatchReader(this);
    connect(tagReader_, &TagBatchReader::TagsRead, this,
            [this](quint64 ticket, int first, const QList<TTags>& tags) {
              TagsArrived(ticket, first, tags);
            });
    // The list was saved when the entries came, under their file names; saved again once
    // their names are in, a crash or a kill afterwards keeps them.
    connect(tagReader_, &TagBatchReader::Finished, this, [this](quint64 ticket) {
      if (tagReads_.remove(ticket)) SavePlaylistNow();
    });
  }
  const quint64 ticket = tagReader_->Read(pendingTagPaths_);
  tagReads_.insert(ticket, pendingTagPaths_);
  pendingTagPaths_.clear();
}

namespace {

// A local entry that shows nothing but its file's name: its tags have not been read into it.
bool ShowsFileNameOnly(const TDDPlaylistItem& e) {
  return !e.ISURL && e.Artist.isEmpty() && e.Title == FileTitle(e.FileName);
}

}  // namespace

void TPetrelMain::ReadTagsNow(int index) {
  if (!engine_ || index < 0 || index >= model_->Count()) return;
  const TDDPlaylistItem& e = model_->Items()[index];
  if (ShowsFileNameOnly(e)) FillFromTags(index, engine_->ReadTags(e.FileName));
}

void TPetrelMain::FillFromTags(int index, const TTags& tags) {
  TDDPlaylistItem& e = model_->Items()[index];
  const TDDPlaylistItem filled = LocalEntry::FromTags(e.FileName, tags);
  e.Title = filled.Title;
  e.Artist = filled.Artist;
  e.Caption = filled.Caption;
  // A length the engine measured while the entry played stays when the tags have none.
  if (filled.LongTime != 0 || e.LongTime == 0) e.LongTime = filled.LongTime;
  e.StrLength = FormatDateTime(model_->TimeFormat(), e.LongTime);
  model_->ItemChanged(index);
  if (index == model_->CurrentItem()) lbl_title->SetScrollingText(e.Caption);
}

void TPetrelMain::TagsArrived(quint64 ticket, int first, const QList<TTags>& tags) {
  const auto read = tagReads_.constFind(ticket);
  if (read == tagReads_.constEnd()) return;
  // Entries may have moved or gone meanwhile: each path fills the entries still showing it
  // under its file name alone. One that started playing meanwhile has a length from the engine
  // already, and still gets its names.
  QHash<QString, TTags> byPath;
  for (int i = 0; i < tags.size() && first + i < read->size(); ++i)
    byPath.insert(read->at(first + i), tags[i]);
  TDDPlaylistItems::Update update(model_->Items());
  for (int i = 0; i < model_->Count(); ++i) {
    const TDDPlaylistItem& e = model_->Items()[i];
    if (!ShowsFileNameOnly(e)) continue;
    const auto found = byPath.constFind(e.FileName);
    if (found != byPath.constEnd()) FillFromTags(i, *found);
  }
}

void TPetrelMain::AddLinkList(const QString& text) {
  for (const QString& piece : LibraryLink::SplitList(text)) AddLibraryLink(piece);
  UpdateEmptyPanel();
}

QString TPetrelMain::AddLibraryLink(const QString& text) {
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
  return link.id;
}

void TPetrelMain::AddLibraryTrack(const TDDPlaylistItem& entry, bool play) {
  {
    TDDPlaylistItems::Update update(model_->Items());
    model_->Items().Add() = entry;
    if (play && engine_) {
      plst_list->SetCurrentItem(model_->Count() - 1);
      engine_->Stop();
      PlayCurrent();
    }
  }
  UpdateEmptyPanel();
}

std::shared_ptr<IMusicSearch> TPetrelMain::MusicSearch() {
  if (!musicSearch_) {
    MusicSearchSettings settings;
    settings.serviceHost = ctx_.Settings.ServiceHost;
    settings.archiveBaseUrl = ctx_.Settings.ArchiveUrl;
    musicSearch_ = MUSIC_SEARCH_CreateObj(settings);
  }
  return musicSearch_;
}

void TPetrelMain::SearchFromLink(const QString& link) {
  if (share_) share_->SearchFromLink(link);
}

void TPetrelMain::AddRemoteList(const QByteArray& xml) {
  for (const QString& link : RemoteList::Links(xml)) AddLibraryLink(link);
}


}  // namespace vireo
