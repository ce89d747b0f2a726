#include "app/lyrics/TPetrelSlrc.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/lyrics/TPetrelLrc.h"
#include "app/mainwindow/TPetrelMain.h"
#include "base/TextUtil.h"
#include "ddvcl/TDDLrcShow.h"
#include "lyrics/LyricFolder.h"
#include "lyrics/TGetLrcTextThread.h"
#include "lyrics/TLrcListThread.h"
#include "playlist/TDDPlaylistModel.h"

namespace vireo {

namespace {
constexpr int kNameBytes = 255;
}

TPetrelSlrc::TPetrelSlrc(TPetrelMain* main) : QDialog(main), main_(main) {
  setWindowTitle(tr("歌词搜索"));
  // A close button and nothing else: a dialog left to Qt's defaults gets minimise and maximise
  // buttons from the window manager.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  QFont f(QStringLiteral("WenQuanYi Micro Hei"));
  f.setPixelSize(12);
  setFont(f);
  // A dialog's frame: its size is its design's.
  setFixedSize(410, 216);

  auto* pnl_1 = new QWidget(this);
  pnl_1->setFixedHeight(73);
  auto* lbl_1 = new QLabel(tr("歌曲名："), pnl_1);
  lbl_1->move(24, 12);
  auto* lbl_2 = new QLabel(tr("歌手："), pnl_1);
  lbl_2->move(36, 44);
  edt_Title = new QLineEdit(pnl_1);
  edt_Title->setGeometry(80, 8, 209, 20);
  edt_Singer = new QLineEdit(pnl_1);
  edt_Singer->setGeometry(80, 40, 209, 20);
  btn_S = new QPushButton(tr("搜索"), pnl_1);
  btn_S->setGeometry(320, 5, 75, 21);
  btn_S->setDefault(true);
  btn_S->setAutoDefault(true);
  btn_down = new QPushButton(tr("下载歌词"), pnl_1);
  btn_down->setGeometry(320, 38, 75, 21);
  btn_down->setAutoDefault(false);
  setTabOrder(edt_Title, edt_Singer);

  lv_1 = new QTreeWidget(this);
  lv_1->setRootIsDecorated(false);
  lv_1->setUniformRowHeights(true);
  lv_1->setAlternatingRowColors(true);
  // Odd rows light gray, even rows white, in dark text whatever the skin's dialogs use.
  lv_1->setStyleSheet(QStringLiteral(
      "QTreeWidget { background: #FFFFFF; alternate-background-color: #EBEBEB; color: #000000; "
      "selection-background-color: #3399FF; selection-color: #FFFFFF; }"));
  lv_1->setSelectionBehavior(QAbstractItemView::SelectRows);
  lv_1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lv_1->setCursor(Qt::PointingHandCursor);
  lv_1->setHeaderLabels({QString(), tr("歌曲名"), tr("歌手"),
                         tr("专辑")});
  lv_1->setColumnWidth(0, 30);
  lv_1->setColumnWidth(1, 150);
  lv_1->setColumnWidth(2, 100);
  lv_1->header()->setStretchLastSection(true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(pnl_1);
  layout->addWidget(lv_1);

  connect(btn_S, &QPushButton::clicked, this, [this] { btn_SClick(); });
  connect(btn_down, &QPushButton::clicked, this, [this] { lv_1DblClick(); });
  connect(lv_1, &QTreeWidget::itemDoubleClicked, this, [this] { lv_1DblClick(); });
}

TPetrelSlrc::~TPetrelSlrc() {
  // The listing stops after its next row; its completion is skipped, the dialog being gone.
  if (search_) search_->Terminate();
}

void TPetrelSlrc::Open(TPetrelMain* main) {
  TPetrelSlrc dialog(main);
  TDDPlaylistModel* model = main->Playlist();
  const int current = model->CurrentItem();
  if (current >= 0 && current < model->Count()) {
    dialog.edt_Title->setText(model->Items()[current].Title);
    dialog.edt_Singer->setText(model->Items()[current].Artist);
  }
  // Centred on the desktop, not over the window it was opened from.
  if (const QScreen* screen = main->screen())
    dialog.move(screen->availableGeometry().center() -
                QPoint(dialog.width() / 2, dialog.height() / 2));
  dialog.exec();
}

void TPetrelSlrc::btn_SClick() {
  if (search_) {
    search_->Terminate();
    return;
  }
  btn_S->setText(tr("停止"));
  lv_1->clear();
  search_ = TLrcListThread::Start(
      edt_Title->text(), edt_Singer->text(), QString(), main_->LrcDown(), this,
      [this](int index, const LrcSearchItem& item) {
        QStringList texts = TLrcListThread::RowTexts(index, item);
        // What the lyric holds beyond its lines, marked after the title.
        QStringList marks;
        if (item.WordTiming) marks << tr("逐字");
        if (item.Translation) marks << tr("翻译");
        if (!marks.isEmpty())
          texts[1] += QStringLiteral("[") + marks.join(QStringLiteral("/")) + QStringLiteral("] ");
        auto* row = new QTreeWidgetItem(lv_1, texts);
        if (item.WordTiming) row->setToolTip(1, tr("逐字歌词：每个字随演唱点亮"));
        row->setData(0, Qt::UserRole, QVariant::fromValue(item.Id));
        row->setData(1, Qt::UserRole, item.Title);
        row->setData(2, Qt::UserRole, item.Singer);
        row->setData(3, Qt::UserRole, item.Album);
      },
      [this] {
        btn_S->setText(tr("搜索"));
        search_.reset();
      });
}

void TPetrelSlrc::lv_1DblClick() {
  if (downloading_) return;  // the download runs to its end; a second press waits for it
  QTreeWidgetItem* row = lv_1->currentItem();
  if (!row) return;
  LrcSearchItem item;
  item.Id = row->data(0, Qt::UserRole).toLongLong();
  item.Title = row->data(1, Qt::UserRole).toString();
  item.Singer = row->data(2, Qt::UserRole).toString();
  item.Album = row->data(3, Qt::UserRole).toString();
  btn_down->setText(tr("停止下载"));
  downloading_ = true;
  TGetLrcTextThread::Start(item, main_->LrcDown(), this,
                           [this](const QString& text) { DownloadDone(text); });
}

QString TPetrelSlrc::SaveFileName(const QString& title, const QString& singer) {
  QString name = CleanFileName(title + QLatin1Char(' ') + singer);
  const QByteArray suffix = ".lrc";
  QByteArray utf8 = name.toUtf8();
  if (utf8.size() + suffix.size() > kNameBytes) {
    // Cut at a character boundary: drop whole characters from the end.
    while (!name.isEmpty() && name.toUtf8().size() + suffix.size() > kNameBytes) {
      name.chop(name.size() >= 2 && name.at(name.size() - 1).isLowSurrogate() ? 2 : 1);
    }
  }
  return name + QStringLiteral(".lrc");
}

void TPetrelSlrc::DownloadDone(const QString& text) {
  downloading_ = false;
  TDDPlaylistModel* model = main_->Playlist();
  const int current = model->CurrentItem();
  QString path;
  if (current >= 0 && current < model->Count()) {
    const QString name =
        SaveFileName(model->Items()[current].Title, model->Items()[current].Artist);
    const QString folder = main_->Context().Settings.LrcDir;
    // The offset the user sets from now on goes into the file saved here.
    if (!folder.isEmpty()) path = QDir(folder).filePath(name);
    LyricFolder::SaveInBackground(folder, name, text);
  }
  if (TPetrelLrc* w = main_->LyricWindow()) w->ShowLyric(text, path);
  btn_down->setText(tr("下载歌词"));
}

}  // namespace vireo
