#include "app/startup/VireoApplication.h"

#include <QLoggingCategory>
#include <exception>

#include "app/desktop/X11Desktop.h"
#include "ddvcl/TDDForm.h"

Q_DECLARE_LOGGING_CATEGORY(lcMain)

namespace vireo {

VireoApplication::VireoApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // Docking and edge resizing start from where the X server has the windows.
  if (X11Desktop::Available()) TDDForm::SetPositionProbe(&X11Desktop::RootPosition);
}

bool VireoApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    qCWarning(lcMain, "dropped a failure in an event handler: %s", e.what());
  } catch (...) {
    qCWarning(lcMain, "dropped a failure in an event handler");
  }
  return false;
}

}  // namespace vireo
