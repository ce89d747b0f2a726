#include "audio/PlaylistLink.h"

#include <QList>
#include <QUrl>
#include <climits>

namespace vireo {

QByteArray PlaylistLink::FirstEntry(const QByteArray& text, const QByteArray& playlistUrl) {
  QByteArray body = text;
  if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
  const QList<QByteArray> lines = body.split('\n');
  QByteArray entry;
  int bestIndex = INT_MAX;
  bool pls = false;
  for (const QByteArray& raw : lines) {
    if (raw.trimmed().compare("[playlist]", Qt::CaseInsensitive) == 0) pls = true;
  }
  for (const QByteArray& raw : lines) {
    const QByteArray line = raw.trimmed();
    if (line.isEmpty()) continue;
    if (pls) {
      if (!line.left(4).toLower().startsWith("file")) continue;
      const qsizetype eq = line.indexOf('=');
      if (eq < 0) continue;
      bool ok = false;
      const int index = line.mid(4, eq - 4).trimmed().toInt(&ok);
      const QByteArray value = line.mid(eq + 1).trimmed();
      if (ok && !value.isEmpty() && index < bestIndex) {
        bestIndex = index;
        entry = value;
      }
    } else if (!line.startsWith('#')) {
      entry = line;
      break;
    }
  }
  if (entry.isEmpty()) return {};
  const QUrl base(QString::fromUtf8(playlistUrl));
  const QUrl resolved = base.resolved(QUrl(QString::fromUtf8(entry)));
  return resolved.isValid() ? resolved.toEncoded() : entry;
}

}  // namespace vireo
