#include "app/librarywindow/WebEngineSetup.h"

#include <unistd.h>

#include <QByteArray>
#include <QtGlobal>

namespace vireo {

void PrepareWebEngine() {
  if (::getuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  // A page's scripts may not take more than this: an endless page drove its renderer to about
  // 4 GiB before. Past it the renderer ends, and the library window shows its help page.
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (!flags.contains("--js-flags")) {
    if (!flags.isEmpty()) flags += ' ';
    flags.append("--js-flags=--max-old-space-size=").append(QByteArray::number(kPageScriptHeapMb));
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
  }
}

bool WebEngineSandboxDisabled() {
  return qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX") != 0;
}

}  // namespace vireo
