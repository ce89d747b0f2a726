#include "audio/GainToolClient.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <cmath>

#include "audio/GainCache.h"
#include "base/Logging.h"
#include "base/WorkerRegistry.h"

namespace vireo {

std::optional<float> GainToolClient::ParseOutput(const QByteArray& output) {
  const qsizetype cr = output.indexOf('\r');
  if (cr < 0) return std::nullopt;
  const QList<QByteArray> fields = output.mid(cr + 1).split('\t');
  if (fields.size() < 3) return std::nullopt;
  bool ok = false;
  const double gain = fields[2].trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(gain)) return std::nullopt;
  return static_cast<float>(gain);
}

std::optional<float> GainToolClient::Measure(const QString& toolPath, const QString& fileName,
                                             int timeoutMs) {
  const QFileInfo tool(toolPath);
  if (toolPath.isEmpty() || !tool.isFile() || !tool.isExecutable()) return std::nullopt;
  QProcess process;
  process.setProgram(tool.absoluteFilePath());
  // The tool runs in its own folder: a name relative to ours must not be looked for there.
  const QString file = fileName.isEmpty() ? fileName : QFileInfo(fileName).absoluteFilePath();
  process.setArguments({QStringLiteral("/o"), QStringLiteral("/s"), QStringLiteral("c"), file});
  process.setWorkingDirectory(tool.absolutePath());
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setInputChannelMode(QProcess::ForwardedInputChannel);
  process.start();
  if (!process.waitForStarted(5000)) return std::nullopt;  // "Could not execute command line!"
  QByteArray output;
  // A tool that hangs must not hold the opener (and with it every later open) for ever, and a
  // player that is closing does not wait for it: the tool is killed.
  QElapsedTimer waited;
  waited.start();
  while (!process.waitForFinished(kPollMs)) {
    if (process.state() == QProcess::NotRunning) break;
    if (WorkerJob::CurrentCancelled() || waited.elapsed() >= timeoutMs) {
      process.kill();
      process.waitForFinished(1000);
      qCInfo(lcAudio).noquote() << "gain tool"
                                << (WorkerJob::CurrentCancelled() ? "cancelled" : "timed out")
                                << "for" << file;
      return std::nullopt;
    }
  }
  output = process.readAll();
  return ParseOutput(output);
}

float GainToolClient::MeasureRemembered(const QString& toolPath, const QString& fileName) {
  if (const auto known = GainCache::Instance().Find(fileName)) return *known;
  const std::optional<float> gain = Measure(toolPath, fileName);
  if (gain) GainCache::Instance().Store(fileName, *gain);
  return gain.value_or(0.0f);
}

}  // namespace vireo
