/* "Now playing" for stream overlays: writes "Title - Artist" of the playing track to
 * $XDG_CACHE_HOME/vireo/nowplaying.txt (~/.cache/vireo/nowplaying.txt) when a track starts and
 * empties the file when it ends. Streaming software shows such a file as a text source. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "vireo_plugin.h"

static char path[4096];

static void make_path(void) {
  const char* cache = getenv("XDG_CACHE_HOME");
  const char* home = getenv("HOME");
  char dir[4000];
  if (cache && *cache)
    snprintf(dir, sizeof dir, "%s/vireo", cache);
  else
    snprintf(dir, sizeof dir, "%s/.cache/vireo", home ? home : "/tmp");
  /* the cache folder may not exist yet on a fresh account */
  char parent[4000];
  snprintf(parent, sizeof parent, "%.*s", (int)(strrchr(dir, '/') - dir), dir);
  mkdir(parent, 0700);
  mkdir(dir, 0700);
  snprintf(path, sizeof path, "%s/nowplaying.txt", dir);
}

/* Written beside and renamed over, so an overlay never reads half a line. */
static void write_text(const char* text) {
  char tmp[4200];
  snprintf(tmp, sizeof tmp, "%s.tmp", path);
  FILE* f = fopen(tmp, "w");
  if (!f) return;
  fputs(text, f);
  if (fclose(f) == 0) rename(tmp, path);
}

static int32_t message(int32_t msg, intptr_t wparam, intptr_t lparam) {
  (void)lparam;
  if (msg == VIREO_MSG_LOADED) {
    make_path();
  } else if (msg == VIREO_MSG_TRACK_STARTED && wparam) {
    const VireoTrackRecord* t = (const VireoTrackRecord*)wparam;
    char line[2048];
    if (t->artist && *t->artist)
      snprintf(line, sizeof line, "%s - %s\n", t->title ? t->title : "", t->artist);
    else
      snprintf(line, sizeof line, "%s\n", t->title ? t->title : "");
    write_text(line);
  } else if (msg == VIREO_MSG_TRACK_ENDED || msg == VIREO_MSG_UNLOADING) {
    write_text("");
  }
  return 0;
}

static VireoPluginInfo info = {VIREO_PLUGIN_KIND, VIREO_PLUGIN_VERSION, {0}, message};

const VireoPluginInfo* USPluginInfo(int32_t version) {
  (void)version;
  return &info;
}
