#include "app/LibraryBrowser.h"

#include <QKeySequence>
#include <QQuickWindow>
#include <QShortcut>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "app/TLibraryWebPage.h"

namespace vireo {

LibraryBrowser::LibraryBrowser(QWidget* parent, const QString& userAgent,
                               std::function<void(const QString&)> onLink) {
  // The web engine draws through Qt Quick on OpenGL; its own start-up sets that only when it is
  // loaded before the application object, which the player no longer does.
  QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGLRhi);
  // Off the record: nothing of the pages on disk.
  profile_ = new QWebEngineProfile(static_cast<QObject*>(nullptr));
  profile_->setHttpUserAgent(userAgent);
  view_ = new QWebEngineView(parent);
  view_->setObjectName(QStringLiteral("Minweb"));
  page_ = new TLibraryWebPage(profile_, view_);
  page_->OnLibraryLink = std::move(onLink);
  view_->setPage(page_);
  view_->setContextMenuPolicy(Qt::NoContextMenu);
  QWebEngineSettings* s = page_->settings();
  s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  // Ctrl+N opens nothing.
  auto* ctrlN = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), view_);
  ctrlN->setContext(Qt::WidgetWithChildrenShortcut);
}

LibraryBrowser::~LibraryBrowser() {
  // The page (a child of the view) must go before its profile.
  delete view_;
  delete profile_;
}

QWidget* LibraryBrowser::View() const {
  return view_;
}

void LibraryBrowser::Load(const QUrl& url) {
  view_->load(url);
}

void LibraryBrowser::SetOwnHtml(const QString& html) {
  page_->SetOwnHtml(html);
}

void LibraryBrowser::Back() {
  view_->back();
}

void LibraryBrowser::Forward() {
  view_->forward();
}

void LibraryBrowser::Reload() {
  view_->reload();
}

}  // namespace vireo

extern "C" __attribute__((visibility("default"))) vireo::ILibraryBrowser*
vireo_create_library_browser(QWidget* parent, const QString& userAgent,
                             std::function<void(const QString&)> onLink) {
  return new vireo::LibraryBrowser(parent, userAgent, std::move(onLink));
}
