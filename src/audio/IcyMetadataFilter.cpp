#include "audio/IcyMetadataFilter.h"

#include "audio/LegacyText.h"
#include "base/Gb18030.h"

namespace vireo {

void IcyMetadataFilter::Feed(QByteArrayView data, QByteArray& audio, QStringList& titles) {
  while (!data.isEmpty()) {
    if (metaLeft_ > 0) {
      const qsizetype n = std::min<qsizetype>(metaLeft_, data.size());
      block_.append(data.first(n));
      data = data.sliced(n);
      metaLeft_ -= static_cast<int>(n);
      if (metaLeft_ == 0) {
        QString title;
        if (ParseTitle(block_, title)) titles << title;
        block_.clear();
        audioLeft_ = interval_;
      }
    } else if (audioLeft_ > 0) {
      const qsizetype n = std::min<qsizetype>(audioLeft_, data.size());
      audio.append(data.first(n));
      data = data.sliced(n);
      audioLeft_ -= static_cast<int>(n);
    } else {
      // The length byte: 0 says nothing changed, the audio goes on at once.
      metaLeft_ = static_cast<unsigned char>(data.front()) * 16;
      data = data.sliced(1);
      if (metaLeft_ == 0) audioLeft_ = interval_;
    }
  }
}

bool IcyMetadataFilter::ParseTitle(QByteArrayView block, QString& title) {
  const qsizetype zero = block.indexOf('\0');
  if (zero >= 0) block = block.first(zero);
  static constexpr QByteArrayView kKey("StreamTitle='");
  const qsizetype start = block.indexOf(kKey);
  if (start < 0) return false;
  QByteArrayView rest = block.sliced(start + kKey.size());
  // Titles may hold apostrophes themselves; the field ends at "';" (or the block's last quote).
  qsizetype end = rest.indexOf("';");
  if (end < 0) end = rest.lastIndexOf('\'');
  if (end < 0) end = rest.size();
  const QByteArrayView text = rest.first(end);
  title = (IsValidUtf8(text) ? QString::fromUtf8(text) : LegacyText::Decode(text)).trimmed();
  return true;
}

int IcyMetadataFilter::MetaIntervalOf(QByteArrayView headerLine) {
  static constexpr QByteArrayView kName("icy-metaint:");
  if (headerLine.size() <= kName.size() ||
      headerLine.first(kName.size()).compare(kName, Qt::CaseInsensitive) != 0)
    return 0;
  bool ok = false;
  const int interval = headerLine.sliced(kName.size()).trimmed().toInt(&ok);
  return ok && interval > 0 && interval <= kMaxInterval ? interval : 0;
}

}  // namespace vireo
