#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace vireo {

class IMusicSearch;

// Resolves the playable address of one search result off the UI thread (GetUrl), as a job of the
// worker registry (group "library"). Address() is read after finished(), which comes on the UI
// thread; it stays empty when the component fails. Started at once by the library window;
// deletes itself after finished().
class TGetMusicUrlThread : public QObject {
  Q_OBJECT
 public:
  TGetMusicUrlThread(std::shared_ptr<IMusicSearch> search, QString key, qint32 extra);

  QString Address() const { return address_; }
  void start();

 Q_SIGNALS:
  void finished();

 private:
  const std::shared_ptr<IMusicSearch> search_;
  const QString key_;
  const qint32 extra_;
  QString address_;  // set on the UI thread with finished()
};

}  // namespace vireo
