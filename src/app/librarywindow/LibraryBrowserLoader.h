#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "app/librarywindow/ILibraryBrowser.h"

class QWidget;

namespace vireo {

// Loads the library window's browser module (vireo-librarybrowser.so beside the player, a
// RuntimeModule) the first time a browser is wanted and makes browsers from it. Before the web
// engine is loaded it gets what it needs of the application: OpenGL contexts shared with a global
// context, which QtWebEngine otherwise asks for before the application object exists, where it
// would cost every start of the player its time and memory. UI thread only.
class LibraryBrowserLoader {
 public:
  // Before the first Create(): load this file instead (tests).
  static void SetModulePath(const QString& path);

  // A browser whose view is a child of parent; null (and the reason logged in "vireo.base")
  // when the module cannot be loaded.
  static std::unique_ptr<ILibraryBrowser> Create(QWidget* parent, const QString& userAgent,
                                                 std::function<void(const QString&)> onLink);
};

}  // namespace vireo
