#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>

class QFontMetrics;

namespace vireo {

// Laid-out texts of the playlist's rows. Shaping a text costs more than everything else in a
// paint together, and the same captions, numbers and lengths are drawn again at every scroll
// step, so each text is laid out once per font and kept. The cache holds at most kMaxItems
// texts and starts over when full: its size never follows the list's length. UI thread only.
class PlaylistTextCache {
 public:
  static constexpr int kMaxItems = 2048;

  // text laid out in font; with room >= 0, cut with an ellipsis at the end to fit room pixels.
  const QStaticText& Get(const QString& text, int room, const QFont& font,
                         const QFontMetrics& metrics);
  int Width(const QString& text, const QFont& font, const QFontMetrics& metrics);
  void Clear();
  int Size() const { return int(m_items.size()); }

 private:
  struct Key {
    QString text;
    int room;
    bool operator==(const Key&) const = default;
  };
  friend size_t qHash(const Key& key, size_t seed) { return qHashMulti(seed, key.text, key.room); }

  QHash<Key, QStaticText> m_items;
  QFont m_font;
};

}  // namespace vireo
