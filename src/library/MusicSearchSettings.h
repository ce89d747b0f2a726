#pragma once

#include <QString>

#include "base/ConfigKeys.h"
#include "net/HttpClient.h"

namespace vireo {

// The settings of the music search component.
struct MusicSearchSettings {
  // The Internet Archive or a mirror of its search and metadata API (stored under
  // config::kArchiveUrl).
  QString archiveBaseUrl = QString(config::kArchiveUrlDefault);
  // The service host ("name" or "name:port", stored under config::kServiceHost). When set, the
  // component searches the service's own catalogue instead of the archive.
  QString serviceHost;
  // Each request waits this long at most and reads at most this much.
  HttpLimits limits{/*connectTimeoutMs=*/5000, /*totalTimeoutMs=*/20000,
                    /*maxAnswerBytes=*/8 << 20};
};

}  // namespace vireo
