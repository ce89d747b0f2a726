/* Vireo general-purpose plug-in interface.
 *
 * A plug-in is a shared library (*.so) in the "plugins" folder beside the player, or in
 * $XDG_DATA_HOME/vireo/plugins/ (usually ~/.local/share/vireo/plugins/), that exports
 *
 *     const VireoPluginInfo* USPluginInfo(int32_t version);
 *
 * with C linkage. The player calls it once with VIREO_PLUGIN_VERSION (256) and keeps the plug-in
 * when the record it returns says kind 1 and version 256. The record stays owned by the plug-in
 * and must stay valid until the plug-in is unloaded. At most 64 plug-ins are loaded; a library
 * that is already loaded (under any name) is not loaded twice.
 *
 * Calling convention: the platform's C calling convention (on x86-64 Linux the System V ABI);
 * every call comes from the player's UI thread, synchronously: a slow plug-in slows the player.
 * An exception escaping the message function is caught and that one call skipped.
 *
 * Messages (msg, wparam, lparam), the result is ignored by the player:
 *   100  0                          0   right after the plug-in was accepted
 *   101  0                          0   just before the plug-in is unloaded (at exit)
 *   108  const VireoTrackRecord*    0   a track started playing (also on resume from pause)
 *   109  const VireoTrackRecord*    0   a track ended, or was given up after an error, and the
 *                                       play mode has chosen what comes next
 * The track record describes the playlist's current entry at the moment of the call and is
 * valid only during the call: copy what you keep. Nothing is sent when no entry is current.
 *
 * Layout: natural alignment of the platform. The offsets below are those of x86-64 Linux and
 * are checked by the player's build. Texts are UTF-8, zero-terminated.
 *
 * To control the player, a plug-in can use the player's local socket (docs/REMOTE.md).
 */
#ifndef VIREO_PLUGIN_H
#define VIREO_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VIREO_PLUGIN_KIND 1
#define VIREO_PLUGIN_VERSION 256

#define VIREO_MSG_LOADED 100
#define VIREO_MSG_UNLOADING 101
#define VIREO_MSG_TRACK_STARTED 108
#define VIREO_MSG_TRACK_ENDED 109

typedef int32_t (*VireoMessageFn)(int32_t msg, intptr_t wparam, intptr_t lparam);

typedef struct VireoPluginInfo {
  uint16_t kind;           /* offset   0: must be VIREO_PLUGIN_KIND */
  uint16_t version;        /* offset   2: must be VIREO_PLUGIN_VERSION */
  char data[520];          /* offset   4: the plug-in's own, never read by the player */
  VireoMessageFn message;  /* offset 528: called for every message; may be NULL */
} VireoPluginInfo;         /* size 536 */

typedef struct VireoTrackRecord {
  const char* file_name; /* offset  0: path or URL of the entry */
  void* reserved;        /* offset  8: not set */
  double length_days;    /* offset 16: track length in days (length ms / 86400000) */
  const char* title;     /* offset 24 */
  int32_t title_bytes;   /* offset 32: length of title in bytes */
  const char* artist;    /* offset 40 */
  int32_t artist_bytes;  /* offset 48: length of artist in bytes */
} VireoTrackRecord;      /* size 56 */

typedef const VireoPluginInfo* (*VireoPluginInfoFn)(int32_t version);

#ifdef __cplusplus
}
#endif

#endif /* VIREO_PLUGIN_H */
