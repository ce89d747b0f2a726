#pragma once

#include <QByteArray>
#include <QString>

namespace vireo {

// The base address of an online service the settings name (the lyric service, the library's
// archive): blanks around it and trailing slashes go, and only an http or https address with a
// host is taken; anything else is empty, which leaves that service unused.
class BaseUrl {
 public:
  static QByteArray Normalize(const QString& text);
};

}  // namespace vireo
