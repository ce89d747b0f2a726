// The library window's commands: the links of the service's pages, the search with its result
// list, and turning a chosen result into a playlist entry.
#include <QLineEdit>
#include <QSplitter>
#include <QTreeWidget>
#include <QUrl>

#include "app/librarywindow/ILibraryHost.h"
#include "app/librarywindow/TGetMusicUrlThread.h"
#include "app/librarywindow/TMusicListThread.h"
#include "app/librarywindow/TPetrelShare.h"
#include "library/IMusicSearch.h"
#include "library/LibraryLink.h"
#include "net/ServiceHost.h"
#include "net/TGetThr.h"

namespace vireo {

namespace {

constexpr int kRecordRole = Qt::UserRole + 1;
constexpr int kRowHeight = 20;

// Root nodes carry their record; the two detail rows below carry the same.
class TResultNode : public QTreeWidgetItem {
 public:
  explicit TResultNode(const TPetrelShare::TResultRecord& r) : record(r) {}
  TPetrelShare::TResultRecord record;
};

}  // namespace

const TPetrelShare::TResultRecord* TPetrelShare::RecordOf(const QTreeWidgetItem* node) {
  const auto* n = dynamic_cast<const TResultNode*>(node);
  return n ? &n->record : nullptr;
}

bool TPetrelShare::MinWebBeforeNavigate2(const QString& url) {
  QString u = url;
  if (u.endsWith(u'/')) u.chop(1);
  if (u.left(5).toLower() != u"vireo") return false;
  const QString command = u.right(2);
  if (command == u"SH") {
    SearchFromLink(u);
  } else if (command == u"AL" || command == u"PL") {
    // The link command has already started a "PL" track.
    const QString id = host_ ? host_->AddLibraryLink(u) : QString();
    if (host_) host_->SavePlaylist();
    CountHit(id);
  }
  return true;
}

void TPetrelShare::CountHit(const QString& id) {
  const QByteArray url =
      ServiceHost::Url(QByteArray(QByteArray("/mpost/hot.asp?id=") + QUrl::toPercentEncoding(id)));
  if (!url.isEmpty()) TGetThr::Create(url);
}

void TPetrelShare::SearchFromLink(const QString& link) {
  SearchFor(LibraryLink::SearchText(link));
}

void TPetrelShare::SearchFor(const QString& keyword) {
  edt_search->setText(keyword);
  PageIndex_ = 0;
  StartSearch(keyword);
}

void TPetrelShare::StartSearch(const QString& keyword) {
  if (SearchThread) {
    // A second press stops the running search; the results listed so far stay.
    SearchThread->requestInterruption();
    return;
  }
  dvt1->clear();
  const std::shared_ptr<IMusicSearch> search = host_ ? host_->MusicSearch() : nullptr;
  if (search) {
    QPointer<TPetrelShare> self(this);
    auto* thread = new TMusicListThread(search, PageIndex_, keyword, [self](int i) {
      if (self) self->AddResult(i);
    });
    SearchThread = thread;
    connect(thread, &TMusicListThread::finished, this, [this, thread] { SearchFinished(thread); });
    thread->start();
  }
  btn_Previous->setEnabled(!search);
  btn_Next->setEnabled(!search);
  if (spl1->sizes().value(1) == 0) {
    const int total = spl1->height() - spl1->handleWidth();
    spl1->setSizes({std::max(0, total - kListHeight), kListHeight});
  }
}

void TPetrelShare::SearchFinished(TMusicListThread* thread) {
  btn_Previous->setEnabled(true);
  btn_Next->setEnabled(true);
  if (SearchThread == thread) SearchThread = nullptr;
}

void TPetrelShare::AddResult(int index) {
  const std::shared_ptr<IMusicSearch> search = host_ ? host_->MusicSearch() : nullptr;
  const TMusicSearchItem* item = search ? search->GetItem(index) : nullptr;
  if (!item) return;
  TResultRecord r;
  r.Key = item->Key;
  r.Title = item->Title;
  r.Singer = item->Singer;
  r.Album = item->Album;
  r.SizeText = item->SizeText;
  r.Speed = item->Speed;
  r.Extra = item->Extra;
  r.ImageIndex = 0;
  auto* root = new TResultNode(r);
  root->setText(0, r.Title);
  root->setText(1, r.Singer);
  root->setText(2, r.Album);
  root->setText(3, QStringLiteral(" "));
  root->setText(4, QStringLiteral(" "));
  for (int c = 0; c < 5; ++c) root->setSizeHint(c, QSize(-1, kRowHeight));
  root->setToolTip(0, r.Title);
  TResultRecord child = r;
  child.ImageIndex = 2;
  auto* speed = new TResultNode(child);
  speed->setText(0, tr("速度：") + QString::number(r.Speed));
  auto* size = new TResultNode(child);
  size->setText(0, tr("大小：") + r.SizeText);
  for (auto* c : {speed, size}) {
    c->setIcon(0, il1.value(2));
    c->setSizeHint(0, QSize(-1, kRowHeight));
    root->addChild(c);
  }
  dvt1->addTopLevelItem(root);
  SetNodeImage(root, 0);
}

void TPetrelShare::SetNodeImage(QTreeWidgetItem* root, int imageIndex) {
  if (auto* n = dynamic_cast<TResultNode*>(root)) n->record.ImageIndex = imageIndex;
  root->setIcon(0, il1.value(imageIndex));
  root->setIcon(3, il1.value(1));
  root->setIcon(4, il1.value(3));
  for (int i = 0; i < root->childCount(); ++i) root->child(i)->setIcon(0, il1.value(2));
}

void TPetrelShare::dvt1ColumnClick(int column) {
  QTreeWidgetItem* node = dvt1->currentItem();
  if (!node || node->parent()) return;
  if (column == 3 || column == 4) {
    PendingAction_ = column == 3 ? paPlay : paAdd;
    SetNodeImage(node, 4);
    dvt1->viewport()->update();
  } else {
    PendingAction_ = paNone;
  }
  ResolveAddress();
}

void TPetrelShare::ResolveAddress() {
  // The action of the latest click applies to the address already being resolved.
  if (AddressThread) return;
  const QTreeWidgetItem* node = dvt1->currentItem();
  while (node && node->parent()) node = node->parent();
  const TResultRecord* r = RecordOf(node);
  if (!r) return;
  const std::shared_ptr<IMusicSearch> search = host_ ? host_->MusicSearch() : nullptr;
  if (!search) return;
  resolvingKey_ = r->Key;
  resolvingTitle_ = r->Title;
  resolvingSinger_ = r->Singer;
  resolvingAlbum_ = r->Album;
  auto* thread = new TGetMusicUrlThread(search, r->Key, r->Extra);
  AddressThread = thread;
  connect(thread, &TGetMusicUrlThread::finished, this, [this, thread] { AddResolvedTrack(thread); });
  thread->start();
}

void TPetrelShare::AddResolvedTrack(TGetMusicUrlThread* thread) {
  const QString address = thread->Address();
  if (AddressThread == thread) AddressThread = nullptr;
  if (PendingAction_ != paPlay && PendingAction_ != paAdd) return;
  TDDPlaylistItem e;
  e.ISURL = true;
  e.FileName = address;
  e.Title = resolvingTitle_;
  e.Artist = resolvingSinger_;
  e.Alum = resolvingAlbum_;
  e.LongTime = 0;
  e.Caption = e.Title + QStringLiteral(" - ") + e.Artist;
  if (host_) host_->AddLibraryTrack(e, PendingAction_ == paPlay);
}

void TPetrelShare::btn_SearchClick() {
  PageIndex_ = 0;
  StartSearch(edt_search->text());
}

void TPetrelShare::btn_PreviousClick() {
  if (PageIndex_ <= 0) return;
  --PageIndex_;
  StartSearch(edt_search->text());
}

void TPetrelShare::btn_NextClick() {
  if (dvt1->topLevelItemCount() <= 29) return;
  ++PageIndex_;
  StartSearch(edt_search->text());
}

}  // namespace vireo
