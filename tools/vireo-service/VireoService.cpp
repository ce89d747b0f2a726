#include "VireoService.h"

#include <httplib.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <algorithm>
#include <cstdio>

#include "SafePath.h"
#include "ServiceServer.h"
#include "ServicePages.h"
#include "base/Gb18030.h"
#include "base/TextUtil.h"
#include "base/UrlCodec.h"

namespace vireo::service {
namespace {

constexpr const char* kText = "text/plain; charset=utf-8";
constexpr const char* kXml = "text/xml; charset=utf-8";

QString FromStd(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string ToStd(const QByteArray& b) {
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}

// The player sends its texts URL-encoded from GB18030; browsers and other clients send UTF-8.
QString DecodeText(QByteArrayView bytes) {
  return IsValidUtf8(bytes) ? QString::fromUtf8(bytes) : FromGb18030(bytes);
}

// The fields of a form body, decoded as the player encodes them.
QHash<QByteArray, QByteArray> FormFields(const std::string& body) {
  QHash<QByteArray, QByteArray> fields;
  const QByteArray b(body.data(), static_cast<qsizetype>(body.size()));
  for (const QByteArray& pair : b.split('&')) {
    const qsizetype eq = pair.indexOf('=');
    if (eq <= 0) continue;
    fields.insert(pair.left(eq), URLDecode(pair.mid(eq + 1)));
  }
  return fields;
}

void Fail(httplib::Response& res, int status, const QString& reason) {
  res.status = status;
  res.set_content(ToStd(reason.toUtf8() + '\n'), kText);
}

int IntParam(const httplib::Request& req, const char* name, int fallback) {
  if (!req.has_param(name)) return fallback;
  bool ok = false;
  const int v = FromStd(req.get_param_value(name)).toInt(&ok);
  return ok ? v : fallback;
}

QString ContentTypeOf(const QString& path) {
  static const QHash<QString, QString> types = {
      {QStringLiteral("mp3"), QStringLiteral("audio/mpeg")},
      {QStringLiteral("ogg"), QStringLiteral("audio/ogg")},
      {QStringLiteral("oga"), QStringLiteral("audio/ogg")},
      {QStringLiteral("opus"), QStringLiteral("audio/ogg")},
      {QStringLiteral("flac"), QStringLiteral("audio/flac")},
      {QStringLiteral("wav"), QStringLiteral("audio/wav")},
      {QStringLiteral("m4a"), QStringLiteral("audio/mp4")},
      {QStringLiteral("aac"), QStringLiteral("audio/aac")},
      {QStringLiteral("aiff"), QStringLiteral("audio/aiff")},
      {QStringLiteral("aif"), QStringLiteral("audio/aiff")},
      {QStringLiteral("wma"), QStringLiteral("audio/x-ms-wma")}};
  return types.value(QFileInfo(path).suffix().toLower(),
                     QStringLiteral("application/octet-stream"));
}

// A request target fit for one log line: control characters escaped, long ones cut.
std::string LoggedTarget(const std::string& target) {
  std::string out;
  for (unsigned char c : target.substr(0, 300)) {
    if (c < 0x20 || c == 0x7f) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (target.size() > 300) out += "...";
  return out;
}

// httplib takes the ranges as asked: a first byte beyond the end gave a 206 with a negative
// length sent as a huge Content-Length. Ends past the file are cut to it, as HTTP says; false
// when a range has no byte in the file (416).
bool FitRanges(httplib::Ranges& ranges, size_t size) {
  const auto last = static_cast<ssize_t>(size) - 1;
  for (auto& [first, end] : ranges) {
    if (first < 0) {  // the last `end` bytes
      if (end == 0 || size == 0) return false;
      continue;
    }
    if (first > last || (end >= 0 && end < first)) return false;
    if (end < 0 || end > last) end = last;
  }
  return true;
}

}  // namespace

VireoService::VireoService(ServiceOptions options, std::optional<SigningKey> key)
    : options_(std::move(options)),
      server_(std::make_unique<ServiceServer>()),
      catalog_(options_.musicDir),
      release_(options_.releaseDir, std::move(key)) {
  httplib::Server& s = *server_;
  s.set_payload_max_length(2 << 20);
  s.set_logger([](const httplib::Request& req, const httplib::Response& res) {
    const QByteArray when = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8();
    const size_t bytes =
        res.body.empty() ? res.get_header_value<uint64_t>("Content-Length") : res.body.size();
    std::fprintf(stderr, "%s %s %s %s %d %zu\n", when.constData(), req.remote_addr.c_str(),
                 req.method.c_str(), LoggedTarget(req.target).c_str(), res.status, bytes);
    std::fflush(stderr);
  });
  s.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
    // A refusal is sent whole: httplib would otherwise cut its text to the request's byte
    // range. The request is httplib's own non-const object, handed to us as const.
    const_cast<httplib::Request&>(req).ranges.clear();
    if (!res.body.empty()) return;
    if (res.status == 404)
      Fail(res, 404, QStringLiteral("not found: ") + FromStd(req.path));
    else
      Fail(res, res.status, QStringLiteral("request refused (HTTP %1)").arg(res.status));
  });
  s.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    Fail(res, 500, QStringLiteral("internal error"));
  });
  using R = const httplib::Request&;
  using W = httplib::Response&;
  s.Get("/", [](R, W res) { res.set_redirect("/index_sh.asp"); });
  s.Get("/index_sh.asp", [this](R req, W res) { Index(req, res); });
  s.Get("/mpost/rndmusic.asp", [this](R req, W res) { RandomList(req, res); });
  s.Get("/soft/update.xml", [this](R req, W res) { UpdateManifest(req, res); });
  s.Get("/soft/(.+)", [this](R req, W res) { Installer(req, res); });
  s.Post("/mpost/mp3down.asp", [this](R req, W res) { PlayReport(req, res); });
  s.Post("/mpost/lrcpost.asp", [this](R req, W res) { LyricUpload(req, res); });
  s.Get("/mpost/hot.asp", [this](R req, W res) { Hot(req, res); });
  s.Get("/mpost/search.asp", [this](R req, W res) { Search(req, res); });
  s.Get("/mpost/musicurl.asp", [this](R req, W res) { MusicUrl(req, res); });
  s.Get("/music/(.*)", [this](R req, W res) { MusicFile(req, res); });
}

