#include "app/desktop/MprisRootAdaptor.h"

#include "app/desktop/MprisService.h"

namespace vireo {

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

QStringList MprisRootAdaptor::SupportedUriSchemes() const {
  return MprisService::SupportedUriSchemes();
}

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
  return MprisService::SupportedMimeTypes();
}

void MprisRootAdaptor::Raise() {
  service_->Raise();
}

void MprisRootAdaptor::Quit() {
  service_->Quit();
}

}  // namespace vireo
