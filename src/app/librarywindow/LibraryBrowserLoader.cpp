#include "app/librarywindow/LibraryBrowserLoader.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QOpenGLContext>

#include "base/RuntimeModule.h"

Q_DECLARE_LOGGING_CATEGORY(lcMain)

// QtGui's global share context, which QGuiApplication makes at its start when
// Qt::AA_ShareOpenGLContexts is set and which the web engine's compositor shares its contexts
// with. Exported by QtGui (and used by QtWebEngine itself), declared in a private header.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();

namespace vireo {

namespace {

RuntimeModule& Module() {
  static RuntimeModule module(QStringLiteral("vireo-librarybrowser.so"),
                              kCreateLibraryBrowserSymbol);
  return module;
}

// What QGuiApplication would have set up at its start with Qt::AA_ShareOpenGLContexts, done
// now, before the web engine loads and looks for it. (The attribute itself may only be set
// before the application object; the web engine asks for the context.)
void ShareOpenGLContexts() {
  if (qt_gl_global_share_context()) return;
  auto* context = new QOpenGLContext(qApp);
  if (!context->create()) {
    // Without OpenGL the web engine composites in software.
    qCInfo(lcMain, "library browser: no OpenGL context; the pages are drawn in software");
    delete context;
    return;
  }
  qt_gl_set_global_share_context(context);
}

// The module stays loaded to the end: the web engine cannot be unloaded.
CreateLibraryBrowserFn LoadModule() {
  static const CreateLibraryBrowserFn create = [] {
    ShareOpenGLContexts();
    return reinterpret_cast<CreateLibraryBrowserFn>(Module().Entry());
  }();
  return create;
}

}  // namespace

void LibraryBrowserLoader::SetModulePath(const QString& path) {
  Module().SetPath(path);
}

std::unique_ptr<ILibraryBrowser> LibraryBrowserLoader::Create(
    QWidget* parent, const QString& userAgent, std::function<void(const QString&)> onLink) {
  const CreateLibraryBrowserFn create = LoadModule();
  if (!create) return nullptr;
  return std::unique_ptr<ILibraryBrowser>(create(parent, userAgent, std::move(onLink)));
}

}  // namespace vireo