VireoService::~VireoService() = default;

bool VireoService::Bind(QString* error) {
  const std::string host = options_.listen.toStdString();
  if (options_.port == 0) {
    port_ = server_->bind_to_any_port(host);
    if (port_ <= 0) {
      *error = QStringLiteral("cannot listen on %1").arg(options_.listen);
      return false;
    }
    return true;
  }
  if (!server_->bind_to_port(host, options_.port)) {
    *error = QStringLiteral(
                 "cannot listen on %1 port %2 (in use, or not an address of this "
                 "machine)")
                 .arg(options_.listen)
                 .arg(options_.port);
    return false;
  }
  port_ = options_.port;
  return true;
}

void VireoService::Run() {
  server_->WidenBacklog();
  server_->listen_after_bind();
}

void VireoService::Stop() {
  server_->stop();
}

QByteArray VireoService::BaseUrl(const httplib::Request& req) const {
  // The address the player used reaches us again; a Host header that is not a plain host name
  // or address (with a port) is not copied into pages.
  const QByteArray host = QByteArray::fromStdString(req.get_header_value("Host"));
  bool plain = !host.isEmpty() && host.size() < 256;
  for (char c : host) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    if (!ok) plain = false;
  }
  if (plain) return "http://" + host;
  QString listen = options_.listen;
  if (listen == u"0.0.0.0" || listen == u"::") listen = QStringLiteral("127.0.0.1");
  return "http://" + listen.toUtf8() + ':' + QByteArray::number(port_);
}

