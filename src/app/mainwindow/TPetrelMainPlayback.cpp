// Playback sequencing: the user's playback commands, the engine's five events, the play modes,
// the lyric lookup of each track, the play report and the song cache.
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include "app/desktop/MprisService.h"
#include "app/lyrics/TPetrelLrc.h"
#include "app/mainwindow/TPetrelMain.h"
#include "audio/AudioCodes.h"
#include "audio/TAudioEngine.h"
#include "base/TextUtil.h"
#include "base/UrlCodec.h"
#include "ddvcl/TDDCheckedButton.h"
#include "ddvcl/TDDFrameClock.h"
#include "ddvcl/TDDLrcShow.h"
#include "ddvcl/TDDPlaylist.h"
#include "ddvcl/TDDSliderBlendEx.h"
#include "ddvcl/TDDVIS.h"
#include "ddvcl/TScrollText.h"
#include "lyrics/LyricFolder.h"
#include "lyrics/LyricOffsetTable.h"
#include "lyrics/TLrcTextThread.h"
#include "net/ServiceHost.h"
#include "net/TPostThr.h"
#include "playlist/DateTimeFormat.h"
#include "playlist/TDDPlaylistModel.h"
#include "store/EqPresets.h"

Q_DECLARE_LOGGING_CATEGORY(lcMain)

