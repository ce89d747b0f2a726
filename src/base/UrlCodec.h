#pragma once

#include <QByteArray>
#include <QString>

namespace vireo {

// Query and form texts as the service reads them. They work on bytes: Chinese text is encoded
// from its GB18030 bytes (URLEncodeText), the form the service has always expected.

// ASCII letters and digits are copied; every other byte becomes "%XX" in upper-case hex.
// A blank becomes "%20", never "+".
QByteArray URLEncode(QByteArrayView bytes);
QByteArray URLEncodeText(const QString& text);  // URLEncode(ToGb18030(text))

// Stops before the first '&'. '+' becomes a blank. '%' consumes the next two characters: blanks
// at their start are skipped, then hex digits (either case) are read up to a non-digit; their
// value (0 if none) is one byte, and decoding goes on after the two characters in any case.
QByteArray URLDecode(QByteArrayView bytes);

struct HostPath {
  QByteArray host;
  QByteArray path;  // without the leading '/'
};

// Drops a leading "http://" (any case) and splits at the first '/'. Without any '/', the host is
// empty and the whole text is the path.
HostPath SplitUrl(QByteArrayView url);

// The n-th field (counted from 1) of a delimited text; empty for an empty text, for n < 1, and
// when the text has fewer than n - 1 delimiters.
QByteArray TextField(QByteArrayView text, int n, char delimiter);

}  // namespace vireo
