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

namespace {

// Keeps whole characters (surrogate pairs together) from the start while their bytes, as
// `bytesOf` counts them, fit in maxBytes.
template <typename BytesOf>
QString CutToBytes(QString text, int maxBytes, BytesOf bytesOf) {
  qsizetype bytes = 0, i = 0;
  while (i < text.size()) {
    const qsizetype len =
        (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2
                                                                                            : 1;
    const qsizetype charBytes = bytesOf(QStringView(text).mid(i, len));
    if (bytes + charBytes > maxBytes) break;
    bytes += charBytes;
    i += len;
  }
  text.truncate(i);
  return text;
}

}  // namespace

QString CleanFileName(const QString& name, int maxBytes) {
  static constexpr char16_t kRemoved[] = u"\"*/:<>?\\|";
  QString out;
  out.reserve(name.size());
  for (QChar c : name)
    if (c.unicode() >= 0x20 && std::char_traits<char16_t>::find(kRemoved, 9, c.unicode()) == nullptr)
      out.append(c);
  if (maxBytes < 0) return out;
  return CutToBytes(std::move(out), maxBytes,
                    [](QStringView c) { return ToGb18030(c.toString()).size(); });
}

QString CutUtf8(const QString& text, int maxBytes) {
  return CutToBytes(text, maxBytes, [](QStringView c) { return c.toUtf8().size(); });
}

}  // namespace vireo
