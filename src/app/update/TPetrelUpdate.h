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
// signature verifies; then it closes, accepted (the player should close now). A file that does
// not verify is deleted and never run: the dialog says so and stays until the user closes it
// (rejected, Refused: the player keeps running), the refusal is logged, and the version is
// remembered (UpdateInstaller::RememberRefused) so that it is not fetched again. A failed
// download leaves the dialog open with its bar where it stopped, until the user closes it
// (rejected). UI thread.
class TPetrelUpdate : public QDialog {
  Q_OBJECT
 public:
  enum TOutcome { Downloading, Started, Refused, Cancelled };

  // Starts the download at once. publicKey: the key installers must be signed with (the one
  // built into the player unless a test gives another).
  // version: the offered version number, remembered when the installer is refused.
  TPetrelUpdate(const QString& fileUrl, const QByteArray& signatureBase64, const QString& dataDir,
                QWidget* parent = nullptr, QByteArray publicKey = QByteArray(),
                bool useBuiltInKey = true, quint32 version = 0);
  ~TPetrelUpdate() override;

  QString TargetPath() const { return target_; }
  int Position() const;
  QString Text() const;
  TOutcome Outcome() const { return outcome_; }

  // Source texts; the dialog shows their translations.
  static constexpr const char* kRefusedText =
      QT_TRANSLATE_NOOP("vireo::TPetrelUpdate", "升级文件未能通过校验，没有安装。");
  static constexpr const char* kNotStartedText =
      QT_TRANSLATE_NOOP("vireo::TPetrelUpdate", "升级程序无法启动，没有安装。");

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
