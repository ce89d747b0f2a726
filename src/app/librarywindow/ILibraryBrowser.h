#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace vireo {

class TLibraryWebPage;

// The embedded browser of the library window, as the window uses it. It lives in a module of
// its own (vireo-librarybrowser.so beside the player) that is loaded when the window first needs
// a browser, so the web engine costs neither start-up time nor memory until then. UI thread only.
class ILibraryBrowser {
 public:
  virtual ~ILibraryBrowser() = default;

  // The web view, made a child of the parent given at creation. The browser deletes it.
  virtual QWidget* View() const = 0;
  // The page; its type is known where the module is linked (tests).
  virtual TLibraryWebPage* Page() const = 0;
  virtual void Load(const QUrl& url) = 0;
  // HTML of the player's own (the start page).
  virtual void SetOwnHtml(const QString& html) = 0;
  virtual void Back() = 0;
  virtual void Forward() = 0;
  virtual void Reload() = 0;
  // Called (UI thread) when the page's renderer has ended other than normally: it crashed, ran
  // out of memory, or was ended for taking more than the browser allows. lastUrl is the page
  // it showed. The player goes on; the window shows what happened.
  virtual void SetOnPageGone(std::function<void(const QUrl& lastUrl)> gone) = 0;
};

// The module's one export: a browser whose view is a child of parent, sending the user agent
// given, and handing each link of the player's scheme, as written, to onLink.
using CreateLibraryBrowserFn = ILibraryBrowser* (*)(QWidget* parent, const QString& userAgent,
                                                    std::function<void(const QString&)> onLink);
inline constexpr const char* kCreateLibraryBrowserSymbol = "vireo_create_library_browser";

}  // namespace vireo