void VireoService::Index(const httplib::Request& req, httplib::Response& res) {
  const QString query = req.has_param("q")
                            ? DecodeText(QByteArray::fromStdString(req.get_param_value("q")))
                            : QString();
  const QList<Track> all = TrimText(query).isEmpty() ? catalog_.Tracks() : catalog_.Search(query);
  const int total = static_cast<int>(all.size());
  const int pages = std::max(1, (total + ServicePages::kPageSize - 1) / ServicePages::kPageSize);
  const int page = std::clamp(IntParam(req, "page", 0), 0, pages - 1);
  const QList<Track> shown =
      all.mid(qsizetype(page) * ServicePages::kPageSize, ServicePages::kPageSize);
  res.set_content(ToStd(ServicePages::IndexPage(BaseUrl(req), shown, query, page, total)),
                  "text/html; charset=utf-8");
}

void VireoService::RandomList(const httplib::Request& req, httplib::Response& res) {
  QList<Track> tracks = catalog_.Tracks();
  std::shuffle(tracks.begin(), tracks.end(), *QRandomGenerator::global());
  tracks.resize(std::min<qsizetype>(tracks.size(), options_.randomCount));
  res.set_content(ToStd(ServicePages::RandomList(BaseUrl(req), tracks)), kXml);
}

void VireoService::UpdateManifest(const httplib::Request& req, httplib::Response& res) {
  res.set_content(ToStd(release_.Manifest(BaseUrl(req))), kXml);
}

void VireoService::Installer(const httplib::Request& req, httplib::Response& res) {
  const QString name = FromStd(req.matches[1]);
  if (!SafePath::IsCleanRelativeName(name) || name.contains(u'/'))
    return Fail(res, 400, QStringLiteral("bad file name: ") + name);
  if (release_.Dir().isEmpty()) return Fail(res, 404, QStringLiteral("no release folder"));
  const auto path = SafePath::Resolve(release_.Dir(), name);
  if (!path || !QFileInfo(*path).isFile())
    return Fail(res, 404, QStringLiteral("no such installer: ") + name);
  SendFile(req, *path, QStringLiteral("application/octet-stream"), res);
}

void VireoService::PlayReport(const httplib::Request& req, httplib::Response& res) {
  const auto f = FormFields(req.body);
  if (!f.contains("u")) return Fail(res, 400, QStringLiteral("a play report needs u="));
  qint64 plays;
  {
    std::lock_guard lock(mutex_);
    plays = ++plays_;
  }
  const QByteArray line = "play #" + QByteArray::number(plays) + ": " +
                          DecodeText(f.value("t")).toUtf8() + " - " +
                          DecodeText(f.value("s")).toUtf8() + " (" + f.value("b") + " kbit/s)";
  std::fprintf(stderr, "%s\n", line.constData());
  res.set_content("1", kText);
}

void VireoService::LyricUpload(const httplib::Request& req, httplib::Response& res) {
  const auto f = FormFields(req.body);
  const QString title = TrimText(DecodeText(f.value("ltitle")));
  const QString singer = TrimText(DecodeText(f.value("lsinger")));
  const QString lyric = DecodeText(f.value("llrc"));
  if (title.isEmpty()) return Fail(res, 400, QStringLiteral("a lyric upload needs ltitle="));
  // The player reports missing lyrics with a placeholder; there is nothing to keep then.
  if (lyric == u"petrel_12345" || IsBlank(lyric)) return res.set_content("1", kText);
  if (options_.dataDir.isEmpty()) return Fail(res, 503, QStringLiteral("no data folder"));
  const QString dir = options_.dataDir + QStringLiteral("/lyrics");
  if (!QDir().mkpath(dir)) return Fail(res, 500, QStringLiteral("cannot create the lyric folder"));
  // 200 bytes of GB18030, as the player's lyric folders count, can be 300 of UTF-8: the name
  // is cut further to what a file system holds, with room for ".lrc" and the save's temporary
  // suffix (".XXXXXX").
  QString name = CutUtf8(
      CleanFileName(singer.isEmpty() ? title : title + QStringLiteral(" - ") + singer, 200),
      255 - 4 - 7);
  if (name.startsWith(u'.')) name.replace(0, 1, u'_');
  if (name.isEmpty()) return Fail(res, 400, QStringLiteral("unusable title"));
  const QString fileName = name + QStringLiteral(".lrc");
  if (QFileInfo(dir + u'/' + fileName).isSymLink())
    return Fail(res, 409, QStringLiteral("a link stands at that lyric's name; nothing was stored"));
  const auto path = SafePath::ResolveForWriting(dir, fileName);
  if (!path) return Fail(res, 400, QStringLiteral("unusable title"));
  QSaveFile file(*path);
  if (!file.open(QIODevice::WriteOnly) || file.write(lyric.toUtf8()) < 0 || !file.commit())
    return Fail(res, 500, QStringLiteral("cannot store the lyric"));
  res.set_content("1", kText);
}

