#include "app/mainwindow/TPetrelMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLoggingCategory>
#include <QScreen>
#include <QStandardPaths>
#include <QWindow>

#include "app/desktop/AppIcon.h"
#include "app/desktop/X11Desktop.h"
#include "app/librarywindow/TPetrelShare.h"
#include "app/lyrics/TPetrelDeskTopLrc.h"
#include "app/lyrics/TPetrelDlrcButton.h"
#include "app/lyrics/TPetrelLrc.h"
#include "app/lyrics/TPetrelSlrc.h"
#include "app/plugins/TUSGeneralPurpose.h"
#include "app/skinning/EdgeResize.h"
#include "app/skinning/ScreenFit.h"
#include "app/skinning/SkinButton.h"
#include "app/skinning/WindowDragger.h"
#include "app/startup/StartupTrace.h"
#include "app/update/UpdateCheckDone.h"
#include "audio/TAudioEngine.h"
#include "base/AppFolders.h"
#include "ddvcl/TDDButton.h"
#include "ddvcl/TDDCheckedButton.h"
#include "ddvcl/TDDLinkLabel.h"
#include "ddvcl/TDDLrcShow.h"
#include "ddvcl/TDDPlaylist.h"
#include "ddvcl/TDDSliderBlendEx.h"
#include "ddvcl/TDDTrayIcon.h"
#include "ddvcl/TDDVIS.h"
#include "ddvcl/TDDWindow.h"
#include "ddvcl/TScrollText.h"
#include "lyrics/LRC_CreateObj.h"
#include "net/ServiceHost.h"
#include "net/TCheckUPDate.h"
#include "playlist/ForeignPlaylist.h"
#include "playlist/PlaylistFile.h"
#include "playlist/TDDPlaylistModel.h"
#include "skin/TDDSkin.h"
#include "skin/TSkinPlaylistAdapter.h"
#include "skin/TSkinVisAdapter.h"

Q_LOGGING_CATEGORY(lcMain, "vireo.app", QtWarningMsg)

namespace vireo {

namespace {

// Runs one creation step; a failure is logged and the next step runs all the same.
template <typename Fn>
void Step(const char* name, Fn&& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    qCWarning(lcMain, "start-up step '%s' failed: %s", name, e.what());
  } catch (...) {
    qCWarning(lcMain, "start-up step '%s' failed", name);
  }
  StartupTrace::Mark(name);
}

}  // namespace

TPetrelMain::TPetrelMain(QStringList arguments, QWidget* parent)
    : TDDFormEx(parent), arguments_(std::move(arguments)) {
  setObjectName(QStringLiteral("PetrelMain"));
  setWindowTitle(tr("维雀"));
  SetTag(1);  // the docking master: the other windows go along when it moves
  resize(363, 490);
  QFont f(QStringLiteral("WenQuanYi Micro Hei"));
  f.setPixelSize(12);
  setFont(f);
  setAcceptDrops(true);
  tmr_lanerr.setInterval(1000);
  connect(&tmr_lanerr, &QTimer::timeout, this, [this] { tmr_lanerrTimer(); });
  CreateComponents();
  StartupTrace::Mark("components");
  CreateMenus();
  StartupTrace::Mark("menus");
  // Set last: changing window flags afterwards would make a new native window.
  X11Desktop::SetWindowClass(this, QStringLiteral("Vireo"));
}

TPetrelMain::~TPetrelMain() {
  FormDestroy();
}

