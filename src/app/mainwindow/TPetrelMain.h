#pragma once

#include <QAction>
#include <QHash>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/desktop/IMediaPlayerHost.h"
#include "app/instance/CommandLine.h"
#include "app/instance/ForwardedBatch.h"
#include "app/instance/RemoteControl.h"
#include "app/librarywindow/ILibraryHost.h"
#include "app/mainwindow/PlayerContext.h"
#include "audio/AudioCodes.h"
#include "audio/TTags.h"
#include "base/AppFolders.h"
#include "ddvcl/TDDFormEx.h"
#include "lyrics/TLrcTextThread.h"
#include "store/EqPresetCache.h"

namespace vireo {

class ILrcDown;
class TAudioEngine;
class TDDButton;
class TDDCheckedButton;
class TDDLinkLabel;
class TDDPlaylist;
class TDDPlaylistModel;
class TDDSkin;
class TDDSliderBlendEx;
class TDDTrayIcon;
class TDDVIS;
class TDDWindow;
class TPetrelDeskTopLrc;
class TPetrelDlrcButton;
class TPetrelLrc;
class TUSGeneralPurpose;
class MprisService;
class TPetrelShare;
class TagBatchReader;
class TScrollText;

// The player's main window and the owner of everything shared: the engine, the skin, the lyric
// component, the other windows and the process-wide values. Its creation builds the player in
// the documented steps, each guarded so that a failing step does not keep the later ones from
// running; closing saves the playlist, then the settings.
//
// The class is split by concern over several files:
//   TPetrelMain.cpp          composition, creation, closing, destruction, moving and resizing
//   TPetrelMainPlayback.cpp  playback sequencing: user commands, engine events, play modes, cache
//   TPetrelMainCommands.cpp  the menus and the commands of the buttons and menus
//   TPetrelMainHandoff.cpp   what other starts and other programs hand over, local files, links
//   TPetrelMainDesktop.cpp   the desktop's side: MPRIS2 commands, playlists of other players
//
// UI thread only.
class TPetrelMain : public TDDFormEx, public IMediaPlayerHost, public ILibraryHost {
  Q_OBJECT

 public:
  // The window-message numbers other programs send over the instance socket.
  static constexpr int WM_INFOUPDATE = 1806;
  static constexpr int WM_CMDPLAY = 1807;

  // rawCommandLine: the command line as the first start saw it (see FirstStartCommandLine).
  explicit TPetrelMain(QStringList arguments, QWidget* parent = nullptr);
  ~TPetrelMain() override;

  // --- published to the other windows ---
  PlayerContext& Context() { return ctx_; }
  TAudioEngine* Engine() const override { return engine_.get(); }
  TDDPlaylistModel* Playlist() const { return model_; }
  TDDSkin* Skin() const { return skin_.get(); }
  std::shared_ptr<ILrcDown> LrcDown() const { return lrcDown_; }
  TPetrelLrc* LyricWindow() const;
  // Checks or unchecks the lyrics button and its menu item (the lyric windows do on closing).
  void SetLyricsChecked(bool checked);
  void SetLibraryChecked(bool checked) override;

  // --- Part of the start-up, handoff and remote control ---
  // Runs the creation steps; separate from the constructor so that a failure in one step can
  // never leave a half-made object.
  void FormCreate();
  // The same steps in two runs, so the player's start shows the window as early as it can:
  // FormCreateWindow runs steps 1-13 (all that the first paint shows: folders, settings, the
  // windows, the skin, placement, the lyrics, the volume), FormCreateRest steps 14-21 (engine,
  // desktop service, plug-ins, update check, playlist, command line, play mode, tray).
  // Closing in between saves the settings but not the playlist, which is not loaded yet.
  void FormCreateWindow();
  void FormCreateRest();
  // Calls done once on the UI thread, right after the window's first paint reached the screen
  // (or after kFirstPaintWaitMs when no paint came, e.g. the window was not shown).
  void AfterFirstPaint(std::function<void()> done);
  static constexpr int kFirstPaintWaitMs = 1000;
  // 1807 and 1806 as another program sends them; the result integer is the answer.
  int WMCMDPLAY(int wparam, int lparam);
  void WMINFOUPDATE(int wparam);
  // What the remote-control messages act on (app/RemoteControl.h holds the table of commands).
  RemoteActions RemoteTable();
  // What other starts forwarded: the arguments of one start are joined and opened as one text
  // (a path split at blanks comes back whole); of several starts that came together (files
  // opened at once from the file manager) every file is added and the first one plays.
  void HandleForwardedBatch(const ForwardedBatch& batch);
  // What one command-line text asks for (see app/CommandLine.h).
  void RunAction(const CommandAction& action);
  // A second start without arguments: restore and raise.
  void Activate();
  void AddLinkList(const QString& text);
  void AddRemoteList(const QByteArray& xml);
  // A local file is added (and played unless play is false); a link goes to AddLibraryLink.
  void OpenCommandItem(const QString& text, bool play = true);
  // The library window's search.
  void SearchFromLink(const QString& link);
  // Appends an entry for a local file: with its file title, the tags filled in by a worker; with
  // readNow (a file that plays at once) the tags are read before it is appended.
  int AddLocalEntry(const QString& path, bool readNow = false);
  // Decodes a library link, appends its network entry and plays it for "PL"; the link's id.
  QString AddLibraryLink(const QString& link) override;
  // --- the library window's needs ---
  void AddLibraryTrack(const TDDPlaylistItem& entry, bool play) override;
  void SavePlaylist() override { SavePlaylistNow(); }
  std::shared_ptr<IMusicSearch> MusicSearch() override;
  QString DataDir() const override { return ctx_.Settings.DataDir; }
  void SetServiceReachable(bool reachable) override { ctx_.ServiceReachable = reachable; }
  QWidget* MainWindow() override { return this; }
  void Close() override { close(); }

