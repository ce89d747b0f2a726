#include "lyrics/LyricOffsetStore.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "base/AtomicFileWriter.h"
#include "lyrics/LyricFile.h"
#include "lyrics/LyricOffsetTable.h"

namespace vireo {
namespace {

// The header tag as the lyric reader takes it: the name right after "[", then ":" (blanks
// around it allowed), up to the "]" or the line's end.
const QRegularExpression& OffsetTag() {
  static const QRegularExpression re(QStringLiteral(R"(\[offset[\s]*:[^\]\r\n]*\])"),
                                     QRegularExpression::CaseInsensitiveOption);
  return re;
}

bool WideText(const QByteArray& bytes) {
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) return true;
  return bytes.left(4096).contains('\0');
}

}  // namespace

QByteArray LyricOffsetStore::WithOffset(const QByteArray& bytes, qint32 ms) {
  const QByteArray tag = "[offset:" + QByteArray::number(ms) + ']';
  QByteArray text = WideText(bytes) ? LyricFile::Decode(bytes).toUtf8() : bytes;
  // The bytes are searched as Latin-1, which maps every byte to one character: positions agree.
  const QString view = QString::fromLatin1(text);
  QByteArray out;
  qsizetype copied = 0;
  QRegularExpressionMatchIterator it = OffsetTag().globalMatch(view);
  while (it.hasNext()) {
    const QRegularExpressionMatch m = it.next();
    out += QByteArrayView(text).sliced(copied, m.capturedStart() - copied);
    out += tag;
    copied = m.capturedEnd();
  }
  if (copied > 0) {
    out += QByteArrayView(text).sliced(copied);
    return out;
  }
  QByteArray bom;
  if (text.startsWith("\xEF\xBB\xBF")) bom = text.left(3);
  else if (text.startsWith("\x84\x31\x95\x33")) bom = text.left(4);
  const QByteArray lineBreak = text.contains("\r\n") ? QByteArray("\r\n")
                               : text.contains('\n') ? QByteArray("\n")
                                                     : QByteArray("\r\n");
  return bom + tag + lineBreak + text.mid(bom.size());
}

LyricOffsetStore::Where LyricOffsetStore::Store(const QString& lyricPath, const QString& tablePath,
                                                qint32 ms) {
  if (lyricPath.isEmpty()) return Where::Nowhere;
  QFile f(lyricPath);
  if (f.open(QIODevice::ReadOnly) && f.size() <= LyricFile::kMaxFileBytes) {
    const QByteArray bytes = f.readAll();
    f.close();
    if (QFileInfo(lyricPath).isWritable() &&
        AtomicFileWriter::Write(lyricPath, WithOffset(bytes, ms))) {
      LyricOffsetTable::Forget(tablePath, lyricPath);
      return Where::File;
    }
  }
  return LyricOffsetTable::Remember(tablePath, lyricPath, ms) ? Where::Table : Where::Nowhere;
}

}  // namespace vireo
