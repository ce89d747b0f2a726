#include "audio/DecoderModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <mutex>

#include "base/Logging.h"

namespace vireo {
namespace {

std::mutex g_mutex;
QString g_path;                           // guarded by g_mutex
const DecoderModuleApi* g_api = nullptr;  // guarded by g_mutex until g_tried
bool g_tried = false;

const DecoderModuleApi* Load() {
  QStringList tried;
  const QStringList candidates =
      g_path.isEmpty() ? DecoderModule::Candidates() : QStringList{g_path};
  for (const QString& path : candidates) {
    if (!QFileInfo::exists(path)) continue;
    QLibrary module(path);
    // Decoders made by the module may live until the process ends.
    module.setLoadHints(QLibrary::PreventUnloadHint);
    if (!module.load()) {
      tried << module.errorString();
      continue;
    }
    const auto entry = reinterpret_cast<DecoderModuleEntry>(module.resolve(kDecoderModuleEntry));
    const DecoderModuleApi* api = entry ? entry() : nullptr;
    if (api && api->version == DecoderModuleApi::kVersion) return api;
    tried << path + QStringLiteral(
                        ": not a decoder module of this build, or built for other "
                        "decoding libraries than the ones installed");
  }
  qCWarning(lcAudio).noquote() << "no decoder module: only MP3 files at 44100 Hz will play."
                               << (tried.isEmpty() ? QStringLiteral("Not found in ") +
                                                         candidates.join(QStringLiteral(", "))
                                                   : tried.join(QStringLiteral("; ")));
  return nullptr;
}

}  // namespace

QStringList DecoderModule::Candidates() {
  QStringList out;
  if (QCoreApplication::instance())
    out << QCoreApplication::applicationDirPath() + QStringLiteral("/vireo-ffmpeg.so");
#ifdef VIREO_BUILD_APP_DIR
  out << QStringLiteral(VIREO_BUILD_APP_DIR "/vireo-ffmpeg.so");
#endif
  return out;
}

void DecoderModule::SetPath(const QString& path) {
  std::lock_guard lock(g_mutex);
  g_path = path;
}

const DecoderModuleApi* DecoderModule::Api() {
  std::lock_guard lock(g_mutex);
  if (!g_tried) {
    g_api = Load();
    g_tried = true;
  }
  return g_api;
}

}  // namespace vireo
