#pragma once

#include "app/ILibraryBrowser.h"

class QWebEngineProfile;
class QWebEngineView;

namespace vireo {

// The library window's browser: an off-the-record profile with the player's user agent, a view
// without context menu, and a TLibraryWebPage that opens no windows, reaches no local files from
// remote pages and runs no plug-ins. Part of the separately loaded module.
class LibraryBrowser : public ILibraryBrowser {
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

 private:
  QWebEngineProfile* profile_ = nullptr;
  QWebEngineView* view_ = nullptr;
  TLibraryWebPage* page_ = nullptr;
};

}  // namespace vireo
