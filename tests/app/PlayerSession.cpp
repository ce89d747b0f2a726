#include "PlayerSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QXmlStreamReader>
#include <functional>

#include "TestEnv.h"
#include "app/instance/InstanceProtocol.h"
#include "app/instance/SingleInstance.h"

namespace vireo::test {

bool Eventually(const std::function<bool()>& pred, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (true) {
    if (pred()) return true;
    if (t.elapsed() > timeoutMs) return false;
    QThread::msleep(50);
  }
}

PlayerSession::PlayerSession() {
  home_ = root_.filePath(QStringLiteral("home"));
  runtime_ = root_.filePath(QStringLiteral("run"));
  for (const char* sub : {".config", ".local/share", ".cache", "Documents"})
    QDir().mkpath(home_ + QLatin1Char('/') + QLatin1StringView(sub));
  QDir().mkpath(runtime_);
  QFile::setPermissions(runtime_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

PlayerSession::~PlayerSession() {
  if (Running()) {
    process_->terminate();
    if (!process_->waitForFinished(5000)) {
      process_->kill();
      process_->waitForFinished(2000);
    }
  }
}

QString PlayerSession::PlayerPath() {
  return QStringLiteral(VIREO_PLAYER_PATH);
}

QString PlayerSession::DataDir() const {
  return home_ + QStringLiteral("/Documents/Vireo/");
}

QProcessEnvironment PlayerSession::Environment() const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HOME"), home_);
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_ + QStringLiteral("/.config"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), home_ + QStringLiteral("/.local/share"));
  env.insert(QStringLiteral("XDG_CACHE_HOME"), home_ + QStringLiteral("/.cache"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.remove(QStringLiteral("SESSION_MANAGER"));
  // The player's own language, whatever the machine's is; a test of another sets its own.
  env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("zh_CN"));
  // The installed player is to find its modules itself.
  env.remove(QStringLiteral("VIREO_MODULE_DIR"));
  for (const QString& name : extraEnv_.keys()) env.insert(name, extraEnv_.value(name));
  return env;
}

void PlayerSession::WriteSettings(const QString& windowElements) {
  WritePlayerSettings(DataDir(), windowElements);
}

bool PlayerSession::Start(const QStringList& args, int timeoutMs) {
  // A first start without settings of the test's own still keeps every lookup on loopback.
  if (defaultSettings_ && !QFile::exists(DataDir() + QStringLiteral("Vireo.xml")))
    WriteSettings(QString());
  process_ = std::make_unique<QProcess>();
  process_->setProcessEnvironment(Environment());
  process_->setProcessChannelMode(QProcess::MergedChannels);
  process_->start(program_, args);
  if (!process_->waitForStarted(5000)) return false;
  return Eventually([this] { return !WindowId(QStringLiteral("Vireo")).isEmpty(); }, timeoutMs) &&
         WaitVisible(QStringLiteral("Vireo"), true, timeoutMs);
}

int PlayerSession::StartAgain(const QStringList& args, int timeoutMs, const QString& workingDir) {
  QProcess second;
  second.setProcessEnvironment(Environment());
  if (!workingDir.isEmpty()) second.setWorkingDirectory(workingDir);
  second.start(program_, args);
  if (!second.waitForFinished(timeoutMs)) {
    second.kill();
    return -1;
  }
  return second.exitCode();
}

bool PlayerSession::Quit(int timeoutMs, double scale) {
  if (!Running()) return true;
  // The close button, as a user closes the player.
  const QRect main = Geometry(QStringLiteral("Vireo"));
  const QRect close = SkinRect(QStringLiteral("main"), QStringLiteral("close"));
  if (main.isValid() && close.isValid()) Click(main.topLeft() + close.center() * scale);
  return process_->waitForFinished(timeoutMs);
}

QRect PlayerSession::SkinRect(const QString& window, const QString& id, const QString& element) {
  QFile f(QStringLiteral(VIREO_APP_DIR "/skin/Default/skin.xml"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  QXmlStreamReader xml(&f);
  QString current;
  QRect found;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto a = xml.attributes();
    if (xml.name() == QStringLiteral("window")) {
      current = a.value(QStringLiteral("id")).toString();
    } else if (current == window && a.value(QStringLiteral("id")) == id &&
               (element.isEmpty() || xml.name() == element)) {
      const QRect r(a.value(QStringLiteral("x")).toInt(), a.value(QStringLiteral("y")).toInt(),
                    a.value(QStringLiteral("w")).toInt(), a.value(QStringLiteral("h")).toInt());
      // A label and a button may share an id ("pmode"): the button is what a user presses.
      if (xml.name().endsWith(QStringLiteral("button"))) return r;
      if (!found.isValid()) found = r;
    }
  }
  return found;
}

bool PlayerSession::Running() const {
  if (!process_ || process_->state() == QProcess::NotRunning) return false;
  // Without an event loop QProcess learns of the end only when asked to wait for it.
  process_->waitForFinished(0);
  return process_->state() != QProcess::NotRunning;
}

qint64 PlayerSession::Pid() const {
  return process_ ? process_->processId() : 0;
}

std::optional<int> PlayerSession::Request(int kind, int wparam, int lparam) {
  QByteArray payload;
  instance::AppendInt32(payload, wparam);
  instance::AppendInt32(payload, lparam);
  const SingleInstance probe(runtime_);
  const auto answer = SingleInstance::Request(probe.SocketPath(), kind, payload, 10000, 5000);
  if (!answer) return std::nullopt;
  return int(*answer);
}

QString PlayerSession::WindowId(const QString& windowClass) const {
  QProcess p;
  QStringList args{QStringLiteral("search"), QStringLiteral("--classname"),
                   QStringLiteral("^vireo$")};
  p.start(QStringLiteral("xdotool"), args);
  p.waitForFinished(5000);
  const QStringList ids =
      QString::fromLatin1(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  QString first;
  for (const QString& id : ids) {
    QProcess x;
    x.start(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("WM_CLASS")});
    x.waitForFinished(5000);
    // xprop shows the bytes of a STRING property above 127 as octal escapes.
    QString escaped;
    for (const char c : windowClass.toUtf8()) {
      const auto b = static_cast<unsigned char>(c);
      escaped += b < 128 ? QString(QLatin1Char(char(b)))
                         : QStringLiteral("\\%1").arg(int(b), 3, 8, QLatin1Char('0'));
    }
    const QString line = QString::fromLatin1(x.readAllStandardOutput());
    if (!line.contains(QLatin1Char('"') + escaped + QLatin1Char('"'))) continue;
    // Qt may leave an unmapped native window of the same class behind a newer one: the one on
    // the screen is the one a user means.
    if (first.isEmpty()) first = id;
    QProcess info;
    info.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    info.waitForFinished(5000);
    if (QString::fromLatin1(info.readAllStandardOutput()).contains(QStringLiteral("IsViewable")))
      return id;
  }
  return first;
}

QRect PlayerSession::Geometry(const QString& windowClass) const {
  QRect r;
  // A window the player has just made may not be found at the first look.
  Eventually(
      [&] {
        r = GeometryOnce(windowClass);
        return r.isValid();
      },
      2000);
  return r;
}

QRect PlayerSession::GeometryOnce(const QString& windowClass) const {
  const QString id = WindowId(windowClass);
  if (id.isEmpty()) return {};
  QProcess p;
  p.start(QStringLiteral("xdotool"),
          {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
  p.waitForFinished(5000);
  QRect r;
  for (const QString& line :
       QString::fromLatin1(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
    const QString value = line.section(QLatin1Char('='), 1);
    if (line.startsWith(QStringLiteral("X="))) r.moveLeft(value.toInt());
    if (line.startsWith(QStringLiteral("Y="))) r.moveTop(value.toInt());
    if (line.startsWith(QStringLiteral("WIDTH="))) r.setWidth(value.toInt());
    if (line.startsWith(QStringLiteral("HEIGHT="))) r.setHeight(value.toInt());
  }
  return r;
}

bool PlayerSession::Visible(const QString& windowClass) const {
  return Viewable(WindowId(windowClass));
}

bool PlayerSession::Viewable(const QString& id) {
  if (id.isEmpty()) return false;
  QProcess p;
  p.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
  p.waitForFinished(5000);
  return QString::fromLatin1(p.readAllStandardOutput()).contains(QStringLiteral("IsViewable"));
}

QString PlayerSession::DemoTrack() const {
  const QString dir = root_.filePath(QStringLiteral("demo"));
  QDir().mkpath(dir);
  for (const char* name : {"vireo-demo.mp3", "vireo-demo.lrc"}) {
    const QString to = dir + u'/' + QLatin1String(name);
    if (!QFile::exists(to)) QFile::copy(QStringLiteral(VIREO_SOURCE_DIR "/data/demo/") + QLatin1String(name), to);
  }
  return dir + QStringLiteral("/vireo-demo.mp3");
}

QRect PlayerSession::SettledGeometry(const QString& windowClass, int timeoutMs) const {
  QRect last = GeometryOnce(windowClass);
  Eventually(
      [&] {
        const QRect now = GeometryOnce(windowClass);
        const bool same = now.isValid() && now == last;
        last = now;
        return same;
      },
      timeoutMs);
  return last;
}

bool PlayerSession::WaitVisible(const QString& windowClass, bool visible, int timeoutMs) const {
  return Eventually([&] { return Visible(windowClass) == visible; }, timeoutMs);
}

bool PlayerSession::Xdo(const QStringList& args) {
  return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
}

// The X server has the pointer there when this returns (--sync waits for the motion), so the
// events that follow reach the window under it, in order; what they cause is waited for by the
// caller, never by a pause here.
void PlayerSession::MoveTo(QPoint p) {
  Xdo({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(p.x()),
       QString::number(p.y())});
}

void PlayerSession::Click(QPoint p, int button) {
  // A hand arrives moving: the control under the pointer sees it come even when the pointer was
  // there already (a tooltip or a redraw may have taken the hover away meanwhile).
  MoveTo(p + QPoint(1, 0));
  MoveTo(p);
  Xdo({QStringLiteral("click"), QString::number(button)});
}

void PlayerSession::DoubleClick(QPoint p) {
  MoveTo(p);
  Xdo({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
       QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("1")});
}

void PlayerSession::Drag(QPoint from, QPoint delta) {
  MoveTo(from);
  Xdo({QStringLiteral("mousedown"), QStringLiteral("1")});
  for (int step = 1; step <= 4; ++step) MoveTo(from + delta * step / 4);
  Xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
}

void PlayerSession::Key(const QString& keys) {
  Xdo({QStringLiteral("key"), keys});
}

QImage PlayerSession::Screenshot(const QString& name) {
  const QString path = QStringLiteral(VIREO_SCREENSHOT_DIR "/") + name;
  QDir().mkpath(QStringLiteral(VIREO_SCREENSHOT_DIR));
  QProcess::execute(QStringLiteral("import"),
                    {QStringLiteral("-window"), QStringLiteral("root"), path});
  return QImage(path);
}

QString PlayerSession::Output() {
  // No event loop runs here: the pipe is looked at now, so what the player wrote is seen.
  if (process_ && process_->state() == QProcess::Running) process_->waitForReadyRead(0);
  if (process_) output_ += QString::fromUtf8(process_->readAll());
  return output_;
}

}  // namespace vireo::test
