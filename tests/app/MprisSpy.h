#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace vireo::test {

// Collects what the player announces on the bus: PropertiesChanged of its player interface and
// Seeked.
class MprisSpy : public QObject {
  Q_OBJECT

 public:
  QList<QVariantMap> changes;
  QList<qlonglong> seeks;

  // The latest announced value of a property, or an invalid variant.
  QVariant Last(const QString& name) const {
    for (auto it = changes.crbegin(); it != changes.crend(); ++it)
      if (it->contains(name)) return it->value(name);
    return {};
  }

 public Q_SLOTS:
  void Changed(const QString& interface, const QVariantMap& changed, const QStringList&) {
    if (interface == QStringLiteral("org.mpris.MediaPlayer2.Player")) changes << changed;
  }
  void Seeked(qlonglong position) { seeks << position; }
};

}  // namespace vireo::test
