#include "app/plugins/TUSGeneralPurpose.h"

#include <dlfcn.h>

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMain)

namespace vireo {

static_assert(offsetof(VireoPluginInfo, version) == 2);
static_assert(offsetof(VireoPluginInfo, data) == 4);
static_assert(sizeof(void*) != 8 || offsetof(VireoPluginInfo, message) == 528);
static_assert(sizeof(void*) != 8 || offsetof(VireoTrackRecord, length_days) == 16);
static_assert(sizeof(void*) != 8 || offsetof(VireoTrackRecord, title) == 24);
static_assert(sizeof(void*) != 8 || offsetof(VireoTrackRecord, title_bytes) == 32);
static_assert(sizeof(void*) != 8 || offsetof(VireoTrackRecord, artist) == 40);
static_assert(sizeof(void*) != 8 || offsetof(VireoTrackRecord, artist_bytes) == 48);

TUSGeneralPurpose::TUSGeneralPurpose(const QStringList& folders) {
  for (const QString& folder : folders) {
    if (folder.isEmpty()) continue;
    const QDir dir(folder);
    if (!dir.exists()) continue;
    for (const QString& name : dir.entryList({QStringLiteral("*.so")}, QDir::Files, QDir::Name))
      LoadPlugin(dir.filePath(name));
  }
}

TUSGeneralPurpose::~TUSGeneralPurpose() {
  for (int i = 0; i < m_count; ++i) UnloadPlugin(i);
  m_count = 0;
}

int32_t TUSGeneralPurpose::Call(const VireoPluginInfo* info, int32_t msg, intptr_t wparam,
                                intptr_t lparam, bool* ok) {
  *ok = false;
  if (!info || !info->message) return 0;
  try {
    const int32_t r = info->message(msg, wparam, lparam);
    *ok = true;
    return r;
  } catch (...) {
    qCWarning(lcMain, "a plug-in failed on message %d", int(msg));
    return 0;
  }
}

bool TUSGeneralPurpose::LoadPlugin(const QString& path) {
  if (m_count >= kMaxPlugins || path.isEmpty() || !QFileInfo(path).isFile()) return false;
  void* h = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    qCInfo(lcMain, "not a plug-in: %s (%s)", qUtf8Printable(path), dlerror());
    return false;
  }
  for (int i = 0; i < m_count; ++i)
    if (m_slots[size_t(i)].handle == h) {
      dlclose(h);  // the second reference of a library already loaded
      return false;
    }
  const VireoPluginInfo* info = nullptr;
  try {
    auto fn = reinterpret_cast<VireoPluginInfoFn>(dlsym(h, "USPluginInfo"));
    if (fn) info = fn(VIREO_PLUGIN_VERSION);
  } catch (...) {
    info = nullptr;
  }
  if (!info || info->kind != VIREO_PLUGIN_KIND || info->version != VIREO_PLUGIN_VERSION) {
    dlclose(h);
    return false;
  }
  bool ok = false;
  Call(info, VIREO_MSG_LOADED, 0, 0, &ok);
  m_slots[size_t(m_count)] = {h, info};
  ++m_count;
  return true;
}

void TUSGeneralPurpose::UnloadPlugin(int index) {
  if (index < 0 || index >= m_count) return;
  Slot& slot = m_slots[size_t(index)];
  bool ok = false;
  if (slot.info) Call(slot.info, VIREO_MSG_UNLOADING, 0, 0, &ok);
  slot.info = nullptr;
  if (slot.handle) dlclose(slot.handle);
  slot.handle = nullptr;
}

int32_t TUSGeneralPurpose::Broadcast(int32_t message, intptr_t wparam, intptr_t lparam) {
  int32_t result = 1;
  for (int i = 0; i < m_count; ++i) {
    const VireoPluginInfo* info = m_slots[size_t(i)].info;
    if (!info || !info->message) continue;
    bool ok = false;
    const int32_t r = Call(info, message, wparam, lparam, &ok);
    if (ok) result = r;
  }
  return result;
}

}  // namespace vireo
