#pragma once

#include "app/librarywindow/ILibraryBrowser.h"

class QTimer;
class QWebEngineProfile;
class QWebEngineView;

namespace vireo {

// The library window's browser: an off-the-record profile with the player's user agent, a view
// without context menu, and a TLibraryWebPage that opens no windows, reaches no local files from
// remote pages and runs no plug-ins. Its renderer may hold at most RendererMemoryCap() of
// memory: checked every second, and ended past it (a page that grows without end, its scripts
// held back by PrepareWebEngine's cap or not). Part of the separately loaded module.
// Seen from outside the module (its other symbols are hidden) so that tests linked with it can
// make one and lower its cap.
class __attribute__((visibility("default"))) LibraryBrowser : public ILibraryBrowser {
 public:
  LibraryBrowser(QWidget* parent, const QString& userAgent,
                 std::function<void(const QString&)> onLink);
  ~LibraryBrowser() override;

  QWidget* View() const override;
  TLibraryWebPage* Page() const override { return page_; }
  void Load(const QUrl& url) override;
  void SetOwnHtml(const QString& html) override;
  void Back() override;
  void Forward() override;
  void Reload() override;
  void SetOnPageGone(std::function<void(const QUrl& lastUrl)> gone) override;

  static constexpr qint64 kRendererMemoryCap = qint64(1) << 30;
  qint64 RendererMemoryCap() const { return memoryCap_; }
  void SetRendererMemoryCap(qint64 bytes) { memoryCap_ = bytes; }
  // The resident memory of a process (bytes), 0 when it cannot be read.
  static qint64 ResidentBytes(qint64 pid);

 private:
  void CheckRenderer();

  qint64 memoryCap_ = kRendererMemoryCap;
  QTimer* watchdog_ = nullptr;
  std::function<void(const QUrl&)> gone_;
  QWebEngineProfile* profile_ = nullptr;
  QWebEngineView* view_ = nullptr;
  TLibraryWebPage* page_ = nullptr;
};

}  // namespace vireo
