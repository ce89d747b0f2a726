#include "ddvcl/PlaylistTextCache.h"

#include <QFontMetrics>
#include <QTransform>

namespace vireo {

const QStaticText& PlaylistTextCache::Get(const QString& text, int room, const QFont& font,
                                          const QFontMetrics& metrics) {
  if (!(font == m_font)) {
    m_items.clear();
    m_font = font;
  }
  const Key key{text, room};
  auto it = m_items.constFind(key);
  if (it != m_items.constEnd()) return *it;
  if (m_items.size() >= kMaxItems) m_items.clear();
  QStaticText laid(room >= 0 ? metrics.elidedText(text, Qt::ElideRight, room) : text);
  laid.setTextFormat(Qt::PlainText);
  laid.prepare(QTransform(), font);
  return *m_items.insert(key, laid);
}

int PlaylistTextCache::Width(const QString& text, const QFont& font, const QFontMetrics& metrics) {
  return qCeil(Get(text, -1, font, metrics).size().width());
}

void PlaylistTextCache::Clear() {
  m_items.clear();
}

}  // namespace vireo
