#pragma once

#include <QString>

namespace vireo {

// One song found by the music search component.
struct TMusicSearchItem {
  QString Title;     // result column 1, playlist title
  QString Singer;    // result column 2, playlist artist
  QString Album;     // result column 3, playlist album
  QString Key;       // given to GetUrl
  QString SizeText;  // shown after "大小："
  qint32 Speed = 0;  // shown after "速度：": the bit rate in kbit/s when the provider knows it
  qint32 Extra = 0;  // given unchanged to GetUrl
};

}  // namespace vireo