void TPetrelMain::CreateComponents() {
  DDWindow1 = new TDDWindow(this);
  DDWindow1->setObjectName(QStringLiteral("DDWindow1"));

  auto label = [this](const char* name, const QString& caption, Qt::Alignment align) {
    auto* l = new QLabel(caption, this);
    l->setObjectName(QLatin1StringView(name));
    l->setAlignment(align | Qt::AlignVCenter);
    WindowDragger::Attach(l, this);
    return l;
  };
  lbl_time = label("lbl_time", QStringLiteral("00:00/00:00"), Qt::AlignLeft);
  lbl_stack = label("lbl_stack", QString(), Qt::AlignHCenter);
  lbl_mode = label("lbl_mode", tr("循环播放"), Qt::AlignLeft);
  lbl_time->setGeometry(16, 40, 90, 16);
  lbl_stack->setGeometry(110, 40, 60, 16);
  lbl_mode->setGeometry(16, 60, 70, 16);

  lbl_title = new TScrollText(this);
  lbl_title->setObjectName(QStringLiteral("lbl_title"));
  lbl_title->SetScrollingText(tr("维雀 分享音乐 分享快乐"));
  lbl_title->setGeometry(40, 6, 240, 18);
  WindowDragger::Attach(lbl_title, this);

  dvs_1 = new TDDVIS(this);
  dvs_1->setObjectName(QStringLiteral("dvs_1"));
  dvs_1->setGeometry(200, 36, 140, 40);
  WindowDragger::Attach(dvs_1, this);

  auto checked = [this](const char* name, int x, int y, int w, int h) {
    return NewSkinButton<TDDCheckedButton>(this, name, x, y, w, h);
  };
  auto button = [this](const char* name, int x, int y, int w, int h) {
    return NewSkinButton<TDDButton>(this, name, x, y, w, h);
  };
  btn_play = checked("btn_play", 60, 100, 40, 40);
  btn_sound = checked("btn_sound", 220, 110, 20, 20);
  btn_share = checked("btn_share", 250, 450, 24, 24);
  btn_lrc = checked("btn_lrc", 280, 450, 24, 24);
  btn_previous = button("btn_previous", 20, 108, 24, 24);
  btn_next = button("btn_next", 116, 108, 24, 24);
  btn_menu = button("btn_menu", 6, 4, 22, 22);
  btn_min = button("btn_min", 310, 4, 22, 22);
  btn_close = button("btn_close", 334, 4, 22, 22);
  btn_rndlist = button("btn_rndlist", 160, 450, 24, 24);
  btn_addfile = button("btn_addfile", 10, 450, 24, 24);
  btn_del = button("btn_del", 40, 450, 24, 24);
  btn_listm = button("btn_listm", 70, 450, 24, 24);
  btn_mode = button("btn_mode", 100, 450, 24, 24);
  // Drop-down buttons: their menus open below them.
  for (TDDButton* b : {btn_menu, btn_del, btn_listm, btn_mode}) b->SetTag(1);

  sldr_music = new TDDSliderBlendEx(this);
  sldr_music->setObjectName(QStringLiteral("sldr_music"));
  sldr_music->setGeometry(12, 84, 339, 12);
  sldr_music->SetMax(0);
  sldr_volume = new TDDSliderBlendEx(this);
  sldr_volume->setObjectName(QStringLiteral("sldr_volume"));
  sldr_volume->setGeometry(246, 114, 100, 12);
  sldr_volume->SetMin(0);
  sldr_volume->SetMax(100);

  plst_list = new TDDPlaylist(this);
  plst_list->setObjectName(QStringLiteral("plst_list"));
  plst_list->setGeometry(8, 150, 347, 290);
  plst_list->SetTimeFormat(QStringLiteral("nn:ss"));
  plst_list->SetShowNumbers(true);
  plst_list->SetShowLength(true);
  plst_list->SetAutoHideScrollBar(true);
  model_ = &plst_list->Model();

  pnl_1 = new QWidget(this);
  pnl_1->setObjectName(QStringLiteral("pnl_1"));
  pnl_1->setGeometry(plst_list->geometry());
  lbl_open = new TDDLinkLabel(pnl_1);
  lbl_open->setObjectName(QStringLiteral("lbl_open"));
  lbl_open->setText(tr("> 打开本地音乐"));
  lbl_open->setGeometry(20, 20, 200, 18);
  lbl_rnd = new TDDLinkLabel(pnl_1);
  lbl_rnd->setObjectName(QStringLiteral("lbl_rnd"));
  lbl_rnd->setText(tr("> 随便听听"));
  lbl_rnd->setGeometry(20, 44, 200, 18);
  for (TDDLinkLabel* link : {lbl_open, lbl_rnd}) {
    link->setAutoFillBackground(false);
    link->setAttribute(Qt::WA_OpaquePaintEvent, false);
    link->setAlignment(Qt::AlignCenter);
  }
  pnl_1->hide();

  // Handlers.
  btn_play->OnClick = [this](QObject*) { btn_playClick(); };
  btn_next->OnClick = [this](QObject*) { btn_nextClick(); };
  btn_previous->OnClick = [this](QObject*) { btn_previousClick(); };
  btn_sound->OnClick = [this](QObject*) { btn_soundClick(); };
  btn_lrc->OnClick = [this](QObject*) { btn_lrcClick(); };
  btn_share->OnClick = [this](QObject*) { btn_shareClick(); };
  btn_min->OnClick = [this](QObject*) { showMinimized(); };
  btn_close->OnClick = [this](QObject*) { close(); };
  btn_addfile->OnClick = [this](QObject*) { lbl_openClick(); };
  btn_rndlist->OnClick = [this](QObject*) { pmf_rndmusicClick(); };
  lbl_open->OnClick = [this](QObject*) { lbl_openClick(); };
  lbl_rnd->OnClick = [this](QObject*) { pmf_rndmusicClick(); };
  sldr_music->OnMouseDown = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    sldr_musicMouseDown();
  };
  sldr_music->OnMouseUp = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    sldr_musicMouseUp();
  };
  sldr_volume->OnMouseUp = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    sldr_volumeMouseUp();
  };
  plst_list->OnItemDblClick = [this](QObject*) { plst_listItemDblClick(); };
  plst_list->OnItemEnterKey = [this](QObject*) { plst_listItemDblClick(); };

  AttachEdgeResize(this);
}

