#pragma once

#include <QString>

#include "net/HttpClient.h"

namespace vireo {

// The settings of the music search component, with their keys in the configuration store.
struct MusicSearchSettings {
  // "Library/ARCHIVE" "URL": the Internet Archive, or a mirror that answers its search and
  // metadata API.
  static constexpr const char* kSection = "Library/ARCHIVE";
  static constexpr const char* kUrlKey = "URL";
  static constexpr const char* kDefaultArchiveUrl = "https://archive.org";

  QString archiveBaseUrl = QString::fromLatin1(kDefaultArchiveUrl);
  // The service host ("name" or "name:port", the "Window/SERVICE" "HOST" setting). When set, the
  // component searches the service's own catalogue instead of the archive.
  QString serviceHost;
  // Each request waits this long at most and reads at most this much.
  HttpLimits limits{/*connectTimeoutMs=*/5000, /*totalTimeoutMs=*/20000,
                    /*maxAnswerBytes=*/8 << 20};
};

}  // namespace vireo
