#pragma once

#include <QString>

#include "base/ConfigKeys.h"
#include "net/HttpClient.h"

namespace vireo {

// The settings of the LRCLIB lyric provider.
struct LrclibSettings {
  // Where the service lives (stored under config::kLrclibUrl).
  QString baseUrl = QString(config::kLrclibUrlDefault);
  // A lookup waits this long at most, so a dead service never holds a lyric thread for long.
  HttpLimits limits{/*connectTimeoutMs=*/5000, /*totalTimeoutMs=*/15000,
                    /*maxAnswerBytes=*/8 << 20};
};

}  // namespace vireo