QAction* TPetrelMain::AddItem(QMenu* menu, const QString& caption, void (TPetrelMain::*slot)()) {
  QAction* a = menu->addAction(caption);
  if (slot) connect(a, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
  return a;
}

void TPetrelMain::resizeEvent(QResizeEvent* event) {
  TDDFormEx::resizeEvent(event);
  if (pnl_1 && plst_list) pnl_1->setGeometry(plst_list->geometry());
}

void TPetrelMain::changeEvent(QEvent* event) {
  TDDFormEx::changeEvent(event);
  // The spectrum is worth computing only while someone can see it.
  if (event->type() == QEvent::WindowStateChange && engine_)
    engine_->SetSpectrumWanted(!(windowState() & Qt::WindowMinimized));
}

void TPetrelMain::UpdateEmptyPanel() {
  const bool empty = model_->Count() == 0;
  pnl_1->setVisible(empty);
  plst_list->setVisible(!empty);
}

TPetrelLrc* TPetrelMain::LyricWindow() const {
  return lrcWindow_.data();
}

void TPetrelMain::SetLyricsChecked(bool checked) {
  btn_lrc->SetChecked(checked);
  pmv_lrc->setChecked(checked);
}

void TPetrelMain::SetLibraryChecked(bool checked) {
  btn_share->SetChecked(checked);
  pmv_share->setChecked(checked);
}

void TPetrelMain::FormCreate() {
  FormCreateWindow();
  FormCreateRest();
}

void TPetrelMain::AfterFirstPaint(std::function<void()> done) {
  afterFirstPaint_ = std::move(done);
  // The window is painted and flushed while its first expose event is handled; what is queued
  // then runs after that.
  if (QWindow* window = windowHandle()) window->installEventFilter(this);
  QTimer::singleShot(kFirstPaintWaitMs, this, [this] { RunAfterFirstPaint(); });
}

void TPetrelMain::RunAfterFirstPaint() {
  if (!afterFirstPaint_) return;
  std::function<void()> done = std::move(afterFirstPaint_);
  afterFirstPaint_ = nullptr;
  done();
}

bool TPetrelMain::eventFilter(QObject* watched, QEvent* event) {
  QWindow* window = windowHandle();
  if (window && watched == window && event->type() == QEvent::Expose && window->isExposed() &&
      afterFirstPaint_) {
    window->removeEventFilter(this);
    QTimer::singleShot(0, this, [this] { RunAfterFirstPaint(); });
  }
  return TDDFormEx::eventFilter(watched, event);
}

void TPetrelMain::FormCreateWindow() {
  restPending_ = true;
  // 1, 2: the failure handler is the application's; no locks are needed here.
  // 3: folders.
  Step("folders", [this] {
    // The skins and presets are beside the player in a build or portable folder, in
    // share/vireo when installed.
    folders_ = AppFolders::Current();
    const QString dataDir = DefaultDataDir();
    EnsureFolder(dataDir);
    ctx_.Settings.AppDir = folders_.DataDir();
    ctx_.Settings.DataDir = dataDir;
  });
  // 4: painting and cursor.
  Step("window", [this] {
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
  });
  // 5: the skin object.
  Step("skin object", [this] { skin_ = std::make_unique<TDDSkin>(ctx_.Settings.AppDir); });
  // 7: settings.
  Step("settings", [this] {
    ctx_.Settings = ReadStartupSettings(ctx_.Settings.DataDir, ctx_.Settings.AppDir);
    // What a save cut short by a crash left beside the settings and the playlist goes.
    RemoveInterruptedSaves(ctx_.Settings);
    ServiceHost::SetHost(ctx_.Settings.ServiceHost);
    // The menu item is where the levelling lives while the player runs: the engine takes it from
    // there and the close step writes it back.
    pmm_gain->setChecked(ctx_.Settings.DBGain);
    ctx_.LyricMode = ctx_.Settings.LyricMode;
  });
  // 6: the lyric component (the search component comes with the library window), made once the
  // settings have named its service.
  Step("lyric component", [this] {
    LrclibSettings lrclib;
    lrclib.baseUrl = ctx_.Settings.LrclibUrl;
    lrcDown_ = LRC_CreateObj(lrclib);
  });
  // 8: the other windows.
  Step("windows", [this] {
    share_ = new TPetrelShare(this);
    lrcWindow_ = new TPetrelLrc(this);
    auto* desktop = new TPetrelDeskTopLrc();
    auto* toolbar = new TPetrelDlrcButton(desktop);
    desktop->SetToolbar(toolbar);
    desktopLyrics_ = desktop;
    desktopToolbar_ = toolbar;
    ConnectLyricWindows();
    ApplyShowTranslations();
  });
  // 9: skin and equalizer menus, then the skin.
  Step("skin tables", [this] {
    RegisterSkinTables();
  });
  Step("skin menus", [this] {
    skin_->BuildSkinMenu(pmm_skin, ctx_.Settings.SkinName, [this](QAction* a) { mSkinClick(a); });
  });
  Step("equalizer menu", [this] {
    skin_->BuildEQMenu(pmm_eq, ctx_.Settings.AppDir + QStringLiteral("effect.dat"),
                       ctx_.Settings.EqPresetId, [this](QAction* a) { mEQClick(a); });
  });
  Step("skin", [this] { LoadSkinNow(); });
  // 10: placement.
  Step("placement", [this] { PlaceWindows(); });
  // 11: the lyrics, toggled once as the lyrics button does.
  Step("lyrics", [this] { btn_lrcClick(); });
  // 13: volume.
  Step("volume", [this] {
    sldr_volume->SetPosition(ctx_.Settings.Volume);
    // Muted as the user left it: the button down, the slider faded, the engine silent.
    btn_sound->SetChecked(ctx_.Settings.Mute);
    sldr_volume->setEnabled(!ctx_.Settings.Mute);
  });
}

void TPetrelMain::FormCreateRest() {
  restPending_ = false;
  // 14, 15: the engine.
  Step("engine", [this] { CreateEngine(); });
  // The desktop's controls (MPRIS2): the sound menu, media keys, playerctl.
  Step("desktop service", [this] { StartDesktopService(); });
  // 16: the plug-ins, from the folder beside the player, then the user's own.
  Step("plug-ins", [this] {
    plugins_ = std::make_unique<TUSGeneralPurpose>(folders_.PluginDirs());
    connect(this, &TPetrelMain::TrackStarted, this, [this] { NotifyPlugins(108); });
    connect(this, &TPetrelMain::TrackEnded, this, [this] { NotifyPlugins(109); });
  });
  // 17: the update check; the library window opens once the service answers.
  Step("update check", [this] {
    QPointer<TPetrelMain> self(this);
    TCheckUPDate::Create(
        this,
        [self](const UpdateCheckResult& result) {
          if (self && self->share_)
            UpdateCheckDone(*self, *self->share_, result, self->showLibraryOnline_);
        },
        QStringLiteral(VIREO_VERSION), DataDir());
  });
  // 18: the playlist.
  Step("playlist", [this] {
    LoadPlaylist(*model_, ctx_.Settings.PlaylistPath, [this](bool) { UpdateEmptyPanel(); });
    UpdateEmptyPanel();
  });
  // 19: what the command line names.
  Step("command line", [this] { FirstStartCommandLine(); });
  // 20: the play mode.
  Step("play mode", [this] { ShowPlayMode(); });
  // The mark is drawn in seven sizes, each with its glyph: nothing on the borderless window shows
  // it, so the desktop's task list gets it once the window is up, and the tray shares it.
  Step("icon", [this] { setWindowIcon(AppIcon::Icon()); });
  // 21: dropped files are accepted from the start (setAcceptDrops in the constructor).
  Step("tray", [this] {
    trycn_main = new TDDTrayIcon(this);
    trycn_main->SetHint(tr("维雀"));
    trycn_main->SetPopupMenu(pm_main);
    trycn_main->SetRestoreOn(TDDTrayIconClicks::ticLeftClickUp);
    trycn_main->SetPopupMenuOn(TDDTrayIconClicks::ticRightClickUp);
    trycn_main->SetIcons({windowIcon()});
    trycn_main->SetEnabled(true);
  });
}

void TPetrelMain::RegisterSkinTables() {
  TSkinWindow main;
  main.Form = this;
  main.Frame = DDWindow1;
  main.Add({btn_previous, btn_next,  btn_menu,   btn_min,     btn_rndlist, btn_addfile,
            btn_del,      btn_listm, btn_mode,   btn_close,   btn_play,    btn_sound,
            btn_share,    btn_lrc,   lbl_time,   lbl_mode,    lbl_stack,   lbl_open,
            lbl_rnd,      lbl_title, sldr_music, sldr_volume, pnl_1});
  main.Playlist = std::make_shared<TSkinPlaylistAdapter>(plst_list);
  main.Spectrum = std::make_shared<TSkinVisAdapter>(dvs_1);
  skin_->SetWindow(QStringLiteral("main"), main);
  if (lrcWindow_) lrcWindow_->RegisterSkin(*skin_);
  if (desktopLyrics_) desktopLyrics_->RegisterSkin(*skin_);
  if (share_) share_->RegisterSkin(*skin_);
}

namespace {

// Puts window at its stored place (and size, when it is resizable), kept inside the screen the
// place is on; a place on no screen leaves the window where the first start put it.
void Restore(QWidget* window, const std::optional<QRect>& stored, bool sized) {
  if (!window || !stored) return;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect area = ScreenFit::WorkArea(screen);
    if (!area.intersects(*stored)) continue;
    if (sized) window->resize(stored->size());
    window->move(ScreenFit::Inside(QRect(stored->topLeft(), window->size()), area).topLeft());
    return;
  }
}

}  // namespace

