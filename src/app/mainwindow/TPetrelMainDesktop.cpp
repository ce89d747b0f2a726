// The desktop's side of the main window: what MPRIS2 (the sound menu, media keys, playerctl)
// asks of the player, and the playlists other players wrote. Every command goes through the
// same handler as its button, so the desktop never finds a way around the play modes.
#include <QFileInfo>
#include <QUrl>

#include "app/desktop/MprisService.h"
#include "app/mainwindow/TPetrelMain.h"
#include "audio/TAudioEngine.h"
#include "ddvcl/TDDPlaylist.h"
#include "ddvcl/TDDSliderBlendEx.h"
#include "library/LibraryLink.h"
#include "playlist/ForeignPlaylist.h"
#include "playlist/TDDPlaylistModel.h"

namespace vireo {

void TPetrelMain::StartDesktopService() {
  mpris_ = new MprisService(this, this);
  mpris_->Register();  // no session bus: the player simply has no desktop controls
  for (auto signal : {&TDDPlaylistModel::CurrentChanged})
    connect(model_, signal, mpris_, [this] { mpris_->Refresh(); });
  connect(model_, &TDDPlaylistModel::Changed, mpris_, [this] { mpris_->Refresh(); });
}

void TPetrelMain::Stop() {
  if (engine_) engine_->Stop();
}

void TPetrelMain::SeekTo(int ms) {
  if (!engine_) return;
  engine_->SetPosition(ms);
  if (!seekDragging_) sldr_music->SetPosition(ms / 1000);
  if (mpris_) mpris_->NotifySeeked();
}

bool TPetrelMain::OpenUri(const QString& nameOrUrl) {
  const QString name = nameOrUrl.trimmed();
  if (name.isEmpty()) return false;
  if (ForeignPlaylist::IsPlaylistFile(name) && QFileInfo(name).isFile()) {
    const int before = model_->Count();
    if (AddForeignPlaylist(name) <= 0) return false;
    plst_list->SetCurrentItem(before);
    if (engine_) {
      engine_->Stop();
      PlayCurrent();
    }
    return true;
  }
  const QUrl url(name);
  const QString scheme = url.scheme().toLower();
  if (scheme == QStringLiteral("http") || scheme == QStringLiteral("https")) {
    TDDPlaylistItem e;
    e.FileName = name;
    e.Title = url.fileName().isEmpty() ? url.host() : url.fileName();
    e.Caption = e.Title + QStringLiteral(" - ");
    e.ISURL = true;
    model_->Items().Add() = e;
    plst_list->SetCurrentItem(model_->Count() - 1);
    if (engine_) {
      engine_->Stop();
      PlayCurrent();
    }
    UpdateEmptyPanel();
    return true;
  }
  if (!LibraryLink::IsLibraryLink(name) && !QFileInfo(name).isFile()) return false;
  OpenCommandItem(name, true);
  return true;
}

int TPetrelMain::AddForeignPlaylist(const QString& path) {
  const auto entries = ForeignPlaylist::Read(path);
  if (!entries) return 0;
  {
    TDDPlaylistItems::Update update(model_->Items());
    for (const ForeignPlaylist::Entry& entry : *entries) {
      if (!entry.network && entry.title.isEmpty())
        AddLocalEntry(entry.location);  // its tags come from the tag reader
      else
        model_->Items().Add() = ForeignPlaylist::ToItem(entry);
    }
  }
  UpdateEmptyPanel();
  return int(entries->size());
}

void TPetrelMain::SetPlayMode(TPlayMode mode) {
  switch (mode) {
    case TPlayMode::StopAfterTrack:
      ctx_.Settings.PlayMode = mode;  // no menu item: the label keeps what it showed
      break;
    case TPlayMode::InOrder:
      pmmode_none->setChecked(true);
      pmmode_noneClick(1);
      break;
    case TPlayMode::RepeatList:
      pmmode_rp->setChecked(true);
      pmmode_noneClick(2);
      break;
    case TPlayMode::RepeatTrack:
      pmmode_orp->setChecked(true);
      pmmode_noneClick(3);
      break;
    default:
      return;
  }
  if (mpris_) mpris_->Refresh();
}

int TPetrelMain::Volume() const {
  return sldr_volume->Position();
}

void TPetrelMain::SetVolume(int volume) {
  sldr_volume->SetPosition(qBound(0, volume, 100));
  sldr_volumeMouseUp();
  if (mpris_) mpris_->Refresh();
}

int TPetrelMain::EntryCount() const {
  return model_->Count();
}

MediaTrack TPetrelMain::CurrentTrack() const {
  MediaTrack t;
  const int current = model_->CurrentItem();
  if (current < 0 || current >= model_->Count()) return t;
  const TDDPlaylistItem& e = model_->Items()[current];
  t.valid = true;
  t.index = current;
  t.fileName = e.FileName;
  t.title = e.Title;
  t.artist = e.Artist;
  t.album = e.Alum;
  t.isUrl = e.ISURL;
  t.lengthMs = int(e.LongTime * 86400000.0 + 0.5);
  return t;
}

}  // namespace vireo
