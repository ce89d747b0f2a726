#include "base/TextUtil.h"

#include "base/Gb18030.h"

namespace vireo {

QByteArray TrimBytes(QByteArrayView text) {
  qsizetype b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 0x20) --e;
  return text.sliced(b, e - b).toByteArray();
}

QString TrimText(const QString& text) {
  qsizetype b = 0, e = text.size();
  while (b < e && text[b].unicode() <= 0x20) ++b;
  while (e > b && text[e - 1].unicode() <= 0x20) --e;
  return text.mid(b, e - b);
}

QString FileTitle(const QString& path) {
  const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
  QString name = path.mid(slash + 1);
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot >= 0) name.truncate(dot);
  return name;
}

QString CleanFileName(const QString& name, int maxBytes) {
  static constexpr char16_t kRemoved[] = u"\"*/:<>?\\|";
  QString out;
  out.reserve(name.size());
  for (QChar c : name)
    if (std::char_traits<char16_t>::find(kRemoved, 9, c.unicode()) == nullptr) out.append(c);
  if (maxBytes < 0) return out;

  // Walk whole characters (surrogate pairs together) and stop before the one that would cross
  // the limit.
  qsizetype bytes = 0, i = 0;
  while (i < out.size()) {
    const qsizetype len =
        (out[i].isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate()) ? 2 : 1;
    const qsizetype charBytes = ToGb18030(out.mid(i, len)).size();
    if (bytes + charBytes > maxBytes) break;
    bytes += charBytes;
    i += len;
  }
  out.truncate(i);
  return out;
}

}  // namespace vireo
