// The menus and what the buttons, link labels and menu items do besides playback control.
#include <QActionGroup>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

#include "app/librarywindow/TPetrelShare.h"
#include "app/lyrics/TPetrelDeskTopLrc.h"
#include "app/lyrics/TPetrelDlrcButton.h"
#include "app/lyrics/TPetrelLrc.h"
#include "app/mainwindow/DialogFilter.h"
#include "app/mainwindow/TPetrelMain.h"
#include "app/mainwindow/TfrmAbout.h"
#include "app/skinning/SkinPalette.h"
#include "audio/AudioCodes.h"
#include "audio/TAudioEngine.h"
#include "base/ConfigKeys.h"
#include "base/WorkerRegistry.h"
#include "ddvcl/DDEvents.h"
#include "ddvcl/TDDButton.h"
#include "ddvcl/TDDCheckedButton.h"
#include "ddvcl/TDDLinkLabel.h"
#include "ddvcl/TDDLrcShow.h"
#include "ddvcl/TDDPlaylist.h"
#include "ddvcl/TDDPlaylist.h"
#include "net/HttpClient.h"
#include "net/ServiceHost.h"
#include "playlist/ForeignPlaylist.h"
#include "playlist/TDDPlaylistModel.h"
#include "skin/TDDSkin.h"

Q_DECLARE_LOGGING_CATEGORY(lcMain)