  // --- playback (Part of the sequencing; public so the lyric windows and tests can drive it) ---
  void btn_playClick();
  void btn_nextClick();
  void btn_previousClick();
  void btn_soundClick();
  void btn_lrcClick();
  void btn_shareClick();
  void ApplyEqPreset(int id);
  void SavePlaylistNow();
  // Tells the plug-ins about the current entry (108 started, 109 ended); nothing without one.
  void NotifyPlugins(int message);
  TUSGeneralPurpose* Plugins() const { return plugins_.get(); }

  // --- the desktop (MPRIS2, media keys): each acts as its button ---
  void PlayPause() override { btn_playClick(); }
  void Next() override { btn_nextClick(); }
  void Previous() override { btn_previousClick(); }
  void Stop() override;
  void SeekTo(int ms) override;
  bool OpenUri(const QString& nameOrUrl) override;
  TPlayMode PlayMode() const override { return ctx_.Settings.PlayMode; }
  void SetPlayMode(TPlayMode mode) override;
  int Volume() const override;
  void SetVolume(int volume) override;
  void Raise() override { Activate(); }
  void Quit() override { close(); }
  int EntryCount() const override;
  MediaTrack CurrentTrack() const override;
  // Appends the entries of another player's playlist file (M3U, PLS, XSPF); their number.
  int AddForeignPlaylist(const QString& path);

 Q_SIGNALS:
  // A track started or resumed (state 1002) / ended or was skipped after an error: the plug-ins,
  // the desktop and the tray listen.
  void TrackStarted();
  void TrackEnded();
  // Every third progress tick while the lyrics are shown: the current lyric line (". . ." for a
  // blank one), for the desktop lyrics.
  void LyricLine(const QString& line);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // creation
  void CreateComponents();
  void RunAfterFirstPaint();
  void CreateMenus();
  void PlaceWindows();
  void ConnectLyricWindows();
  void StartDesktopService();
  void RegisterSkinTables();
  void CreateEngine();
  void FirstStartCommandLine();
  void ShowPlayMode();
  void FormClose();
  void FormDestroy();
  void UpdateEmptyPanel();
  QAction* AddItem(QMenu* menu, const QString& caption, void (TPetrelMain::*slot)());

  // playback
  void plst_listItemDblClick();
  void sldr_musicMouseDown();
  void sldr_musicMouseUp();
  void sldr_volumeMouseUp();
  void pmm_gainClick();
  void pmmode_noneClick(int tag);
  void EngineStateChanged(AudioState state);
  void EngineEnded();
  void EngineProgress(AudioState state, int lengthMs, int positionMs, const float* fft,
                      const uint32_t* wave);
  void EngineDownload(const char* buffer, int length);
  void EngineError(AudioState code, int detail);
  void tmr_lanerrTimer();
  void AdvanceAfterTrack();
  // The entry AdvanceAfterTrack would play (-1: none), and handing it to the engine to follow
  // the current track without a gap when it is a local file.
  int NextAfterTrack() const;
  void UpdateNextTrack();
  void AfterTrackEnded();
  void StartLyricLookup();
  void LyricLookupDone(const TLrcTextThread::Result& result);
  void SendPlayReport();
  void ChooseCacheNames();
  void ReadPendingTags();
  // Fills an entry that still shows its file name from the file's tags, now (ReadTagsNow: the
  // entry about to play) or from the tag reader's batch.
  void ReadTagsNow(int index);
  void FillFromTags(int index, const TTags& tags);
  void TagsArrived(quint64 ticket, int first, const QList<TTags>& tags);
  // The streamed entry url, while it is the current one, plays from its cache copy from now on.
  void RepointToCache(const QString& cachePath, const QString& url);
  void PlayCurrent();