namespace vireo {

namespace {

constexpr double kMsPerDay = 86400000.0;

// "nn:ss" of a time in milliseconds taken as a time of day: the hours are dropped.
QString MinutesSeconds(int ms) {
  return FormatDateTime(QStringLiteral("nn:ss"), double(ms) / kMsPerDay);
}

}  // namespace

void TPetrelMain::PlayCurrent() {
  const int current = model_->CurrentItem();
  if (current < 0 || current >= model_->Count()) return;
  engine_->Play(model_->Items()[current].FileName);
}

void TPetrelMain::btn_playClick() {
  if (!engine_ || model_->Count() == 0) return;
  switch (engine_->State()) {
    case AudioState::Stopped:
    case AudioState::Ended:
      if (model_->CurrentItem() < 0) plst_list->SetCurrentItem(0);
      PlayCurrent();
      break;
    case AudioState::Playing:
      engine_->Pause();
      break;
    case AudioState::Paused:
      engine_->Resume();
      break;
    default:
      break;  // connecting or failed: nothing
  }
}

void TPetrelMain::btn_nextClick() {
  if (!engine_ || model_->Count() == 0) return;
  int next = model_->CurrentItem() + 1;
  if (next >= model_->Count()) next = 0;
  plst_list->SetCurrentItem(next);
  engine_->Stop();
  btn_playClick();
}

void TPetrelMain::btn_previousClick() {
  if (!engine_ || model_->Count() == 0) return;
  const int previous = model_->CurrentItem() - 1;
  // From the first entry no entry is current any more and the track plays on.
  plst_list->SetCurrentItem(previous);
  if (previous >= 0) {
    engine_->Stop();
    btn_playClick();
  }
}

void TPetrelMain::plst_listItemDblClick() {
  if (!engine_) return;
  if (engine_->State() == AudioState::Connecting) {
    // The stream being connected stays the current entry.
    plst_list->SetCurrentItem(ctx_.LoadingIndex);
    return;
  }
  engine_->Stop();
  PlayCurrent();
}

void TPetrelMain::sldr_musicMouseDown() {
  seekDragging_ = true;
}

void TPetrelMain::sldr_musicMouseUp() {
  if (engine_) engine_->SetPosition(sldr_music->Position() * 1000);
  seekDragging_ = false;
  if (mpris_) mpris_->NotifySeeked();
}

void TPetrelMain::sldr_volumeMouseUp() {
  if (engine_) engine_->SetVolume(float(sldr_volume->Position()));
}

void TPetrelMain::btn_soundClick() {
  btn_sound->SetChecked(!btn_sound->Checked());
  if (btn_sound->Checked()) {
    if (engine_) engine_->SetVolume(0);
    sldr_volume->setEnabled(false);
  } else {
    if (engine_) engine_->SetVolume(float(sldr_volume->Position()));
    sldr_volume->setEnabled(true);
  }
}

void TPetrelMain::pmm_gainClick() {
  // The action toggled its own check mark; the engine acts from the next track on.
  if (engine_) engine_->SetDBGain(pmm_gain->isChecked());
}

void TPetrelMain::pmmode_noneClick(int tag) {
  // tag: the menu item's, 1 in order, 2 repeat the list, 3 repeat the track.
  TPlayMode& mode = ctx_.Settings.PlayMode;
  if (mode != TPlayMode::InOrder && tag == 1) {
    mode = TPlayMode::InOrder;
    lbl_mode->setText(tr("顺序播放"));
  } else if (mode != TPlayMode::RepeatList && tag == 2) {
    mode = TPlayMode::RepeatList;
    lbl_mode->setText(tr("循环播放"));
  } else if (mode != TPlayMode::RepeatTrack && tag == 3) {
    mode = TPlayMode::RepeatTrack;
    lbl_mode->setText(tr("单曲循环"));
  }
  UpdateNextTrack();
}

void TPetrelMain::ApplyEqPreset(int id) {
  ctx_.Settings.EqPresetId = id;
  const auto gains = eqPresets_.Lookup(ctx_.Settings.AppDir + QStringLiteral("effect.dat"), id);
  if (gains && engine_) engine_->SetEQ(*gains);
}

void TPetrelMain::EngineStateChanged(AudioState state) {
  const int current = model_->CurrentItem();
  const bool hasEntry = current >= 0 && current < model_->Count();
  switch (state) {
    case AudioState::Playing: {
      ApplyEqPreset(ctx_.Settings.EqPresetId);
      const int lengthMs = engine_->GetLength();
      if (hasEntry) lbl_title->SetScrollingText(model_->Items()[current].Caption);
      sldr_music->SetMax(lengthMs / 1000);
      lbl_stack->setText(tr("播放中"));
      if (hasEntry) {
        TDDPlaylistItem& e = model_->Items()[current];
        e.LongTime = double(lengthMs) / kMsPerDay;
        e.StrLength = FormatDateTime(model_->TimeFormat(), e.LongTime);
        model_->ItemChanged(current);
      }
      if (lrcWindow_) lrcWindow_->SetLengthTime(lengthMs);
      Q_EMIT TrackStarted();
      if (hasEntry && !lyricLookupRunning_) StartLyricLookup();
      if (hasEntry && model_->Items()[current].ISURL) SendPlayReport();
      if (cacheRepointPending_) RepointToCache(pendingCache_.first, pendingCache_.second);
      UpdateNextTrack();
      break;
    }
    case AudioState::Paused:
      lbl_stack->setText(tr("暂停"));
      break;
    case AudioState::Connecting:
      cacheRepointPending_ = false;
      lbl_stack->setText(QStringLiteral("Loading..."));
      ctx_.LoadingIndex = current;
      if (hasEntry) ChooseCacheNames();
      break;
    default:
      break;
  }
  btn_play->SetChecked(state == AudioState::Playing);
}

void TPetrelMain::ChooseCacheNames() {
  const QString dir = ctx_.Settings.MusicDir.endsWith(QLatin1Char('/'))
                          ? ctx_.Settings.MusicDir
                          : ctx_.Settings.MusicDir + QLatin1Char('/');
  // The nine characters no file name may hold go; the name is cut to 100 bytes at a character
  // boundary.
  const QString name = CleanFileName(model_->Items()[model_->CurrentItem()].Caption, 100);
  ctx_.CacheTempPath = dir + QStringLiteral("_temp._mp");
  QString path = dir + name + QStringLiteral(".mp3");
  if (QFileInfo::exists(path)) {
    for (int n = 1; n <= 10000; ++n) {
      path = dir + name + QLatin1Char('(') + QString::number(n) + QStringLiteral(").mp3");
      if (!QFileInfo::exists(path)) break;
    }
  }
  ctx_.CachePath = path;
  // Every connect starts a fresh temporary file, so an abandoned stream's bytes never prefix
  // the next track's.
  ctx_.CacheWriter.reset();
}

void TPetrelMain::SendPlayReport() {
  const TDDPlaylistItem& e = model_->Items()[model_->CurrentItem()];
  const QByteArray body = "t=" + URLEncodeText(e.Title) + "&s=" + URLEncodeText(e.Artist) +
                          "&a=" + URLEncodeText(e.Alum) +
                          "&b=" + QByteArray::number(engine_->Bitrate()) +
                          "&u=" + URLEncodeText(e.FileName);
  const QByteArray url = ServiceHost::Url("/mpost/mp3down.asp");
  if (!url.isEmpty()) TPostThr::Create(url, body);
}

void TPetrelMain::StartLyricLookup() {
  const TDDPlaylistItem& e = model_->Items()[model_->CurrentItem()];
  TLrcTextThread::Track track{e.FileName, e.Title, e.Artist, QString()};
  LrcLookupContext context;
  context.lyricFolder = ctx_.Settings.LrcDir;
  context.lrcDown = lrcDown_;
  context.reportToService = ctx_.ServiceReachable;
  context.offsetTable = ctx_.Settings.DataDir + QString::fromLatin1(LyricOffsetTable::kFileName);
  QPointer<TPetrelMain> self(this);
  context.currentEntry = [self]() {
    LrcLookupContext::EntryNames names;
    if (!self) return names;
    const int current = self->model_->CurrentItem();
    if (current < 0 || current >= self->model_->Count()) return names;
    names.title = self->model_->Items()[current].Title;
    names.singer = self->model_->Items()[current].Artist;
    return names;
  };
  lyricLookupRunning_ = true;
  TLrcTextThread::Start(track, context, this, [this](const TLrcTextThread::Result& result) {
    LyricLookupDone(result);
  });
}

void TPetrelMain::LyricLookupDone(const TLrcTextThread::Result& result) {
  if (lrcWindow_) {
    lrcWindow_->ShowLyric(result.text, result.path, result.storedOffset);
    lrcWindow_->SetLengthTime(engine_ ? engine_->GetLength() : 0);
  }
  lyricLookupRunning_ = false;
  // Saving a downloaded lyric is the lookup's own last step (it knows whether it came online).
}

void TPetrelMain::EngineProgress(AudioState, int lengthMs, int positionMs, const float* fft,
                                 const uint32_t*) {
  // The slider and the time move once a second while the ticks come twenty times: only a
  // change is drawn (the slider draws itself at once on every SetPosition).
  if (!seekDragging_ && sldr_music->Position() != positionMs / 1000)
    sldr_music->SetPosition(positionMs / 1000);
  // "nn:ss" depends on the whole seconds only: the text is made again when one of them changed.
  const qint64 shownFor = positionMs >= 0 && lengthMs >= 0
                              ? qint64(positionMs / 1000) << 32 | qint64(lengthMs / 1000)
                              : -1;
  if (shownFor < 0 || shownFor != timeShownFor_) {
    timeShownFor_ = shownFor;
    const QString time = MinutesSeconds(positionMs) + QLatin1Char('/') + MinutesSeconds(lengthMs);
    if (lbl_time->text() != time) lbl_time->setText(time);
  }
  ++tickCount_;
  if (isVisible() && fft) dvs_1->SetData(fft);
  if (tickCount_ == 3 && btn_lrc->Checked() && lrcWindow_) {
    lrcWindow_->SetPosTime(engine_->GetPosition());
    QString line = lrcWindow_->CurrentText();
    if (line.trimmed().isEmpty()) line = QStringLiteral(". . .");
    Q_EMIT LyricLine(line);
  }
  if (tickCount_ >= 3) tickCount_ = 0;
  // The karaoke fills move on the ticks: the UI thread is awake for them anyway.
  TDDFrameClock::Pulse();
}

void TPetrelMain::AdvanceAfterTrack() {
  switch (ctx_.Settings.PlayMode) {
    case TPlayMode::InOrder:
      if (model_->CurrentItem() < model_->Count() - 1) btn_nextClick();
      break;
    case TPlayMode::RepeatList:
      btn_nextClick();
      break;
    case TPlayMode::RepeatTrack:
      btn_playClick();
      break;
    default:
      break;
  }
}

int TPetrelMain::NextAfterTrack() const {
  const int count = model_->Count(), current = model_->CurrentItem();
  if (count == 0) return -1;
  switch (ctx_.Settings.PlayMode) {
    case TPlayMode::InOrder:
      return current < count - 1 ? current + 1 : -1;
    case TPlayMode::RepeatList:
      return current + 1 < count ? current + 1 : 0;
    case TPlayMode::RepeatTrack:
      return current >= 0 && current < count ? current : -1;
    default:
      return -1;
  }
}

void TPetrelMain::UpdateNextTrack() {
  if (!engine_) return;
  const int next = NextAfterTrack();
  engine_->PrepareNext(next >= 0 ? model_->Items()[next].FileName : QString());
}

void TPetrelMain::AfterTrackEnded() {
  AdvanceAfterTrack();
  if (lrcWindow_) {
    lrcWindow_->ShowLyric(QString(), QString());
    lrcWindow_->SetLengthTime(0);
  }
  Q_EMIT TrackEnded();
}

void TPetrelMain::EngineEnded() {
  AfterTrackEnded();
}

void TPetrelMain::EngineError(AudioState, int detail) {
  if (detail != 0) tmr_lanerr.start();
}

void TPetrelMain::tmr_lanerrTimer() {
  tmr_lanerr.stop();
  AfterTrackEnded();
}

void TPetrelMain::RepointToCache(const QString& cachePath, const QString& url) {
  cacheRepointPending_ = false;
  // The entry that was streamed, if it is still the current one.
  const int index = model_->CurrentItem();
  if (index < 0 || index >= model_->Count()) return;
  TDDPlaylistItem& e = model_->Items()[index];
  if (!e.ISURL || e.FileName != url) return;
  e.FileName = cachePath;
  e.ISURL = false;
  model_->ItemChanged(index);
}

void TPetrelMain::EngineDownload(const char* buffer, int length) {
  if (!engine_) return;
  PlayerSharedValues& shared = engine_->Shared();
  if (!ctx_.CacheWriter) {
    if (!buffer) return;  // the end of a download that never wrote a byte here
    const int index = model_->CurrentItem();
    const QString url = index >= 0 && index < model_->Count() ? model_->Items()[index].FileName
                                                              : QString();
    ctx_.CacheWriter = std::make_unique<SongCacheWriter>(
        ctx_.CacheTempPath, ctx_.CachePath, this, [this, url](const QString& kept) {
          // A short track on a fast network is kept before it starts playing; the entry is
          // re-pointed once the start has been handled, so the start still counts as a
          // network play.
          if (engine_ && engine_->State() == AudioState::Connecting) {
            cacheRepointPending_ = true;
            pendingCache_ = {kept, url};
          } else {
            RepointToCache(kept, url);
          }
        });
    shared.DownloadWritten = 0;
  }
  if (buffer) {
    ctx_.CacheWriter->Append(buffer, length);
    shared.DownloadWritten += uint32_t(length);
    return;
  }
  ctx_.CacheWriter->Finish(shared.DownloadWritten.load() >= shared.DownloadTotal.load());
  ctx_.CacheWriter.reset();
}

}  // namespace vireo
