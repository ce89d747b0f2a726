#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>

#include "app/desktop/DesktopEntry.h"

namespace vireo {

class MprisService;

// org.mpris.MediaPlayer2: the player as an application (raise it, quit it, what it opens).
class MprisRootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ CanQuit)
  Q_PROPERTY(bool CanRaise READ CanRaise)
  Q_PROPERTY(bool HasTrackList READ HasTrackList)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

 public:
  explicit MprisRootAdaptor(MprisService* service);

  bool CanQuit() const { return true; }
  bool CanRaise() const { return true; }
  bool HasTrackList() const { return false; }
  QString Identity() const { return QStringLiteral("Vireo"); }
  QString DesktopEntry() const { return QLatin1String(::vireo::DesktopEntry::kId); }
  QStringList SupportedUriSchemes() const;
  QStringList SupportedMimeTypes() const;

 public Q_SLOTS:
  void Raise();
  void Quit();

 private:
  MprisService* service_;
};

}  // namespace vireo