  // commands
  void lbl_openClick();
  void pmdel_delselectClick();
  void pmdel_clearlistClick();
  void pmlist_rndClick();
  void pmlist_nameClick();
  void pmlist_timerClick();
  void pmf_rndmusicClick();
  void RandomListAnswered(const QByteArray& answer);
  void mSkinClick(QAction* item);
  void mEQClick(QAction* item);
  void pmm_opensClick();
  void pmm_sdownClick();
  void pmm_lrcClick();
  void pmm_setdownClick();
  void pmm_aboutClick();
  void ChooseFolder(bool songs);
  bool Confirm(const QString& text);
  void LoadSkinNow();
  void EmptyLyricView();
  // Translations under the lyric lines, in both lyric windows (the setting pmv_trans toggles).
  void pmv_transClick();
  void ApplyShowTranslations();

  PlayerContext ctx_;
  // Where the player's own files are (data, modules, plug-ins), found once at start.
  AppFolders folders_;
  // effect.dat's presets, read again only when the file changed.
  EqPresetCache eqPresets_;
  QStringList arguments_;

  std::unique_ptr<TAudioEngine> engine_;
  std::unique_ptr<TDDSkin> skin_;
  std::unique_ptr<TUSGeneralPurpose> plugins_;
  MprisService* mpris_ = nullptr;
  std::shared_ptr<IMusicSearch> musicSearch_;
  QPointer<TPetrelShare> share_;
  std::shared_ptr<ILrcDown> lrcDown_;
  TDDPlaylistModel* model_ = nullptr;
  bool restPending_ = false;  // FormCreateWindow ran, FormCreateRest not yet
  std::function<void()> afterFirstPaint_;

 public:
  // Components, named as the skin and the handlers know them.
  TDDWindow* DDWindow1 = nullptr;
  QLabel* lbl_time = nullptr;
  QLabel* lbl_stack = nullptr;
  QLabel* lbl_mode = nullptr;
  TScrollText* lbl_title = nullptr;
  TDDVIS* dvs_1 = nullptr;
  TDDCheckedButton* btn_play = nullptr;
  TDDCheckedButton* btn_sound = nullptr;
  TDDCheckedButton* btn_share = nullptr;
  TDDCheckedButton* btn_lrc = nullptr;
  TDDButton* btn_previous = nullptr;
  TDDButton* btn_next = nullptr;
  TDDButton* btn_menu = nullptr;
  TDDButton* btn_min = nullptr;
  TDDButton* btn_close = nullptr;
  TDDButton* btn_rndlist = nullptr;
  TDDButton* btn_addfile = nullptr;
  TDDButton* btn_del = nullptr;
  TDDButton* btn_listm = nullptr;
  TDDButton* btn_mode = nullptr;
  TDDSliderBlendEx* sldr_music = nullptr;
  TDDSliderBlendEx* sldr_volume = nullptr;
  TDDPlaylist* plst_list = nullptr;
  QWidget* pnl_1 = nullptr;
  TDDLinkLabel* lbl_open = nullptr;
  TDDLinkLabel* lbl_rnd = nullptr;
  TDDTrayIcon* trycn_main = nullptr;
  QMenu* pm_main = nullptr;
  QMenu* pmdel = nullptr;
  QMenu* pmlist = nullptr;
  QMenu* pmmode = nullptr;
  QMenu* pmm_skin = nullptr;
  QMenu* pmm_eq = nullptr;
  QAction* pmv_share = nullptr;
  QAction* pmv_lrc = nullptr;
  QAction* pmv_trans = nullptr;
  QAction* pmm_gain = nullptr;
  QAction* pmmode_none = nullptr;
  QAction* pmmode_rp = nullptr;
  QAction* pmmode_orp = nullptr;
  QTimer tmr_lanerr;

 private:
  QPointer<TPetrelLrc> lrcWindow_;
  // The desktop lyrics and their toolbar, when this build has them.
  QPointer<TPetrelDeskTopLrc> desktopLyrics_;
  QPointer<TPetrelDlrcButton> desktopToolbar_;
  QString openFilter_;
  // Fields of the main window, in their order.
  bool lyricLookupRunning_ = false;  // LyricThread: one lookup at a time
  bool showLibraryOnline_ = true;
  int tickCount_ = 0;
  // The whole seconds (position << 32 | length) lbl_time was last formatted for; -1: none.
  qint64 timeShownFor_ = -1;
  bool seekDragging_ = false;
  bool closing_ = false;
  bool randomListPending_ = false;
  bool cacheRepointPending_ = false;
  std::pair<QString, QString> pendingCache_;  // the copy and the address it stands for
  // Tags read off the UI thread for the local entries just added.
  TagBatchReader* tagReader_ = nullptr;
  QStringList pendingTagPaths_;
  bool tagFlushQueued_ = false;
  QHash<quint64, QStringList> tagReads_;
};

}  // namespace vireo
