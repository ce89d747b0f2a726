#include "app/librarywindow/TPetrelShare.h"

#include <QTimer>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/desktop/X11Desktop.h"
#include "app/librarywindow/ILibraryHost.h"
#include "app/librarywindow/LibraryBrowserLoader.h"
#include "app/librarywindow/LibraryIcons.h"
#include "app/librarywindow/TGetMusicUrlThread.h"
#include "app/librarywindow/TMusicListThread.h"
#include "app/skinning/EdgeResize.h"
#include "app/skinning/ScreenFit.h"
#include "skin/TDDSkin.h"

namespace vireo {

namespace {

TDDButton* MakeButton(QWidget* parent, const char* name, const QRect& bounds) {
  auto* b = new TDDButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(bounds);
  return b;
}

// Light text on dark panels, dark text on light ones.
QColor InkFor(const QColor& background) {
  return background.lightness() < 128 ? QColor(0xd7, 0xdd, 0xe6) : QColor(0x1f, 0x29, 0x33);
}

}  // namespace

QString TPetrelShare::Hint() {
  return tr("输入歌曲名 歌手");
}

TPetrelShare::TPetrelShare(ILibraryHost* host, QWidget* parent) : TDDFormEx(parent), host_(host) {
  setObjectName(QStringLiteral("TPetrelShare"));
  setWindowTitle(tr("维雀 - 分享平台"));
  // A window of its own, with its own taskbar entry; Tag 0: it snaps to the main window and
  // travels with it once lined up against it.
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowSystemMenuHint);
  SetTag(0);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  resize(640, 480);
  BuildControls();
  // The class must be set before the window is first mapped; it is kept when the web view
  // makes the native window anew.
  X11Desktop::SetWindowClass(this, QStringLiteral("Vireo SHARE"));
  AttachEdgeResize(this, kBorder);
  // The window itself holds the focus when it opens, so the search box shows its hint until
  // the user clicks or tabs into it.
  setFocusPolicy(Qt::StrongFocus);
  setFocus();
}

TPetrelShare::~TPetrelShare() {
  // Threads still running end on their own; their results then find no window.
  if (SearchThread) SearchThread->requestInterruption();
  // The view goes with the browser, before the panel that holds it.
  browser_.reset();
  Minweb = nullptr;
}

TLibraryWebPage* TPetrelShare::WebPage() const {
  return browser_ ? browser_->Page() : nullptr;
}

void TPetrelShare::BuildControls() {
  DDWindow1 = new TDDWindow(this);
  DDWindow1->setObjectName(QStringLiteral("DDWindow1"));
  DDWindow1->setGeometry(rect());
  DDWindow1->setMouseTracking(true);

  // The built-in design matches the bundled skin, so the window looks whole before a skin.
  btn_min = MakeButton(this, "btn_min", {552, 3, 26, 22});
  btn_max = MakeButton(this, "btn_max", {580, 3, 26, 22});
  btn_close = MakeButton(this, "btn_close", {608, 3, 26, 22});
  btn_back = MakeButton(this, "btn_back", {10, 35, 28, 26});
  btn_forward = MakeButton(this, "btn_forward", {40, 35, 28, 26});
  btn_refresh = MakeButton(this, "btn_refresh", {70, 35, 28, 26});
  btn_Search = MakeButton(this, "btn_Search", {516, 35, 28, 26});
  btn_Previous = MakeButton(this, "btn_Previous", {556, 35, 28, 26});
  btn_Next = MakeButton(this, "btn_Next", {586, 35, 28, 26});

  edt_search = new QLineEdit(this);
  edt_search->setObjectName(QStringLiteral("edt_search"));
  edt_search->setFrame(false);
  edt_search->setGeometry(324, 39, 186, 18);
  edt_search->setText(Hint());
  edt_search->installEventFilter(this);

  pnl_psvs = new QWidget(this);
  pnl_psvs->setObjectName(QStringLiteral("pnl_psvs"));
  pnl_psvs->setGeometry(8, 70, 624, 402);
  pnl_psvs->setAutoFillBackground(true);
  pnl_psvs->installEventFilter(this);
  auto* outer = new QVBoxLayout(pnl_psvs);
  outer->setContentsMargins(0, 0, 0, 0);
  pnl_search = new QWidget(pnl_psvs);
  pnl_search->setObjectName(QStringLiteral("pnl_search"));
  outer->addWidget(pnl_search);
  auto* middle = new QVBoxLayout(pnl_search);
  middle->setContentsMargins(0, 0, 0, 0);
  pnl1 = new QWidget(pnl_search);
  pnl1->setObjectName(QStringLiteral("pnl1"));
  middle->addWidget(pnl1);
  auto* inner = new QVBoxLayout(pnl1);
  inner->setContentsMargins(0, 0, 0, 0);
  spl1 = new QSplitter(Qt::Vertical, pnl1);
  spl1->setObjectName(QStringLiteral("spl1"));
  spl1->setHandleWidth(8);
  spl1->setChildrenCollapsible(true);
  inner->addWidget(spl1);

  pnl_web = new QWidget(spl1);
  pnl_web->setObjectName(QStringLiteral("pnl_web"));
  auto* webLayout = new QVBoxLayout(pnl_web);
  webLayout->setContentsMargins(0, 0, 0, 0);
  spl1->addWidget(pnl_web);
  BuildResultList();
  spl1->addWidget(dvt1);
  spl1->setStretchFactor(0, 1);
  spl1->setStretchFactor(1, 0);
  // Folded away until the first search.
  spl1->setSizes({1, 0});

  btn_back->OnClick = [this](QObject*) { btn_backClick(); };
  btn_forward->OnClick = [this](QObject*) { btn_forwardClick(); };
  btn_refresh->OnClick = [this](QObject*) { btn_refreshClick(); };
  btn_min->OnClick = [this](QObject*) { btn_minClick(); };
  btn_max->OnClick = [this](QObject*) { btn_maxClick(); };
  btn_close->OnClick = [this](QObject*) { close(); };
  btn_Search->OnClick = [this](QObject*) { btn_SearchClick(); };
  btn_Previous->OnClick = [this](QObject*) { btn_PreviousClick(); };
  btn_Next->OnClick = [this](QObject*) { btn_NextClick(); };
  connect(edt_search, &QLineEdit::returnPressed, this, [this] { btn_SearchClick(); });
  RestyleList();
}

