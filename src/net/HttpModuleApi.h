#pragma once

#include "net/HttpClient.h"

namespace vireo {

// What the HTTP module (vireo-http.so) offers the player. Built from this tree with the same
// compiler and Qt, so the exchange and result types cross as they are; the version guards against
// a module left over from another build. Fetch lets no exception out.
struct HttpModuleApi {
  static constexpr int kVersion = 1;
  int version;
  // One exchange, as HttpFetch documents it; jobCancelled tells whether the worker job running
  // it was cancelled (the transfer then ends).
  HttpResult (*Fetch)(const HttpExchange& exchange, const HttpChunkHandler& onChunk,
                      bool (*jobCancelled)());
};

using HttpModuleEntry = const HttpModuleApi* (*)();
inline constexpr char kHttpModuleEntry[] = "vireo_http_module";

}  // namespace vireo
