#include "ServiceCommandLine.h"

#include <QDir>
#include <QFile>
#include <QMap>

namespace vireo::service {
namespace {

const QStringList kNames = {QStringLiteral("music"),    QStringLiteral("port"),
                            QStringLiteral("listen"),   QStringLiteral("release"),
                            QStringLiteral("sign-key"), QStringLiteral("data"),
                            QStringLiteral("random"),   QStringLiteral("make-key")};

QString Expanded(const QString& value) {
  if (value == u"~") return QDir::homePath();
  if (value.startsWith(QLatin1String("~/"))) return QDir::homePath() + value.mid(1);
  return value;
}

// The file's settings into values, for the names not given already; false with problem set
// when a line is not a setting.
bool ReadConfig(const QString& path, QMap<QString, QString>& values, QString& problem) {
  QFile file(path);
  if (!file.exists()) return true;
  if (!file.open(QIODevice::ReadOnly)) {
    problem = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return false;
  }
  if (file.size() > 64 * 1024) {
    problem = QStringLiteral("%1 is too large for a config file").arg(path);
    return false;
  }
  const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
  for (qsizetype n = 0; n < lines.size(); ++n) {
    QString line = lines[n];
    const qsizetype hash = line.indexOf(u'#');
    if (hash >= 0) line.truncate(hash);
    line = line.trimmed();
    if (line.isEmpty()) continue;
    const qsizetype eq = line.indexOf(u'=');
    const QString name = eq < 0 ? line : line.left(eq).trimmed();
    if (eq < 0 || !kNames.contains(name) || name == u"make-key") {
      problem = QStringLiteral("%1:%2: not a setting: %3").arg(path).arg(n + 1).arg(lines[n]);
      return false;
    }
    if (!values.contains(name)) values.insert(name, line.mid(eq + 1).trimmed());
  }
  return true;
}

}  // namespace

ServiceCommandLine ServiceCommandLine::Parse(const QStringList& args, const QString& defaultDataDir,
                                             const QString& defaultMusicDir) {
  ServiceCommandLine out;
  QMap<QString, QString> values;
  QString config;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == u"-h" || a == u"--help") {
      out.help = true;
      return out;
    }
    const QString name = a.startsWith(QLatin1String("--")) ? a.mid(2) : QString();
    if (name != u"config" && !kNames.contains(name)) {
      out.problem = QStringLiteral("unknown option %1").arg(a);
      return out;
    }
    if (i + 1 >= args.size()) {
      out.problem = QStringLiteral("%1 needs a value").arg(a);
      return out;
    }
    const QString v = args[++i];
    if (name == u"config")
      config = v;
    else
      values.insert(name, v);
  }
  if (!config.isEmpty()) {
    if (!ReadConfig(Expanded(config), values, out.problem)) return out;
    if (!values.contains(QStringLiteral("music"))) values.insert(QStringLiteral("music"), defaultMusicDir);
  }

  ServiceOptions& o = out.options;
  o.dataDir = defaultDataDir;
  for (auto it = values.cbegin(); it != values.cend(); ++it) {
    const QString& name = it.key();
    const QString v = Expanded(it.value());
    bool ok = true;
    if (name == u"music")
      o.musicDir = v;
    else if (name == u"port")
      o.port = v.toInt(&ok);
    else if (name == u"listen")
      o.listen = v;
    else if (name == u"release")
      o.releaseDir = v;
    else if (name == u"sign-key")
      o.signKeyFile = v;
    else if (name == u"data")
      o.dataDir = v;
    else if (name == u"random")
      o.randomCount = v.toInt(&ok);
    else if (name == u"make-key")
      out.makeKey = v;
    if (!ok || o.port < 0 || o.port > 65535 || o.randomCount < 1) {
      out.problem = QStringLiteral("bad value for %1: %2").arg(name, it.value());
      return out;
    }
  }
  return out;
}

}  // namespace vireo::service