void TPetrelShare::BuildResultList() {
  dvt1 = new QTreeWidget(spl1);
  dvt1->setObjectName(QStringLiteral("dvt1"));
  dvt1->setColumnCount(5);
  dvt1->setHeaderLabels({tr("歌曲名"), tr("歌手"), tr("专辑"),
                         tr("播放"), tr("添加")});
  QHeaderView* header = dvt1->header();
  header->setFixedHeight(22);
  header->setStretchLastSection(false);
  header->setSectionsMovable(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  dvt1->headerItem()->setTextAlignment(3, Qt::AlignCenter);
  dvt1->headerItem()->setTextAlignment(4, Qt::AlignCenter);
  const int widths[] = {420, 100, 100, 40, 40};
  for (int c = 0; c < 5; ++c) dvt1->setColumnWidth(c, widths[c]);
  // The title takes what the other columns leave: at the skins' 640-pixel window a fixed
  // 420-pixel title would push the play and add columns out of sight.
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  header->setMinimumSectionSize(40);
  header->setSectionResizeMode(3, QHeaderView::Fixed);
  header->setSectionResizeMode(4, QHeaderView::Fixed);
  dvt1->setSelectionBehavior(QAbstractItemView::SelectRows);
  dvt1->setSelectionMode(QAbstractItemView::SingleSelection);
  dvt1->setAllColumnsShowFocus(true);
  dvt1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  dvt1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  dvt1->setIconSize(QSize(20, 20));
  dvt1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  dvt1->setFrameShape(QFrame::NoFrame);
  dvt1->setRootIsDecorated(true);
  auto* centred = new TCenteredIconDelegate(dvt1);
  dvt1->setItemDelegateForColumn(3, centred);
  dvt1->setItemDelegateForColumn(4, centred);
  dvt1->setMinimumHeight(0);
  // Right-click selects (the view does on any press); the click picks the column.
  connect(dvt1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
    if (item && item == dvt1->currentItem()) dvt1ColumnClick(column);
  });
}

