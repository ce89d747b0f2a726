// Lyric file decoding: any bytes give text, line breaks come out as CR LF only, and what the
// player writes (UTF-8) reads back as itself.
#include <QByteArray>
#include <QString>

#include "FuzzTarget.h"
#include "lyrics/LyricFile.h"
#include "lyrics/TLyricHandle.h"

VIREO_FUZZ_TARGET(lyric_file) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString text = vireo::LyricFile::Decode(bytes);
  const QString lines = vireo::LyricFile::NormalizeLines(text);
  FUZZ_CHECK(vireo::LyricFile::NormalizeLines(lines) == lines);
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (lines[i] == u'\n') FUZZ_CHECK(i > 0 && lines[i - 1] == u'\r');
    if (lines[i] == u'\r') FUZZ_CHECK(i + 1 < lines.size() && lines[i + 1] == u'\n');
  }
  // Written text comes back unchanged (lone surrogates cannot be written, and lyric text holds
  // no NUL characters: zero bytes are what gives away UTF-16 without a mark).
  if (text.isValidUtf16() && !text.contains(QChar(0))) {
    const QString again = vireo::LyricFile::Decode(text.toUtf8());
    FUZZ_CHECK(again == text || (text.startsWith(QChar(0xFEFF)) && again == text.mid(1)));
  }
  vireo::TLyricHandle h;
  h.Parse(lines);
  return 0;
}