namespace vireo {

void TPetrelMain::CreateMenus() {
  pm_main = new QMenu(this);
  pm_main->setObjectName(QStringLiteral("pm_main"));
  AddItem(pm_main, tr("关于维雀..."), &TPetrelMain::pmm_aboutClick);
  pm_main->addSeparator();
  AddItem(pm_main, tr("打开本地歌曲"), &TPetrelMain::lbl_openClick);
  pm_main->addSeparator();
  QMenu* n1 = pm_main->addMenu(tr("文件"));
  n1->menuAction()->setVisible(false);
  AddItem(n1, tr("随便听听"), &TPetrelMain::pmf_rndmusicClick);
  n1->addAction(tr("随身播放列表"))->setVisible(false);
  QMenu* n2 = pm_main->addMenu(tr("播放"));
  AddItem(n2, tr("播放/暂停"), &TPetrelMain::btn_playClick);
  n2->addSeparator();
  AddItem(n2, tr("上一首"), &TPetrelMain::btn_previousClick);
  AddItem(n2, tr("下一首"), &TPetrelMain::btn_nextClick);
  QMenu* n7 = pm_main->addMenu(tr("查看"));
  pmv_share = AddItem(n7, tr("乐库"), &TPetrelMain::btn_shareClick);
  pmv_share->setCheckable(true);
  pmv_lrc = AddItem(n7, tr("歌词"), &TPetrelMain::btn_lrcClick);
  pmv_lrc->setCheckable(true);
  pmv_trans = AddItem(n7, tr("歌词翻译"), &TPetrelMain::pmv_transClick);
  pmv_trans->setObjectName(QStringLiteral("pmv_trans"));
  pmv_trans->setCheckable(true);
  pmv_trans->setChecked(ctx_.Settings.ShowTranslations);
  pmm_skin = pm_main->addMenu(tr("皮肤"));
  pm_main->addSeparator();
  pmm_gain = AddItem(pm_main, tr("音量均衡"), &TPetrelMain::pmm_gainClick);
  pmm_gain->setCheckable(true);
  pmm_eq = pm_main->addMenu(tr("均衡器"));
  QMenu* n10 = pm_main->addMenu(tr("设置"));
  QMenu* music = n10->addMenu(tr("歌曲"));
  AddItem(music, tr("打开歌曲缓存目录"), &TPetrelMain::pmm_opensClick);
  AddItem(music, tr("设置歌曲缓存目录"), &TPetrelMain::pmm_sdownClick);
  QMenu* n11 = n10->addMenu(tr("歌词"));
  AddItem(n11, tr("打开歌词存放目录"), &TPetrelMain::pmm_lrcClick);
  AddItem(n11, tr("设置歌词存放目录"), &TPetrelMain::pmm_setdownClick);
  n10->addMenu(tr("插件"))->menuAction()->setVisible(false);
  pm_main->addSeparator();
  AddItem(pm_main, tr("退出"), nullptr);
  connect(pm_main->actions().last(), &QAction::triggered, this, [this] { close(); });

  pmdel = new QMenu(this);
  AddItem(pmdel, tr("删除选择文件"), &TPetrelMain::pmdel_delselectClick);
  pmdel->addSeparator();
  AddItem(pmdel, tr("清空播放列表"), &TPetrelMain::pmdel_clearlistClick);

  pmlist = new QMenu(this);
  AddItem(pmlist, tr("随机排列"), &TPetrelMain::pmlist_rndClick);
  AddItem(pmlist, tr("按名称排列"), &TPetrelMain::pmlist_nameClick);
  AddItem(pmlist, tr("按时间排列"), &TPetrelMain::pmlist_timerClick);

  pmmode = new QMenu(this);
  auto* modes = new QActionGroup(pmmode);
  auto mode = [&](const QString& caption, int tag) {
    QAction* a = pmmode->addAction(caption);
    a->setCheckable(true);
    a->setData(tag);
    modes->addAction(a);
    connect(a, &QAction::triggered, this, [this, tag] { pmmode_noneClick(tag); });
    return a;
  };
  pmmode_none = mode(tr("顺序播放"), 1);
  pmmode_rp = mode(tr("循环播放"), 2);
  pmmode_orp = mode(tr("单曲循环"), 3);
  pmmode_none->setChecked(true);

  // Each pop-up carries its caption as its window's name, as screen readers and window lists
  // read it: the drop-down's hint for the four menus, the item's text for a submenu.
  pm_main->setTitle(tr("主菜单"));
  pmdel->setTitle(tr("删除"));
  pmlist->setTitle(tr("排序"));
  pmmode->setTitle(tr("播放模式"));
  for (QMenu* top : {pm_main, pmdel, pmlist, pmmode}) {
    top->setWindowTitle(top->title());
    for (QMenu* sub : top->findChildren<QMenu*>()) sub->setWindowTitle(sub->title());
  }

  // The drop-down buttons open their menus just below themselves on a left click (a button's
  // menu that popped up by itself would open on a right click instead); the playlist opens its
  // menu on the context-menu event, from the right button or the Menu key.
  const std::pair<TDDButton*, QMenu*> dropDowns[] = {
      {btn_menu, pm_main}, {btn_del, pmdel}, {btn_listm, pmlist}, {btn_mode, pmmode}};
  for (const auto& [button, menu] : dropDowns) {
    SetAutoPopup(menu, false);
    button->SetPopupMenu(menu);
  }
  plst_list->SetPopupMenu(pmdel);
}

bool TPetrelMain::Confirm(const QString& text) {
  QMessageBox box(QMessageBox::Question, tr("提示"), text,
                  QMessageBox::Ok | QMessageBox::Cancel, this);
  box.setDefaultButton(QMessageBox::Cancel);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  return box.exec() == QMessageBox::Ok;
}

void TPetrelMain::lbl_openClick() {
  const int before = model_->Count();
  const QStringList files = QFileDialog::getOpenFileNames(
      this, tr("打开本地歌曲"), QString(), DialogFilter::ToQt(openFilter_));
  if (files.isEmpty()) return;
  {
    TDDPlaylistItems::Update update(model_->Items());
    // Into an empty list the first file plays at once: its tags are read first.
    for (const QString& f : files) {
      if (ForeignPlaylist::IsPlaylistFile(f))
        AddForeignPlaylist(f);
      else
        AddLocalEntry(f, before == 0 && f == files.first());
    }
  }
  SavePlaylistNow();
  UpdateEmptyPanel();
  if (before == 0 && engine_) {
    plst_list->SetCurrentItem(0);
    engine_->Stop();
    PlayCurrent();
  }
}

void TPetrelMain::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TPetrelMain::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  event->acceptProposedAction();
  // A dropped folder stands for the audio files inside it, in name order, sub-folders included.
  QStringList files;
  for (const QString& p : paths) {
    const QFileInfo info(p);
    if (info.isDir()) {
      QStringList queue{p};
      while (!queue.isEmpty()) {
        QDir d(queue.takeFirst());
        for (const QFileInfo& fi :
             d.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
          if (fi.isDir())
            queue.append(fi.filePath());
          else
            files.append(fi.filePath());
        }
      }
    } else {
      files.append(p);
    }
  }
  {
    TDDPlaylistItems::Update update(model_->Items());
    for (const QString& raw : files) {
      const QString name = raw.left(255).trimmed();
      if (ForeignPlaylist::IsPlaylistFile(name)) {
        AddForeignPlaylist(name);
        continue;
      }
      const QString ext = QFileInfo(name).suffix().toLower();
      // The extension, dot included, anywhere in the dialog's filter text.
      if (!ext.isEmpty() && openFilter_.toLower().contains(QLatin1Char('.') + ext))
        AddLocalEntry(name);
    }
  }
  pnl_1->hide();
  plst_list->show();
}

