#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vireo {

// The argument block a second start hands to the running player: N (signed 32-bit,
// little-endian) = argument count + 1, then N zero-terminated UTF-8 strings, the sender's own
// path first. The same block for "activate" carries only the sender's path.
class ArgumentBlock {
 public:
  // args[0] is the sender's own path. Empty strings stay (as a lone terminator).
  static QByteArray Encode(const QStringList& args);

  // The strings of a block, the sender's path first. A damaged block (from a foreign sender) never
  // reads past its end: a negative or oversized N, or a last string without its terminator, give
  // the complete strings only. Bytes that are not UTF-8 are read as GB18030, the code page the
  // Windows player's peers write.
  static QStringList Decode(QByteArrayView block);

  // The text of a zero-terminated payload (links): up to the first zero byte or the end.
  static QString DecodeText(QByteArrayView payload);
};

}  // namespace vireo
