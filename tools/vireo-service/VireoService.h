#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <mutex>
#include <optional>

#include "MusicCatalog.h"
#include "ReleaseFolder.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace vireo::service {

class ServiceServer;

struct ServiceOptions {
  QString musicDir;
  QString listen = QStringLiteral("127.0.0.1");
  int port = 8080;  // 0: any free port
  QString releaseDir;
  QString signKeyFile;
  QString dataDir;  // uploaded lyrics go to dataDir/lyrics
  int randomCount = 10;
};

// The service host for a music folder, over cpp-httplib. Every handler answers from the folders
// it was given and nothing else; bad requests get a 4xx with a one-line reason. One line per
// request goes to the log (stderr). Handlers run on the server's worker threads; the counters
// below are guarded by one mutex, the catalogue and the release folder guard themselves.
class VireoService {
 public:
  VireoService(ServiceOptions options, std::optional<SigningKey> key);
  ~VireoService();

  // Binds; false with a reason when the address or port cannot be had.
  bool Bind(QString* error);
  int Port() const { return port_; }
  // Walks the music folder now (reading every track's tags), so the first request is quick.
  int ScanMusic() { return static_cast<int>(catalog_.Tracks().size()); }
  // Serves until Stop (from any thread).
  void Run();
  void Stop();

 private:
  QByteArray BaseUrl(const httplib::Request& req) const;
  void Index(const httplib::Request& req, httplib::Response& res);
  void RandomList(const httplib::Request& req, httplib::Response& res);
  void UpdateManifest(const httplib::Request& req, httplib::Response& res);
  void Installer(const httplib::Request& req, httplib::Response& res);
  void PlayReport(const httplib::Request& req, httplib::Response& res);
  void LyricUpload(const httplib::Request& req, httplib::Response& res);
  void Hot(const httplib::Request& req, httplib::Response& res);
  void Search(const httplib::Request& req, httplib::Response& res);
  void MusicUrl(const httplib::Request& req, httplib::Response& res);
  void MusicFile(const httplib::Request& req, httplib::Response& res);
  // The file, or the byte ranges the request asks for (which SendFile may cut to the file).
  void SendFile(const httplib::Request& req, const QString& path, const QString& contentType,
                httplib::Response& res);

  const ServiceOptions options_;
  std::unique_ptr<ServiceServer> server_;
  MusicCatalog catalog_;
  ReleaseFolder release_;
  int port_ = 0;

  std::mutex mutex_;  // guards hits_, plays_
  QHash<QString, int> hits_;
  qint64 plays_ = 0;
};

}  // namespace vireo::service
