#include "StoredGain.h"

#include <taglib/fileref.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/tpropertymap.h>

#include <QFile>
#include <QRegularExpression>
#include <cmath>

namespace {
QString FromTagLib(const TagLib::String& s) {
  return QString::fromUtf8(s.toCString(true));
}
}  // namespace

std::optional<double> StoredGain::ParseGain(const QString& text) {
  static const QRegularExpression number(
      QStringLiteral("^\\s*([+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+))"));
  const QRegularExpressionMatch m = number.match(text);
  if (!m.hasMatch()) return std::nullopt;
  bool ok = false;
  const double v = m.captured(1).toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<double> StoredGain::Read(const QString& path) {
  const QByteArray local = QFile::encodeName(path);
  TagLib::FileRef ref(local.constData(), false);
  if (ref.isNull()) return std::nullopt;
  const TagLib::PropertyMap props = ref.file()->properties();
  for (const auto& [key, values] : props) {
    if (values.isEmpty()) continue;
    const QString name = FromTagLib(key).toUpper();
    const QString value = FromTagLib(values.front());
    if (name == QLatin1StringView("REPLAYGAIN_TRACK_GAIN")) {
      if (auto g = ParseGain(value)) return g;
    }
  }
  for (const auto& [key, values] : props) {
    if (values.isEmpty() || FromTagLib(key).toUpper() != QLatin1StringView("R128_TRACK_GAIN"))
      continue;
    bool ok = false;
    const int q78 = FromTagLib(values.front()).trimmed().toInt(&ok);
    if (ok) return q78 / 256.0 + 5.0;  // Opus gains refer to -23 LUFS
  }
  if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(ref.file()); mp4 && mp4->tag()) {
    const TagLib::MP4::ItemMap items = mp4->tag()->itemMap();
    for (const auto& [key, item] : items) {
      if (!FromTagLib(key).endsWith(QLatin1StringView(":replaygain_track_gain"),
                                    Qt::CaseInsensitive))
        continue;
      const TagLib::StringList list = item.toStringList();
      if (!list.isEmpty())
        if (auto g = ParseGain(FromTagLib(list.front()))) return g;
    }
  }
  return std::nullopt;
}
