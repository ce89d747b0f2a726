#include "app/VireoApplication.h"

#include <QLoggingCategory>
#include <exception>

Q_DECLARE_LOGGING_CATEGORY(lcMain)

namespace vireo {

VireoApplication::VireoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

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