void TPetrelMain::PlaceWindows() {
  const QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return;
  const QRect wa = ScreenFit::WorkArea(s);
  // Centred together with the (hidden) library window to its right, below it the lyric window.
  // On a screen too small for that (a small one, or a large scale) each window still opens
  // wholly on it: the main window centred alone, the others beside it where they fit, else
  // kept inside the screen.
  const int libraryWidth = share_ ? share_->width() : 0;
  QRect main(wa.left() + (wa.width() - (width() + libraryWidth)) / 2,
             wa.top() + (wa.height() - height()) / 2, width(), height());
  if (width() + libraryWidth > wa.width())
    main.moveLeft(wa.left() + (wa.width() - width()) / 2);
  main = ScreenFit::Inside(main, wa);
  move(main.topLeft());
  if (lrcWindow_) lrcWindow_->move(ScreenFit::Below(main, lrcWindow_->size(), wa).topLeft());
  // 12: the library window to the right (it stays hidden).
  if (share_) share_->move(ScreenFit::RightOf(main, share_->size(), wa).topLeft());
  // Where the user left them at the last close, while that is on a screen (kept wholly on it).
  Restore(this, ctx_.Settings.MainWindow, false);
  Restore(lrcWindow_, ctx_.Settings.LyricWindow, true);
  Restore(share_, ctx_.Settings.LibraryWindow, true);
  // The desktop lyrics come back where the user last dragged them, while that is on a screen.
  if (desktopLyrics_ && ctx_.Settings.DesktopLyricsPos) {
    const QPoint at = *ctx_.Settings.DesktopLyricsPos;
    const QRect wanted(at, desktopLyrics_->size());
    for (const QScreen* screen : QGuiApplication::screens())
      if (screen->geometry().intersects(wanted)) {
        desktopLyrics_->move(at);
        break;
      }
  }
}

