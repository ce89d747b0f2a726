#pragma once

#include <QByteArray>
#include <QString>

namespace vireo {

// The one web service the player talks to. Its host ("name" or "name:port") is a setting
// ("Window/SERVICE" "HOST") that the main window puts here at start-up; every request to the
// service is built from it. An empty host means offline: Url() is empty and no request is sent.
// Thread-safe: workers read it while the UI thread may change it.
class ServiceHost {
 public:
  static QString Host();
  static void SetHost(const QString& host);
  static bool Online() { return !Host().isEmpty(); }
  // "http://" + host + path, path starting with '/'; empty while offline.
  static QByteArray Url(QByteArrayView path);
};

}  // namespace vireo
