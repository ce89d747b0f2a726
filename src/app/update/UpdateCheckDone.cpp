#include "app/update/UpdateCheckDone.h"

#include "app/librarywindow/ILibraryHost.h"
#include "app/librarywindow/TPetrelShare.h"
#include "app/update/TPetrelUpdate.h"
#include "net/ServiceHost.h"
#include "net/UpdateInstaller.h"

namespace vireo {

TPetrelUpdate* UpdateCheckDone(ILibraryHost& host, TPetrelShare& share,
                               const UpdateCheckResult& result, bool showLibraryOnline) {
  const QByteArray base = ServiceHost::Url("");
  const UpdatePlan plan = TCheckUPDate::Plan(result, base, UpdateInstaller::BuiltInPublicKey());
  host.SetServiceReachable(plan.ServiceReachable);
  if (!plan.LibraryUrl.isEmpty()) {
    share.Navigate(QString::fromLatin1(plan.LibraryUrl));
    if (showLibraryOnline && !share.isVisible()) share.Toggle();
  }
  if (!plan.StartUpdate) return nullptr;
  auto* dialog = new TPetrelUpdate(plan.UpdateFileUrl, plan.UpdateFileSig, host.DataDir(),
                                   nullptr, {}, true, plan.Version);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::ApplicationModal);
  ILibraryHost* h = &host;
  QObject::connect(dialog, &QDialog::finished, dialog, [h, dialog](int) {
    if (dialog->Outcome() != TPetrelUpdate::Refused) h->Close();
  });
  dialog->show();
  return dialog;
}

}  // namespace vireo
