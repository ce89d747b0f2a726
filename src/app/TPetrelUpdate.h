#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;

namespace vireo {

class TFileDownLoadThread;

// The update dialog "维雀 升级": downloads the installer into the data folder's "update/" as "up"
// + yymmdd, shows the progress, and starts the installer (with " /SILENT") only when its Ed25519
// signature verifies; a file that does not verify is deleted and never run. Then the dialog
// closes: accepted when the installer was started (the player should close now), rejected when
// the installer was refused (the player keeps running). A failed download leaves the dialog open
// with its bar where it stopped, until the user closes it (rejected). UI thread.
class TPetrelUpdate : public QDialog {
  Q_OBJECT
 public:
  enum TOutcome { Downloading, Started, Refused, Cancelled };

  // Starts the download at once. publicKey: the key installers must be signed with (the one
  // built into the player unless a test gives another).
  TPetrelUpdate(const QString& fileUrl, const QByteArray& signatureBase64, const QString& dataDir,
                QWidget* parent = nullptr, QByteArray publicKey = QByteArray(),
                bool useBuiltInKey = true);
  ~TPetrelUpdate() override;

  QString TargetPath() const { return target_; }
  int Position() const;
  TOutcome Outcome() const { return outcome_; }

  // How the installer is started; by default a detached process with the one argument "/SILENT".
  // Returns false when it could not be started.
  std::function<bool(const QString& program, const QStringList& arguments)> Launcher;

  // The bar's position for a progress report (bytes done, bytes expected): -1 leaves it as it
  // is (nothing expected yet).
  static int ProgressPercent(qint64 done, qint64 total);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Downloaded(bool verified);

  QLabel* pnl_text_ = nullptr;
  QProgressBar* pb_update = nullptr;
  QString target_;
  QByteArray signature_;
  QByteArray publicKey_;
  TOutcome outcome_ = Downloading;
  std::unique_ptr<TFileDownLoadThread> download_;
};

}  // namespace vireo
