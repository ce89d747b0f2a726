#pragma once

#include <QDialog>

namespace vireo {

// The about box: the player's name, its version from the build and a link to the service.
class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* parent = nullptr);
  // "版本 v" and the four parts of the version, e.g. "版本 v0.1.0.0".
  static QString VersionText();
};

}  // namespace vireo