void TPetrelMain::pmv_transClick() {
  // The action toggled its own check mark.
  ctx_.Settings.ShowTranslations = pmv_trans->isChecked();
  ApplyShowTranslations();
}

void TPetrelMain::ApplyShowTranslations() {
  const bool show = ctx_.Settings.ShowTranslations;
  if (pmv_trans) pmv_trans->setChecked(show);
  if (lrcWindow_) lrcWindow_->SetShowTranslations(show);
  if (desktopLyrics_) desktopLyrics_->SetShowTranslations(show);
}

void TPetrelMain::EmptyLyricView() {
  if (!lrcWindow_) return;
  lrcWindow_->ShowLyric(QString(), QString());
}

void TPetrelMain::pmdel_delselectClick() {
  if (!Confirm(tr("确定要删除当前选择的歌曲吗？"))) return;
  if (model_->SelectedIndex() == model_->CurrentItem() && engine_) {
    engine_->Stop();
    EmptyLyricView();
  }
  model_->DeleteSelected(true);
  SavePlaylistNow();
}

void TPetrelMain::pmdel_clearlistClick() {
  if (!Confirm(tr("确定要清空播放列表吗？"))) return;
  if (engine_) engine_->Stop();
  EmptyLyricView();
  model_->SelectAll();
  model_->DeleteSelected(true);
  SavePlaylistNow();
}

void TPetrelMain::pmlist_rndClick() {
  model_->Items().Sort(TDDPlaylistItems::Random);
}
void TPetrelMain::pmlist_nameClick() {
  model_->Items().Sort(TDDPlaylistItems::ByCaption);
}
void TPetrelMain::pmlist_timerClick() {
  model_->Items().Sort(TDDPlaylistItems::ByLength);
}

void TPetrelMain::pmf_rndmusicClick() {
  // The request runs on a worker; the steps after it continue when it answers, so the window
  // never waits on the network. A second click while one is out is ignored.
  if (randomListPending_) return;
  const QByteArray url = ServiceHost::Url("/mpost/rndmusic.asp");
  randomListPending_ = true;
  QPointer<TPetrelMain> self(this);
  WorkerRegistry::Instance().Start(QStringLiteral("get"), [self, url](WorkerJob&) {
    const QByteArray answer = url.isEmpty() ? QByteArray() : HttpGet(url);
    QMetaObject::invokeMethod(
        qApp,
        [self, answer] {
          if (self) self->RandomListAnswered(answer);
        },
        Qt::QueuedConnection);
  });
}

void TPetrelMain::RandomListAnswered(const QByteArray& answer) {
  randomListPending_ = false;
  const int n = model_->Count();
  AddRemoteList(answer);
  if (!engine_) return;
  if (engine_->State() == AudioState::Connecting) {
    plst_list->SetCurrentItem(ctx_.LoadingIndex);
    return;
  }
  engine_->Stop();
  if (model_->Count() > n) {
    plst_list->SetCurrentItem(n);
    PlayCurrent();
  }
  UpdateEmptyPanel();
}

void TPetrelMain::btn_shareClick() {
  if (share_)
    share_->Toggle();
  else
    SetLibraryChecked(false);
}