void TPetrelMain::CreateEngine() {
  engine_ = std::make_unique<TAudioEngine>(folders_.ModuleDir());
  connect(engine_.get(), &TAudioEngine::OnStateChange, this,
          [this](AudioState state) { EngineStateChanged(state); });
  connect(engine_.get(), &TAudioEngine::OnEnd, this, [this](AudioState) { EngineEnded(); });
  // What plays after the current track changes with the list, the current entry and the mode.
  connect(model_, &TDDPlaylistModel::Changed, this, [this] { UpdateNextTrack(); });
  connect(model_, &TDDPlaylistModel::CurrentChanged, this, [this] { UpdateNextTrack(); });
  connect(engine_.get(), &TAudioEngine::OnProgress, this,
          [this](AudioState state, int len, int pos, const float* fft, const uint32_t* wave) {
            EngineProgress(state, len, pos, fft, wave);
          });
  connect(engine_.get(), &TAudioEngine::OnDownload, this,
          [this](const char* buffer, int length, void*) { EngineDownload(buffer, length); });
  connect(engine_.get(), &TAudioEngine::OnError, this,
          [this](AudioState code, int detail) { EngineError(code, detail); });
  connect(engine_.get(), &TAudioEngine::OnStreamTitle, this, [this](const QString& title) {
    const int current = model_->CurrentItem();
    if (!title.isEmpty())
      lbl_title->SetScrollingText(title);
    else if (current >= 0 && current < model_->Count())
      lbl_title->SetScrollingText(model_->Items()[current].Caption);
  });
  // The open dialog offers the playlists of other players beside the audio files.
  openFilter_ = engine_->Filter() + QLatin1Char('|') + ForeignPlaylist::FilterText();
  engine_->SetVolume(btn_sound->Checked() ? 0.0f : float(sldr_volume->Position()));
  engine_->SetDBGain(pmm_gain->isChecked());
}