void TPetrelShare::RestyleList() {
  const QColor bg = pnl_psvs->palette().color(QPalette::Window);
  const QColor ink = InkFor(bg);
  const QColor accent = bg.lightness() < 128 ? QColor(0x5b, 0xa7, 0xe6) : QColor(0x2b, 0x5d, 0x8a);
  QPalette pal = dvt1->palette();
  pal.setColor(QPalette::Base, bg);
  pal.setColor(QPalette::AlternateBase, bg.lightness() < 128 ? bg.lighter(115) : bg.darker(104));
  pal.setColor(QPalette::Window, bg);
  pal.setColor(QPalette::Text, ink);
  pal.setColor(QPalette::WindowText, ink);
  pal.setColor(QPalette::ButtonText, ink);
  pal.setColor(QPalette::Button, bg.lightness() < 128 ? bg.lighter(130) : bg.darker(108));
  // The play and add images are drawn in the accent: the selection must not hide them.
  const bool dark = bg.lightness() < 128;
  pal.setColor(QPalette::Highlight, dark ? QColor(0x2c, 0x3e, 0x52) : QColor(0xd6, 0xe6, 0xf5));
  pal.setColor(QPalette::HighlightedText, ink);
  dvt1->setPalette(pal);
  dvt1->header()->setPalette(pal);
  dvt1->setAlternatingRowColors(false);
  QPalette split = spl1->palette();
  split.setColor(QPalette::Window, bg);
  spl1->setPalette(split);
  il1 = LibraryIcons(ink, accent);
  // The start page takes the skin's colours too.
  if (browser_ && showingStartPage_) browser_->SetOwnHtml(StartPageHtml(bg, ink));
  // Images follow the new colours.
  for (int i = 0; i < dvt1->topLevelItemCount(); ++i) {
    QTreeWidgetItem* root = dvt1->topLevelItem(i);
    if (const TResultRecord* r = RecordOf(root)) SetNodeImage(root, r->ImageIndex);
  }
}

TSkinWindow TPetrelShare::SkinTable() {
  TSkinWindow w;
  w.Form = this;
  w.Frame = DDWindow1;
  w.Add({btn_back, btn_forward, btn_refresh, btn_min, btn_max, btn_close, btn_Search, btn_Previous,
         btn_Next, pnl_psvs, edt_search});
  return w;
}

void TPetrelShare::RegisterSkin(TDDSkin& skin) {
  skin.SetWindow(QStringLiteral("share"), SkinTable());
}

namespace {

// A page of the player's own in the window's colours, with the given body.
QString OwnPageHtml(const QColor& background, const QColor& text, const QString& body) {
  const QString bg = background.name(), fg = text.name();
  const QString accent =
      background.lightness() < 128 ? QStringLiteral("#5ba7e6") : QStringLiteral("#2b5d8a");
  return QStringLiteral(
             "<!DOCTYPE html><html lang=\"%5\"><head><meta charset=\"utf-8\">"
             "<title>%6</title><style>"
             "html,body{height:100%;margin:0}"
             "body{background:%1;color:%2;font:13px 'WenQuanYi Micro Hei',sans-serif;"
             "display:flex;align-items:center;justify-content:center}"
             ".box{max-width:470px;padding:14px 24px;line-height:1.6}"
             "h1{font-size:19px;font-weight:normal;margin:0 0 8px 0;color:%3}"
             "p{margin:0 0 10px 0;opacity:.9}.key,a{color:%3}"
             "</style></head><body><div class=\"box\">%4</div></body></html>")
      .arg(bg, fg, accent, body, TPetrelShare::tr("zh-CN", "the language of the page"),
           TPetrelShare::tr("维雀 - 分享平台"));
}

}  // namespace

QString TPetrelShare::StartPageHtml(const QColor& background, const QColor& text) {
  return OwnPageHtml(
      background, text,
      tr("<h1>♪ 维雀乐库</h1>"
                     "<p>在右上方的<span class=\"key\">搜索框</span>里输入歌曲名或歌手，按回车或点击"
                     "搜索按钮，找到的歌曲会列在下方。</p>"
                     "<p>点击一行的<span class=\"key\">播放</span>图标立即收听，点击"
                     "<span class=\"key\">添加</span>图标把它加入播放列表；用翻页按钮查看更多结果。</p>"
                     "<p>连接到分享平台后，这里会显示平台的音乐页面，页面上的播放和添加链接会直接交给"
                     "播放器。</p>"));
}

QString TPetrelShare::PageGoneHtml(const QColor& background, const QColor& text,
                                   const QUrl& lastUrl) {
  QString body = tr(
      "<h1>♪ 页面已停止</h1>"
      "<p>这个页面占用的内存超过了限制，或者页面进程意外结束，页面已被关闭。"
      "播放器不受影响，音乐照常播放。</p>");
  const QString scheme = lastUrl.scheme().toLower();
  if (scheme == u"http" || scheme == u"https")
    body += tr("<p><a href=\"%1\">重新载入页面</a></p>")
                .arg(QString::fromUtf8(lastUrl.toEncoded()).toHtmlEscaped());
  body += tr("<p>也可以在右上方的<span class=\"key\">搜索框</span>里直接搜索歌曲。</p>");
  return OwnPageHtml(background, text, body);
}