void VireoService::Hot(const httplib::Request& req, httplib::Response& res) {
  if (!req.has_param("id")) {
    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<petrel>\n";
    std::lock_guard lock(mutex_);
    for (auto it = hits_.constBegin(); it != hits_.constEnd(); ++it)
      x += "  <hot id=\"" + it.key().toHtmlEscaped().toUtf8() + "\" count=\"" +
           QByteArray::number(it.value()) + "\"/>\n";
    x += "</petrel>\n";
    return res.set_content(ToStd(x), kXml);
  }
  const QString id = TrimText(FromStd(req.get_param_value("id")));
  if (!catalog_.ById(id)) return Fail(res, 404, QStringLiteral("unknown track id: ") + id);
  int count;
  {
    std::lock_guard lock(mutex_);
    count = ++hits_[id];
  }
  res.set_content(std::to_string(count), kText);
}

void VireoService::Search(const httplib::Request& req, httplib::Response& res) {
  const QString key = DecodeText(QByteArray::fromStdString(req.get_param_value("key")));
  const int offset = IntParam(req, "offset", 0);
  const int count = IntParam(req, "count", 30);
  if (offset < 0 || count < 1 || count > 200)
    return Fail(res, 400, QStringLiteral("offset must be 0 or more and count 1 to 200"));
  const QList<Track> found = catalog_.Search(key);
  res.set_content(
      ToStd(ServicePages::SearchAnswer(found.mid(offset, count), static_cast<int>(found.size()))),
      kXml);
}

void VireoService::MusicUrl(const httplib::Request& req, httplib::Response& res) {
  const QString key = TrimText(FromStd(req.get_param_value("key")));
  const auto track = catalog_.ById(key);
  if (!track) return Fail(res, 404, QStringLiteral("unknown track id: ") + key);
  res.set_content(ToStd(BaseUrl(req) + ServicePages::MusicPath(track->relPath)), kText);
}

void VireoService::MusicFile(const httplib::Request& req, httplib::Response& res) {
  const QString name = FromStd(req.matches[1]);
  if (!SafePath::IsCleanRelativeName(name))
    return Fail(res, 400, QStringLiteral("bad file name: ") + name);
  const auto path = SafePath::Resolve(catalog_.Root(), name);
  if (!path || !QFileInfo(*path).isFile() ||
      !MusicCatalog::AudioSuffixes().contains(QFileInfo(*path).suffix().toLower()))
    return Fail(res, 404, QStringLiteral("no such track: ") + name);
  SendFile(req, *path, ContentTypeOf(*path), res);
}

void VireoService::SendFile(const httplib::Request& req, const QString& path,
                            const QString& contentType, httplib::Response& res) {
  auto file = std::make_shared<QFile>(path);
  if (!file->open(QIODevice::ReadOnly)) return Fail(res, 403, QStringLiteral("cannot read it"));
  const auto size = static_cast<size_t>(file->size());
  if (!FitRanges(const_cast<httplib::Request&>(req).ranges, size)) {
    res.set_header("Content-Range", "bytes */" + std::to_string(size));
    return Fail(res, 416, QStringLiteral("the range lies beyond the file's %1 bytes").arg(size));
  }
  res.set_header("Accept-Ranges", "bytes");
  res.set_content_provider(size, contentType.toStdString(),
                           [file](size_t offset, size_t length, httplib::DataSink& sink) {
                             if (!file->seek(static_cast<qint64>(offset))) return false;
                             char buffer[64 * 1024];
                             const qint64 want =
                                 static_cast<qint64>(std::min(length, sizeof buffer));
                             const qint64 got = file->read(buffer, want);
                             if (got <= 0) return false;
                             return sink.write(buffer, static_cast<size_t>(got));
                           });
}

}  // namespace vireo::service
