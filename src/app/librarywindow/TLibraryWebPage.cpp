#include "app/librarywindow/TLibraryWebPage.h"

#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace vireo {

namespace {

// The message prefix of a caught link; what follows is the link as written.
const QString kLinkPrefix = QStringLiteral("vireo-link:");

// Runs in the application's isolated world: page scripts can neither see nor remove the
// listener. Link commands are cancelled there and reported through the console.
const char* const kLinkScript = R"JS(
(function () {
  if (!window.navigation) return;
  navigation.addEventListener('navigate', function (e) {
    var u = e.destination.url;
    if (!/^vireo/i.test(u)) return;
    if (e.cancelable) e.preventDefault();
    console.log('vireo-link:' + u);
  });
})();
)JS";

}  // namespace

TLibraryWebPage::TLibraryWebPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent) {
  QWebEngineScript script;
  script.setName(ScriptName());
  script.setWorldId(QWebEngineScript::ApplicationWorld);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setRunsOnSubFrames(false);
  script.setSourceCode(QString::fromUtf8(kLinkScript));
  scripts().insert(script);
}

QString TLibraryWebPage::ScriptName() {
  return QStringLiteral("vireo-links");
}

void TLibraryWebPage::SetOwnHtml(const QString& html) {
  ownHtmlPending_ = true;
  setHtml(html, QUrl(QStringLiteral("about:blank")));
}

bool TLibraryWebPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
  const QString scheme = url.scheme().toLower();
  if (scheme == u"http" || scheme == u"https") return true;
  if (ownHtmlPending_ && isMainFrame && (scheme == u"data" || scheme == u"about")) {
    ownHtmlPending_ = false;
    return true;
  }
  // Frames inside a page may be blank; nothing else is loaded, and a link of the player's
  // scheme that got past the script is dropped rather than followed.
  return !isMainFrame && url.toString() == u"about:blank";
}

QWebEnginePage* TLibraryWebPage::createWindow(WebWindowType) {
  return nullptr;
}

void TLibraryWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel,
                                               const QString& message, int,
                                               const QString& sourceID) {
  if (!sourceID.startsWith(QStringLiteral("userscript:")) || !message.startsWith(kLinkPrefix))
    return;
  if (OnLibraryLink) OnLibraryLink(message.mid(kLinkPrefix.size()));
}

}  // namespace vireo
