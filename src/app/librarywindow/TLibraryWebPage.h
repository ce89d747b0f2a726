#pragma once

#include <QWebEnginePage>
#include <functional>

namespace vireo {

// The page of the library window's browser. A page can make the player do nothing but the three
// link commands: links of the player's scheme ("vireo..." in any case) are never followed but
// handed to OnLibraryLink as the page wrote them; the main frame navigates to http and https
// only (and to the start page the player sets itself); no window is ever opened; there is no
// script bridge.
//
// The links are caught before navigation by a script in an isolated world that the page cannot
// reach (the Navigation API's navigate event sees every link click, form and location change with
// the address exactly as written). acceptNavigationRequest only sees the address after URL
// parsing, which folds the part after "vireo://" to lower case and so destroys the Base64
// payload; it is the gate that refuses everything but http and https.
class TLibraryWebPage : public QWebEnginePage {
  Q_OBJECT
 public:
  explicit TLibraryWebPage(QWebEngineProfile* profile, QObject* parent = nullptr);

  // Called with the link as written (UI thread).
  std::function<void(const QString& link)> OnLibraryLink;

  // Shows HTML of the player's own (the start page): the one navigation that is neither http
  // nor https.
  void SetOwnHtml(const QString& html);

  // The name of the script's console channel (its source id), for tests.
  static QString ScriptName();

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  QWebEnginePage* createWindow(WebWindowType type) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int lineNumber, const QString& sourceID) override;

 private:
  bool ownHtmlPending_ = false;
};

}  // namespace vireo
