#pragma once

#include <QByteArray>
#include <QString>

namespace vireo {

// GB18030 is the superset of GB2312 and GBK that covers all of Unicode: the service's form
// bodies, files written by the Windows player and legacy 8-bit tags are all read through it.
// Both directions are thread-safe.

// Unicode to GB18030 bytes. Every character has a GB18030 form, so nothing is lost.
QByteArray ToGb18030(const QString& text);

// GB18030 (or GBK, or GB2312) bytes to Unicode. A byte that starts no valid sequence becomes
// U+FFFD and decoding goes on with the next byte.
QString FromGb18030(QByteArrayView bytes);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(QByteArrayView bytes);

}  // namespace vireo

namespace vireo {

// Folds the case of the ASCII letters of GB18030 (or GBK) bytes, to lower or upper case, and only
// of the letters that stand for themselves: the second byte of a two-byte character may lie in
// 'A'..'Z' or 'a'..'z' and is left alone, so two different Chinese characters never fold to the
// same key. The one way the player compares names without regard to case.
QByteArray FoldAsciiCase(QByteArrayView gb18030, bool upper = false);

}  // namespace vireo
