#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "vireo_plugin.h"

namespace vireo {

// The general-purpose plug-in host: loads the shared libraries of the plug-in folders that
// export "USPluginInfo" (kind 1, version 256, at most 64, each library once), tells each when it
// was accepted (100) and before it goes (101), and forwards messages to all of them. The record
// layout and the messages are the public contract of plugins/vireo_plugin.h.
//
// Threading: UI thread only; plug-ins are called synchronously.
class TUSGeneralPurpose {
 public:
  static constexpr int kMaxPlugins = 64;

  // Loads every "*.so" of each folder, in order (folders that do not exist are skipped).
  explicit TUSGeneralPurpose(const QStringList& folders = {});
  ~TUSGeneralPurpose();
  TUSGeneralPurpose(const TUSGeneralPurpose&) = delete;
  TUSGeneralPurpose& operator=(const TUSGeneralPurpose&) = delete;

  // Accepted or not; a rejected library is unloaded again.
  bool LoadPlugin(const QString& path);
  // Tells the plug-in (101) and unloads it; the slot stays empty.
  void UnloadPlugin(int index);
  // Every loaded plug-in with a message function, in load order; the last answer (1 when none
  // answered). An exception escaping a plug-in skips that one call.
  int32_t Broadcast(int32_t message, intptr_t wparam, intptr_t lparam);

  int Count() const { return m_count; }

 private:
  struct Slot {
    void* handle = nullptr;
    const VireoPluginInfo* info = nullptr;
  };
  static int32_t Call(const VireoPluginInfo* info, int32_t msg, intptr_t wparam, intptr_t lparam,
                      bool* ok);

  int m_count = 0;
  std::array<Slot, kMaxPlugins> m_slots{};
};

}  // namespace vireo
