#include "app/WebEngineSetup.h"

#include <unistd.h>

#include <QByteArray>
#include <QtGlobal>

namespace vireo {

void PrepareWebEngine() {
  if (::getuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

bool WebEngineSandboxDisabled() {
  return qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX") != 0;
}

}  // namespace vireo