void TPetrelShare::PageGone(const QUrl& lastUrl) {
  // After the engine's signal has returned: the page is loaded anew from outside it.
  QTimer::singleShot(0, this, [this, lastUrl] {
    if (!browser_) return;
    showingStartPage_ = false;
    showingPageGone_ = true;
    const QColor bg = pnl_psvs->palette().color(QPalette::Window);
    browser_->SetOwnHtml(PageGoneHtml(bg, InkFor(bg), lastUrl));
  });
}

void TPetrelShare::MakeBrowser() {
  // One try: a module that failed to load once leaves the window without its pages.
  if (Minweb || browserTried_) return;
  browserTried_ = true;
  browser_ =
      LibraryBrowserLoader::Create(pnl_web, QStringLiteral("vireoMinWeb"),
                                   [this](const QString& link) { MinWebBeforeNavigate2(link); });
  if (!browser_) return;
  browser_->SetOnPageGone([this](const QUrl& lastUrl) { PageGone(lastUrl); });
  Minweb = browser_->View();
  pnl_web->layout()->addWidget(Minweb);
  const QColor bg = pnl_psvs->palette().color(QPalette::Window);
  showingStartPage_ = pendingUrl_.isEmpty();
  if (showingStartPage_)
    browser_->SetOwnHtml(StartPageHtml(bg, InkFor(bg)));
  else
    browser_->Load(QUrl(pendingUrl_));
  pendingUrl_.clear();
}

void TPetrelShare::Navigate(const QString& url) {
  const QUrl u(url);
  const QString scheme = u.scheme().toLower();
  if (!u.isValid() || (scheme != u"http" && scheme != u"https")) return;
  if (!Minweb) {
    pendingUrl_ = url;
    MakeBrowser();
    return;
  }
  showingStartPage_ = false;
  showingPageGone_ = false;
  if (browser_) browser_->Load(u);
}

void TPetrelShare::showEvent(QShowEvent* event) {
  TDDFormEx::showEvent(event);
  MakeBrowser();
}

void TPetrelShare::closeEvent(QCloseEvent* event) {
  if (host_) host_->SetLibraryChecked(false);
  event->accept();  // hides: the window lives as long as the main window
}

bool TPetrelShare::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edt_search) {
    if (event->type() == QEvent::FocusIn && edt_search->text() == Hint()) edt_search->clear();
    if (event->type() == QEvent::FocusOut && edt_search->text().trimmed().isEmpty())
      edt_search->setText(Hint());
  } else if (watched == pnl_psvs && event->type() == QEvent::PaletteChange) {
    RestyleList();
  }
  return TDDFormEx::eventFilter(watched, event);
}

void TPetrelShare::Toggle() {
  if (QWidget* main = host_ ? host_->MainWindow() : nullptr) {
    // Beside the main window where the user sees it: Qt's record of it can lag behind the
    // window manager (then the library came up over the main window and hid its buttons).
    if (auto* form = qobject_cast<TDDForm*>(main)) form->SyncPosition();
    const QScreen* screen = main->screen();
    const QRect g = main->geometry();
    move(screen ? ScreenFit::RightOf(g, size(), ScreenFit::WorkArea(screen)).topLeft()
                : QPoint(g.left() + g.width(), g.top()));
  }
  setVisible(!isVisible());
  if (host_) host_->SetLibraryChecked(isVisible());
  if (isVisible()) {
    raise();
    activateWindow();
  }
}

void TPetrelShare::btn_backClick() {
  if (Minweb && Minweb->isVisible()) browser_->Back();
}

void TPetrelShare::btn_forwardClick() {
  if (Minweb && Minweb->isVisible()) browser_->Forward();
}

void TPetrelShare::btn_refreshClick() {
  if (Minweb && Minweb->isVisible()) browser_->Reload();
}

void TPetrelShare::btn_minClick() {
  showMinimized();
}

void TPetrelShare::btn_maxClick() {
  if (isMinimized()) return;
  if (isMaximized()) {
    showNormal();
    return;
  }
  // A maximised library window leaves the panel (taskbar) visible.
  if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
    setMaximumHeight(s->availableGeometry().height());
  showMaximized();
}

}  // namespace vireo