void TPetrelMain::btn_lrcClick() {
  QWidget* target = nullptr;
  if (ctx_.LyricMode == 0) {
    target = desktopLyrics_;
    if (desktopToolbar_ && desktopToolbar_->isVisible()) desktopToolbar_->close();
  } else {
    target = lrcWindow_;
  }
  if (!target) {
    SetLyricsChecked(false);
    return;
  }
  target->setVisible(!target->isVisible());
  SetLyricsChecked(target->isVisible());
}

void TPetrelMain::LoadSkinNow() {
  ctx_.Settings.SkinDir = skin_->SkinDir(ctx_.Settings.SkinName);
  skin_->LoadSkin(ctx_.Settings.SkinDir + QStringLiteral("skin.xml"));
  // A skin that cannot be used at all would leave windows no one can use by eye: Default
  // stands in for this run. The user's choice stays as it is (in the menu and the settings).
  const QString fallback = QString(config::kSkinNameDefault);
  if (skin_->LastUnusable() && ctx_.Settings.SkinName != fallback) {
    qCWarning(lcMain).noquote() << "the skin" << ctx_.Settings.SkinName
                                << "cannot be applied:" << skin_->LastError() << "- using"
                                << fallback << "for this run";
    ctx_.Settings.SkinDir = skin_->SkinDir(fallback);
    skin_->LoadSkin(ctx_.Settings.SkinDir + QStringLiteral("skin.xml"));
  }
  // The links on the empty-list panel take the list's text colours: they stand where its rows
  // would (their background is the panel's own).
  auto toRef = [](TColor32 c) {
    return TColorRef(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
  };
  for (TDDLinkLabel* link : {lbl_open, lbl_rnd}) {
    link->SetNormalColor(toRef(plst_list->TextColor()));
    link->ActiveColor = toRef(plst_list->TextCurrentColor());
  }
  // The dialogs and menus the player opens take the list's colours.
  const auto colour = [](TColor32 c) { return QColor::fromRgb(QRgb(c | 0xFF000000u)); };
  SkinPalette::Apply(SkinPalette::Make(colour(plst_list->BackColor()), colour(plst_list->TextColor()),
                                       colour(plst_list->SelectionColor()),
                                       colour(plst_list->TextSelectedColor())));
  UpdateEmptyPanel();
}

void TPetrelMain::mSkinClick(QAction* item) {
  item->setChecked(true);
  showMinimized();
  ctx_.Settings.SkinName = TDDSkin::SkinNameOf(item);
  LoadSkinNow();
  // A visible library window is shown again in the new skin.
  if (share_ && share_->isVisible()) {
    share_->hide();
    share_->show();
  }
  update();
  showNormal();
  raise();
  activateWindow();
}

void TPetrelMain::mEQClick(QAction* item) {
  item->setChecked(true);
  ApplyEqPreset(TDDSkin::PresetIdOf(item));
}

void TPetrelMain::pmm_opensClick() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(ctx_.Settings.MusicDir));
}

void TPetrelMain::pmm_lrcClick() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(ctx_.Settings.LrcDir));
}

void TPetrelMain::pmm_sdownClick() {
  ChooseFolder(true);
}
void TPetrelMain::pmm_setdownClick() {
  ChooseFolder(false);
}

void TPetrelMain::ChooseFolder(bool songs) {
  QString& folder = songs ? ctx_.Settings.MusicDir : ctx_.Settings.LrcDir;
  if (folder.isEmpty())
    folder = ctx_.Settings.DataDir + (songs ? QStringLiteral("music") : QStringLiteral("lrc"));
  if (QFileInfo(folder).isDir()) {
    const QString picked = QFileDialog::getExistingDirectory(
        this, songs ? tr("选择歌曲缓存目录") : tr("选择歌词存放目录"),
        folder);
    if (!picked.isEmpty()) {
      folder = picked;
      while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    }
  }
  // Stored at once, also when the user cancelled.
  if (songs)
    WriteMusicDir(ctx_.Settings.DataDir, folder);
  else
    WriteLrcDir(ctx_.Settings.DataDir, folder);
}

void TPetrelMain::pmm_aboutClick() {
  TfrmAbout about(this);
  about.exec();
}

}  // namespace vireo
