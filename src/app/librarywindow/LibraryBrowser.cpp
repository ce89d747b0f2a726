#include "app/librarywindow/LibraryBrowser.h"

#include <signal.h>
#include <unistd.h>

#include <QFile>
#include <QKeySequence>
#include <QLoggingCategory>
#include <QTimer>
#include <QQuickWindow>
#include <QShortcut>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "app/librarywindow/TLibraryWebPage.h"

namespace vireo {
namespace {

// The module's own category (it links none of the player's): on at warnings, since a page that
// had to be ended is worth a line.
Q_LOGGING_CATEGORY(lcLibraryPage, "vireo.app.librarypage", QtWarningMsg)

}  // namespace

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

  QObject::connect(page_, &QWebEnginePage::renderProcessTerminated, view_,
                   [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                     if (status == QWebEnginePage::NormalTerminationStatus) return;
                     qCWarning(lcLibraryPage) << "the library page's renderer ended, status" << status
                                      << "code" << code << "at" << page_->url();
                     if (gone_) gone_(page_->url());
                   });
  watchdog_ = new QTimer(view_);
  watchdog_->setInterval(1000);
  QObject::connect(watchdog_, &QTimer::timeout, view_, [this] { CheckRenderer(); });
  watchdog_->start();
}

void LibraryBrowser::SetOnPageGone(std::function<void(const QUrl&)> gone) {
  gone_ = std::move(gone);
}

qint64 LibraryBrowser::ResidentBytes(qint64 pid) {
  // procfs: read from the kernel, never from a disk.
  QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
  if (pid <= 0 || !statm.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = statm.read(128).split(' ');
  return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

void LibraryBrowser::CheckRenderer() {
  const qint64 pid = page_->renderProcessPid();
  const qint64 resident = ResidentBytes(pid);
  if (resident <= memoryCap_) return;
  qCWarning(lcLibraryPage) << "the library page's renderer holds" << resident / (1 << 20)
                   << "MiB, more than allowed; ending it";
  ::kill(static_cast<pid_t>(pid), SIGKILL);
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
