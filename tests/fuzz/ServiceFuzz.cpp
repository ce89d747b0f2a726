// vireo-service's request handling: any bytes sent over one connection get an HTTP answer or
// none, never the bytes of a file outside the music folder (a secret beside it, reachable by a
// link inside), and nothing is written outside the data folder (a link planted among the lyrics
// leads out of it). One service runs for the whole process, on a loopback port, over a scratch
// music folder with one track of random bytes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRandomGenerator>
#include <cstdlib>
#include <memory>
#include <thread>

#include "FuzzScratch.h"
#include "FuzzTarget.h"
#include "VireoService.h"

namespace {

using vireo::service::ServiceOptions;
using vireo::service::VireoService;

// Far above any answer to a request of at most a few dozen kilobytes over a 4 KB track.
constexpr qsizetype kMaxAnswer = 64 << 20;
constexpr int kAnswerMs = 4000;

void Write(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  FUZZ_CHECK(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

struct Rig {
  QString root, music, data, lyrics, plantedLink;
  QByteArray marker;
  std::unique_ptr<VireoService> service;
  std::thread thread;
  QMap<QString, QByteArray> outside;  // every file outside the data folder: its state

  // Path -> size, time and digest (links as their target) of everything under root but data/.
  QMap<QString, QByteArray> Snapshot() const {
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      if (path == data || path.startsWith(data + u'/')) continue;
      const QFileInfo info = it.fileInfo();
      QByteArray state = info.isSymLink() ? QByteArray("link " + info.symLinkTarget().toUtf8())
                                          : QByteArray("file ");
      if (!info.isSymLink() && info.isFile()) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        state += QByteArray::number(info.size()) + ' ' +
                 QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex();
      }
      out.insert(path, state);
    }
    return out;
  }
};

Rig& TheRig() {
  static Rig* rig = [] {
    signal(SIGPIPE, SIG_IGN);  // as the service's own main does
    auto* r = new Rig;
    r->root = vireo::fuzz::ScratchFile(QStringLiteral("service"));
    r->music = r->root + QStringLiteral("/music");
    r->data = r->root + QStringLiteral("/data");
    r->lyrics = r->data + QStringLiteral("/lyrics");
    r->marker = "VIREO-FUZZ-SECRET-" +
                QByteArray::number(QRandomGenerator::global()->generate64(), 16) + '\n';
    QByteArray track(4096, '\0');
    QRandomGenerator noise(1812);
    for (char& c : track) c = static_cast<char>(noise.bounded(256));
    Write(r->music + QStringLiteral("/Singer - Song.mp3"), track);
    Write(r->root + QStringLiteral("/secret.mp3"), r->marker.repeated(64));
    Write(r->root + QStringLiteral("/victim.lrc"), "victim\n");
    QDir().mkpath(r->lyrics);
    FUZZ_CHECK(QFile::link(r->root + QStringLiteral("/secret.mp3"),
                           r->music + QStringLiteral("/escape.mp3")));
    r->plantedLink = r->lyrics + QStringLiteral("/song.lrc");
    FUZZ_CHECK(QFile::link(r->root + QStringLiteral("/victim.lrc"), r->plantedLink));

    ServiceOptions options;
    options.musicDir = r->music;
    options.listen = QStringLiteral("127.0.0.1");
    options.port = 0;
    options.dataDir = r->data;
    r->service = std::make_unique<VireoService>(options, std::nullopt);
    QString error;
    FUZZ_CHECK(r->service->Bind(&error));
    FUZZ_CHECK(r->service->ScanMusic() == 1);  // the link leads out, so it is no track
    r->thread = std::thread([r] { r->service->Run(); });
    r->outside = r->Snapshot();
    std::atexit([] {
      Rig& self = TheRig();
      self.service->Stop();
      if (self.thread.joinable()) self.thread.join();
    });
    return r;
  }();
  return *rig;
}

// The bytes over a fresh connection, the sending side shut after them; all that comes back
// until the service closes the connection.
QByteArray Exchange(int port, QByteArrayView request) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  FUZZ_CHECK(fd >= 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  FUZZ_CHECK(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0);
  QElapsedTimer clock;
  clock.start();
  QByteArray answer;
  qsizetype sent = 0;
  bool shut = false;
  char buffer[64 * 1024];
  while (clock.elapsed() < kAnswerMs) {
    if (!shut && sent == request.size()) {
      ::shutdown(fd, SHUT_WR);
      shut = true;
    }
    pollfd p{fd, short(POLLIN | (shut ? 0 : POLLOUT)), 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    if (p.revents & POLLOUT) {
      const ssize_t n = ::send(fd, request.data() + sent, size_t(request.size() - sent),
                               MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) sent += n;
      if (n < 0 && errno != EAGAIN && errno != EINTR) sent = request.size();  // closed on us
    }
    if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
      if (n > 0) answer.append(buffer, n);
      FUZZ_CHECK(answer.size() <= kMaxAnswer);
    }
  }
  ::close(fd);
  return answer;
}

}  // namespace

VIREO_FUZZ_TARGET(service) {
  Rig& rig = TheRig();
  const QByteArrayView request(reinterpret_cast<const char*>(data), qsizetype(size));
  const QByteArray answer = Exchange(rig.service->Port(), request);

  if (!answer.isEmpty()) {
    FUZZ_CHECK(answer.startsWith("HTTP/1.1 ") && answer.size() >= 12);
    for (int i = 9; i < 12; ++i) FUZZ_CHECK(answer[i] >= '0' && answer[i] <= '9');
  }
  // The secret's bytes, unless the request brought them itself (refusals quote the request).
  if (!request.contains(QByteArrayView(rig.marker).chopped(1)))
    FUZZ_CHECK(!answer.contains(QByteArrayView(rig.marker).chopped(1)));

  FUZZ_CHECK(rig.Snapshot() == rig.outside);
  FUZZ_CHECK(QFileInfo(rig.plantedLink).isSymLink());
  // Stored lyrics are dropped again, so the folder stays as small as the service found it.
  for (const QFileInfo& f : QDir(rig.lyrics).entryInfoList(QDir::Files | QDir::Hidden))
    if (!f.isSymLink()) QFile::remove(f.filePath());
  return 0;
}
