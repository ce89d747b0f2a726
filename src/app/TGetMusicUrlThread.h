#pragma once

#include <QString>
#include <QThread>
#include <memory>

namespace vireo {

class IMusicSearch;

// Resolves the playable address of one search result off the UI thread (GetUrl). Address() is
// read after finished(), on the UI thread; it stays empty when the component fails. Started at
// once by the library window; deletes itself after finished().
class TGetMusicUrlThread : public QThread {
  Q_OBJECT
 public:
  TGetMusicUrlThread(std::shared_ptr<IMusicSearch> search, QString key, qint32 extra);

  QString Address() const { return address_; }

 protected:
  void run() override;

 private:
  const std::shared_ptr<IMusicSearch> search_;
  const QString key_;
  const qint32 extra_;
  QString address_;  // written by the worker, read after finished()
};

}  // namespace vireo
