#pragma once

#include <QApplication>

namespace vireo {

// The application object. Its notify is the application-wide failure handler: whatever escapes
// an event handler is dropped (one line in the log), the handler's remaining steps are skipped
// and the player keeps running.
class VireoApplication : public QApplication {
  Q_OBJECT
 public:
  VireoApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace vireo
