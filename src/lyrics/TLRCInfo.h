#pragma once

#include <QString>

namespace vireo {

// The header tags of a lyric file.
struct TLRCInfo {
  QString Title;      // [ti:]
  QString By;         // [by:]
  QString Language;   // [la:]
  QString Artist;     // [ar:]
  QString Album;      // [al:]
  qint32 Offset = 0;  // [offset:], milliseconds

  bool operator==(const TLRCInfo&) const = default;
};

}  // namespace vireo
