#pragma once

#include <QString>

#include "net/HttpClient.h"

namespace vireo {

// The settings of the LRCLIB lyric provider, with their keys in the configuration store.
struct LrclibSettings {
  // "Lyrics/LRCLIB" "URL": where the service lives; a private mirror can stand in for it.
  static constexpr const char* kSection = "Lyrics/LRCLIB";
  static constexpr const char* kUrlKey = "URL";
  static constexpr const char* kDefaultBaseUrl = "https://lrclib.net";

  QString baseUrl = QString::fromLatin1(kDefaultBaseUrl);
  // A lookup waits this long at most, so a dead service never holds a lyric thread for long.
  HttpLimits limits{/*connectTimeoutMs=*/5000, /*totalTimeoutMs=*/15000,
                    /*maxAnswerBytes=*/8 << 20};
};

}  // namespace vireo
