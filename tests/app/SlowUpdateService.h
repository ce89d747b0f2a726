#pragma once

#include <memory>
#include <string>

#include "LoopbackHttpServer.h"
#include "TestSigningKey.h"
#include "net/UpdateInstaller.h"

namespace vireo::test {

// A service that offers a newer installer (99.0.0) and hands it over slowly (two seconds), as a
// real download comes. Tampered: the release statement is signed with the test key, but the
// bytes served are not the ones signed, as a hostile network would change them. Unsigned: the
// signature is made by no key at all. Good: the installer given, signed as it is.
class SlowUpdateService {
 public:
  enum Kind { Tampered, Unsigned, Good };
  explicit SlowUpdateService(Kind kind = Tampered, QByteArray installer = {})
      : server_([base = base_, kind, installer](const LoopbackHttpServer::Request& r,
                                                 LoopbackHttpServer::Connection& c) {
          constexpr int kChunks = 20;
          const QByteArray signedBytes =
              kind == Good ? installer : QByteArray(kChunks * 16 * 1024, 'y');
          const QByteArray served = kind == Good ? installer : QByteArray(signedBytes.size(), 'x');
          if (r.target == "/soft/update.xml") {
            std::string sig = QByteArray(64, 'v').toBase64().toStdString(), vsig;
            if (kind != Unsigned) {
              sig = SignWithTestKey(signedBytes).toStdString();
              vsig = " vsig=\"" +
                     SignWithTestKey(vireo::UpdateInstaller::ReleaseStatement(
                                         99000, QStringLiteral("vireo-setup-99.0.0.run"),
                                         QByteArray::fromStdString(sig)))
                         .toStdString() +
                     '"';
            }
            const std::string manifest =
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<petrel><ver value=\"99000\"/>"
                "<version value=\"99.0.0\"/><file value=\"" + *base +
                "/soft/vireo-setup-99.0.0.run\" sig=\"" + sig + '"' + vsig + "/></petrel>\n";
            c.Write(LoopbackHttpServer::Response(200, manifest, {{"Content-Type", "text/xml"}}));
          } else if (r.target == "/soft/vireo-setup-99.0.0.run") {
            c.Write("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(served.size()) +
                    "\r\nConnection: close\r\n\r\n");
            const qsizetype chunk = (served.size() + kChunks - 1) / kChunks;
            for (qsizetype at = 0; at < served.size() && c.Sleep(100); at += chunk)
              c.Write(served.mid(at, chunk).toStdString());
          } else {
            c.Write(LoopbackHttpServer::Response(404, "no"));
          }
        }) {
    *base_ = server_.Url("");  // before any player asks
  }
  QString Host() const { return QString::fromStdString(server_.HostPort()); }
  int Asked(const std::string& target) const {
    int n = 0;
    for (const auto& r : server_.Requests()) n += r.target == target;
    return n;
  }
  int ManifestsAsked() const { return Asked("/soft/update.xml"); }
  int InstallersAsked() const { return Asked("/soft/vireo-setup-99.0.0.run"); }

 private:
  std::shared_ptr<std::string> base_ = std::make_shared<std::string>();
  LoopbackHttpServer server_;
};


}  // namespace vireo::test