void TPetrelMain::ShowPlayMode() {
  switch (ctx_.Settings.PlayMode) {
    case TPlayMode::InOrder:
      pmmode_none->setChecked(true);
      lbl_mode->setText(tr("顺序播放"));
      break;
    case TPlayMode::RepeatList:
      pmmode_rp->setChecked(true);
      lbl_mode->setText(tr("循环播放"));
      break;
    case TPlayMode::RepeatTrack:
      pmmode_orp->setChecked(true);
      lbl_mode->setText(tr("单曲循环"));
      break;
    default:
      break;  // mode 1 has no item: both stay as the form made them
  }
}

void TPetrelMain::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    closing_ = true;
    FormClose();
  }
  event->accept();
  // Closing the main window ends the player, whatever else is open.
  QApplication::quit();
}

void TPetrelMain::FormClose() {
  // The playlist first, then the settings. A playlist not loaded yet is not written over.
  if (!restPending_) Step("save playlist", [this] { SavePlaylistNow(); });
  Step("save settings", [this] {
    PlayerSettings s = ctx_.Settings;
    s.Volume = sldr_volume->Position();
    s.DBGain = pmm_gain->isChecked();
    s.Mute = btn_sound->Checked();
    s.LyricMode = ctx_.LyricMode;
    // Qt's record of a window's place can lag behind the window manager's.
    for (TDDForm* form : std::initializer_list<TDDForm*>{this, lrcWindow_.data(), share_.data()})
      if (form) form->SyncPosition();
    s.MainWindow = geometry();
    if (lrcWindow_) s.LyricWindow = lrcWindow_->geometry();
    if (share_) s.LibraryWindow = share_->geometry();
    WriteCloseSettings(s);
  });
}

void TPetrelMain::FormDestroy() {
  delete share_.data();
  delete desktopToolbar_.data();
  delete desktopLyrics_.data();
  // 1: the cache file of a streamed track (the partial temporary file stays).
  ctx_.CacheWriter.reset();
  // 2: the engine stops and joins its threads.
  engine_.reset();
  // 3: the plug-ins are told and unloaded.
  plugins_.reset();
  // 4: the lyric component.
  lrcDown_.reset();
  // 5: the skin.
  skin_.reset();
}

void TPetrelMain::NotifyPlugins(int message) {
  const int current = model_->CurrentItem();
  if (!plugins_ || current < 0 || current >= model_->Count()) return;
  const TDDPlaylistItem& e = model_->Items()[current];
  const QByteArray file = e.FileName.toUtf8();
  const QByteArray title = e.Title.toUtf8();
  const QByteArray artist = e.Artist.toUtf8();
  VireoTrackRecord record{};
  record.file_name = file.constData();
  record.length_days = engine_ ? engine_->GetLength() / 86400000.0 : 0.0;
  record.title = title.constData();
  record.title_bytes = int32_t(title.size());
  record.artist = artist.constData();
  record.artist_bytes = int32_t(artist.size());
  plugins_->Broadcast(message, reinterpret_cast<intptr_t>(&record), 0);
}

void TPetrelMain::SavePlaylistNow() {
  vireo::SavePlaylist(*model_, ctx_.Settings.PlaylistPath, [this](bool) { UpdateEmptyPanel(); });
}

}  // namespace vireo
