#pragma once

#include <QByteArrayView>
#include <QString>

namespace vireo {

// Text from 8-bit tag fields that claim to be Latin-1 (ID3v1, ID3v2 Latin-1 frames, RIFF INFO).
// In practice many hold GBK (Chinese MP3s) or UTF-8 bytes; this tells them apart. Thread-safe.
class LegacyText {
 public:
  // ASCII as is; well-formed UTF-8 with non-ASCII as UTF-8; bytes that pair up as GBK into
  // Chinese characters and punctuation as GB18030; anything else as Latin-1.
  static QString Decode(QByteArrayView bytes);
  static bool LooksLikeGbk(QByteArrayView bytes);
};

}  // namespace vireo
