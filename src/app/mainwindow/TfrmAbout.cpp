#include "app/mainwindow/TfrmAbout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/desktop/AppIcon.h"
#include "ddvcl/TDDLinkLabel.h"
#include "net/ServiceHost.h"

namespace vireo {

QString TfrmAbout::VersionText() {
  QStringList parts = QString::fromLatin1(VIREO_VERSION).split(QLatin1Char('.'));
  while (parts.size() < 4) parts.append(QStringLiteral("0"));
  return tr("版本 v") + parts.mid(0, 4).join(QLatin1Char('.'));
}

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("关于 维雀"));
  // A fixed frame with a close button only (a dialog left to Qt's defaults gets minimise and
  // maximise buttons from the window manager), centred on the desktop.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(313, 132);
  if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
  QFont f(QStringLiteral("WenQuanYi Micro Hei"));
  f.setPixelSize(12);
  setFont(f);

  auto* logo = new QLabel(this);
  logo->setGeometry(16, 16, 64, 64);
  logo->setPixmap(AppIcon::Icon().pixmap(64));

  auto* title = new QLabel(tr("维雀 Vireo"), this);
  QFont tf = font();
  tf.setPixelSize(16);
  tf.setBold(true);
  title->setFont(tf);
  title->setGeometry(96, 14, 200, 22);
  auto* Label3 = new QLabel(VersionText(), this);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->setGeometry(96, 40, 200, 18);
  auto* link = new TDDLinkLabel(this);
  link->setText(tr("维雀 分享音乐 分享快乐"));
  const QByteArray home = ServiceHost::Url("/");
  link->SetURL(QString::fromLatin1(home));
  link->setGeometry(96, 62, 200, 18);
  // On the dialog's own background, as the links of the main window's empty list stand on theirs.
  link->setAutoFillBackground(false);
  link->setAttribute(Qt::WA_OpaquePaintEvent, false);
  link->setEnabled(!home.isEmpty());
  // In the link colour of the skin's dialogs: the classic blue cannot be read on a dark one.
  const QColor ink = palette().color(QPalette::Link);
  link->SetNormalColor(TColorRef((ink.blue() << 16) | (ink.green() << 8) | ink.red()));
  auto* Button1 = new QPushButton(tr("确定(&O)"), this);
  Button1->setGeometry(218, 96, 80, 26);
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace vireo
