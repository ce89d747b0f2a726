// A plug-in built several ways for the host's tests. The recording kind appends one line per
// message to the file named by VIREO_TEST_PLUGIN_LOG: "<name> <msg>" and, for track messages,
// the texts of the record.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "vireo_plugin.h"

#ifndef PLUGIN_NAME
#define PLUGIN_NAME "good"
#endif

namespace {

int32_t Record(int32_t msg, intptr_t wparam, intptr_t) {
  const char* log = std::getenv("VIREO_TEST_PLUGIN_LOG");
  if (!log) return 0;
  std::FILE* f = std::fopen(log, "a");
  if (!f) return 0;
  std::fprintf(f, "%s %d", PLUGIN_NAME, int(msg));
  if ((msg == 108 || msg == 109) && wparam) {
    const auto* t = reinterpret_cast<const VireoTrackRecord*>(wparam);
    std::fprintf(f, "|%s|%s|%d|%s|%d|%.0f", t->file_name, t->title, int(t->title_bytes),
                 t->artist, int(t->artist_bytes), t->length_days * 86400000.0);
  }
  std::fputc('\n', f);
  std::fclose(f);
  return 7;
}

#ifdef PLUGIN_THROWS
int32_t Message(int32_t msg, intptr_t wparam, intptr_t lparam) {
  Record(msg, wparam, lparam);
  if (msg == 108 || msg == 100) throw std::runtime_error("plug-in failure");
  return 3;
}
#else
int32_t Message(int32_t msg, intptr_t wparam, intptr_t lparam) {
  return Record(msg, wparam, lparam);
}
#endif

#ifndef PLUGIN_KIND
#define PLUGIN_KIND VIREO_PLUGIN_KIND
#endif
#ifndef PLUGIN_VERSION
#define PLUGIN_VERSION VIREO_PLUGIN_VERSION
#endif
#ifdef PLUGIN_NO_MESSAGE
VireoPluginInfo info = {PLUGIN_KIND, PLUGIN_VERSION, {0}, nullptr};
#else
VireoPluginInfo info = {PLUGIN_KIND, PLUGIN_VERSION, {0}, &Message};
#endif

}  // namespace

extern "C" __attribute__((visibility("default"))) const VireoPluginInfo* USPluginInfo(
    int32_t) {
  return &info;
}
