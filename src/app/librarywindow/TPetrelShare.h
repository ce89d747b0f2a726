#pragma once

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <QString>
#include <memory>

#include "ddvcl/TDDButton.h"
#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TDDWindow.h"
#include "library/TMusicSearchItem.h"
#include "skin/TSkinTargets.h"

class QLineEdit;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

namespace vireo {

class ILibraryBrowser;
class ILibraryHost;
class TDDSkin;
class TGetMusicUrlThread;
class TLibraryWebPage;
class TMusicListThread;

// The music library window "维雀 - 分享平台": the service's music pages in an embedded browser
// above, the search results below. Links of the player's scheme on those pages are commands
// (search, add, add and play), never followed. Searches fill the result list 30 at a time; a
// click on a row's play or add image resolves the song's address and hands it to the main
// window's playlist. The browser is made when the window is first shown or navigated.
// Closing only hides the window. UI thread only.
class TPetrelShare : public TDDFormEx {
  Q_OBJECT
 public:
  enum TPendingAction { paPlay = 0, paAdd = 1, paNone = -1 };

  explicit TPetrelShare(ILibraryHost* host, QWidget* parent = nullptr);
  ~TPetrelShare() override;

  static QString Hint();                   // the search box's hint text
  static constexpr int kListHeight = 160;  // the result list when it unfolds
  static constexpr int kBorder = 6;        // the width of the resizing border

  // The table the skin loader fills ("share"): the frame, the nine buttons, pnl_psvs and
  // edt_search. RegisterSkin hands it to the skin object.
  TSkinWindow SkinTable();
  void RegisterSkin(TDDSkin& skin);

  // --- window, as the main window uses it
  // btn_shareClick: places the window at the main window's right edge, toggles it, checks or
  // unchecks btn_share and "乐库", and brings a shown window to the front.
  void Toggle();
  // Opens a page of the service (http or https) in the browser, making the browser if needed.
  void Navigate(const QString& url);
  // The link commands, also used for links and search texts from the command line.
  void SearchFromLink(const QString& link);
  void StartSearch(const QString& keyword);
  // A search text from the command line: shown in the search box and searched from page 0.
  void SearchFor(const QString& keyword);

  // --- what the page and the controls do
  // A link the browser is about to follow, as written: true when it was one of the player's
  // (then it is handled here and not followed).
  bool MinWebBeforeNavigate2(const QString& url);
  void ResolveAddress();
  void dvt1ColumnClick(int column);

  // --- state, for the main window and tests
  int PageIndex() const { return PageIndex_; }
  int PendingAction() const { return PendingAction_; }
  bool Searching() const { return !SearchThread.isNull(); }
  bool Resolving() const { return !AddressThread.isNull(); }
  bool BrowserMade() const { return Minweb != nullptr; }
  // The browser's page (a TLibraryWebPage of the browser module); null before the browser.
  TLibraryWebPage* WebPage() const;
  // The text the start page shows (the browser's page while no service page was opened).
  static QString StartPageHtml(const QColor& background, const QColor& text);
  // What the browser shows when a page's renderer has ended (it crashed or took more memory
  // than allowed): what happened, and a link that loads lastUrl again when it is a web page.
  static QString PageGoneHtml(const QColor& background, const QColor& text, const QUrl& lastUrl);
  bool ShowingPageGone() const { return showingPageGone_; }

  // The form's components, named as the skin and the handlers know them.
  TDDWindow* DDWindow1 = nullptr;
  TDDButton *btn_back = nullptr, *btn_forward = nullptr, *btn_refresh = nullptr;
  TDDButton *btn_min = nullptr, *btn_max = nullptr, *btn_close = nullptr;
  TDDButton *btn_Search = nullptr, *btn_Previous = nullptr, *btn_Next = nullptr;
  QLineEdit* edt_search = nullptr;
  QWidget* pnl_psvs = nullptr;
  QWidget* pnl_search = nullptr;
  QWidget* pnl1 = nullptr;
  QSplitter* spl1 = nullptr;
  QWidget* pnl_web = nullptr;  // holds Minweb once it exists
  // The web view, made on first show or navigation; it stays null when the browser module
  // cannot be loaded (the search list works all the same).
  QWidget* Minweb = nullptr;
  QTreeWidget* dvt1 = nullptr;
  QList<QIcon> il1;

  // The record of a result node (root and its two children carry the same).
  struct TResultRecord {
    QString Key, Title, Singer, Album, SizeText;
    qint32 Speed = 0;
    qint32 Extra = 0;
    qint32 ImageIndex = 0;
  };
  static const TResultRecord* RecordOf(const QTreeWidgetItem* node);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildResultList();
  void MakeBrowser();
  void RestyleList();
  void SetNodeImage(QTreeWidgetItem* root, int imageIndex);

  void btn_backClick();
  void btn_forwardClick();
  void btn_refreshClick();
  void btn_minClick();
  void btn_maxClick();
  void btn_SearchClick();
  void btn_PreviousClick();
  void btn_NextClick();

  void AddResult(int index);
  void SearchFinished(TMusicListThread* thread);
  void AddResolvedTrack(TGetMusicUrlThread* thread);
  void CountHit(const QString& id);
  void PageGone(const QUrl& lastUrl);

  ILibraryHost* host_;
  std::unique_ptr<ILibraryBrowser> browser_;
  bool browserTried_ = false;
  QString pendingUrl_;  // a page asked for before the browser existed
  bool showingStartPage_ = false;
  bool showingPageGone_ = false;

  QPointer<TMusicListThread> SearchThread;
  QPointer<TGetMusicUrlThread> AddressThread;
  qint32 PageIndex_ = 0;
  int PendingAction_ = paNone;
  // The result whose address is being resolved.
  QString resolvingKey_, resolvingTitle_, resolvingSinger_, resolvingAlbum_;
};

}  // namespace vireo
