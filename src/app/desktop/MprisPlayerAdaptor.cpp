#include "app/desktop/MprisPlayerAdaptor.h"

#include "app/desktop/MprisService.h"

namespace vireo {

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {
  connect(service, &MprisService::Seeked, this, &MprisPlayerAdaptor::Seeked);
}

QString MprisPlayerAdaptor::PlaybackStatus() const {
  return service_->PlaybackStatus();
}
QString MprisPlayerAdaptor::LoopStatus() const {
  return service_->LoopStatus();
}
void MprisPlayerAdaptor::SetLoopStatus(const QString& status) {
  service_->SetLoopStatus(status);
}
QVariantMap MprisPlayerAdaptor::Metadata() const {
  return service_->Metadata();
}
double MprisPlayerAdaptor::Volume() const {
  return service_->Volume();
}
void MprisPlayerAdaptor::SetVolume(double volume) {
  service_->SetVolume(volume);
}
qlonglong MprisPlayerAdaptor::Position() const {
  return service_->Position();
}
bool MprisPlayerAdaptor::CanGoNext() const {
  return service_->CanGoNext();
}
bool MprisPlayerAdaptor::CanGoPrevious() const {
  return service_->CanGoPrevious();
}
bool MprisPlayerAdaptor::CanPlay() const {
  return service_->CanPlay();
}
bool MprisPlayerAdaptor::CanPause() const {
  return service_->CanPause();
}
bool MprisPlayerAdaptor::CanSeek() const {
  return service_->CanSeek();
}

void MprisPlayerAdaptor::Next() {
  service_->Next();
}
void MprisPlayerAdaptor::Previous() {
  service_->Previous();
}
void MprisPlayerAdaptor::Pause() {
  service_->Pause();
}
void MprisPlayerAdaptor::PlayPause() {
  service_->PlayPause();
}
void MprisPlayerAdaptor::Stop() {
  service_->Stop();
}
void MprisPlayerAdaptor::Play() {
  service_->Play();
}
void MprisPlayerAdaptor::Seek(qlonglong Offset) {
  service_->Seek(Offset);
}
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
  service_->SetPosition(TrackId.path(), Position);
}
void MprisPlayerAdaptor::OpenUri(const QString& Uri) {
  service_->OpenUri(Uri);
}

}  // namespace vireo
