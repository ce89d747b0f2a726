#include "app/update/TPetrelUpdate.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Logging.h"
#include "net/TFileDownLoadThread.h"
#include "net/UpdateInstaller.h"

namespace vireo {

int TPetrelUpdate::ProgressPercent(qint64 done, qint64 total) {
  if (total <= 0) return -1;
  // 64-bit: done × 100 overflows 32 bits from about 41 MB on.
  return static_cast<int>(std::clamp<qint64>(done * 100 / total, 0, 100));
}

TPetrelUpdate::TPetrelUpdate(const QString& fileUrl, const QByteArray& signatureBase64,
                             const QString& dataDir, QWidget* parent, QByteArray publicKey,
                             bool useBuiltInKey, quint32 version)
    // Only a close button: a frame that names no button at all is given every one by the
    // window manager, and a download that failed leaves the dialog open for the user to close.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      signature_(signatureBase64),
      publicKey_(useBuiltInKey ? UpdateInstaller::BuiltInPublicKey() : std::move(publicKey)) {
  setObjectName(QStringLiteral("TPetrelUpdate"));
  setWindowTitle(tr("维雀 升级"));
  setFixedSize(368, 87);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 10, 12, 12);
  pnl_text_ = new QLabel(tr("发现新版本，程序正在升级中..."), this);
  QFont bold = pnl_text_->font();
  bold.setBold(true);
  pnl_text_->setFont(bold);
  pnl_text_->setAlignment(Qt::AlignCenter);
  pb_update = new QProgressBar(this);
  pb_update->setObjectName(QStringLiteral("pb_update"));
  pb_update->setRange(0, 100);
  pb_update->setValue(0);
  layout->addWidget(pnl_text_, 1);
  layout->addWidget(pb_update);
  if (const QScreen* s = QGuiApplication::primaryScreen())
    move(s->geometry().center() - QPoint(width() / 2, height() / 2));

  Launcher = [](const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
  };

  target_ = UpdateInstaller::TargetPath(dataDir.endsWith(u'/') ? dataDir : dataDir + u'/');
  QDir().mkpath(QFileInfo(target_).absolutePath());

  QPointer<TPetrelUpdate> self(this);
  auto onProgress = [this](TFileDownLoadThread*, qint32 current, qint32 max) {
    const int p = ProgressPercent(static_cast<quint32>(current), static_cast<quint32>(max));
    if (p >= 0) pb_update->setValue(p);
  };
  // Runs on the download thread: the check reads the file there, off the UI thread; starting
  // the installer and closing happen on the UI thread.
  const QString target = target_, dataFolder = dataDir;
  const QByteArray sig = signature_, key = publicKey_;
  auto onComplete = [self, target, sig, key, dataFolder, version](TFileDownLoadThread*) {
    const bool verified = UpdateInstaller::Accept(target, sig, key);
    if (!verified) {
      qCCritical(lcNet) << "the update installer" << version
                        << "failed its signature check: deleted, not installed";
      if (version != 0) UpdateInstaller::RememberRefused(dataFolder, version);
    }
    QMetaObject::invokeMethod(
        qApp,
        [self, verified] {
          if (self) self->Downloaded(verified);
        },
        Qt::QueuedConnection);
  };
  // No error handler: a failed download leaves the dialog as it is. The thread is then made
  // suspended and started here.
  download_ = std::make_unique<TFileDownLoadThread>(fileUrl, false, nullptr, onComplete, onProgress,
                                                    target_);
  download_->start();
}

TPetrelUpdate::~TPetrelUpdate() = default;

int TPetrelUpdate::Position() const {
  return pb_update->value();
}

void TPetrelUpdate::Downloaded(bool verified) {
  if (verified && Launcher && Launcher(target_, {QStringLiteral("/SILENT")})) {
    outcome_ = Started;
    accept();
    return;
  }
  outcome_ = Refused;
  if (!verified) QFile::remove(target_);  // Accept deleted it already; never leave it
  // Said once, here; the dialog stays until it is closed and the player plays on.
  pnl_text_->setText(tr(verified ? kNotStartedText : kRefusedText));
}

QString TPetrelUpdate::Text() const {
  return pnl_text_->text();
}

void TPetrelUpdate::closeEvent(QCloseEvent* event) {
  if (outcome_ == Downloading) outcome_ = Cancelled;
  QDialog::closeEvent(event);
}

}  // namespace vireo
