#include "playlist/ForeignPlaylist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <QXmlStreamReader>

#include "base/Gb18030.h"
#include "base/TextUtil.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;

constexpr double kMsPerDay = 86400000.0;

// "scheme://": at least two letters, so a Windows drive ("C:\") is never taken for one.
bool HasScheme(const QString& text) {
  static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.\\-]+://"_s);
  return scheme.match(text).hasMatch();
}

// A name of the list's folder (or an absolute path) as a clean absolute path. Not through
// QDir::absoluteFilePath, which gives a name starting with ':' back unchanged as one of Qt's
// resources.
QString InFolder(const QString& folder, const QString& name) {
  if (name.startsWith(u'/')) return QDir::cleanPath(name);
  return QDir::cleanPath(QDir(folder).absolutePath() + u'/' + name);
}

// A location of an M3U or PLS line (a path or an address) or of an XSPF <location> (a URI
// reference) as an entry: addresses stay addresses, everything else becomes an absolute path.
ForeignPlaylist::Entry Locate(const QString& raw, const QString& folder, bool uriReference) {
  ForeignPlaylist::Entry e;
  const QString text = raw.trimmed();
  if (HasScheme(text)) {
    if (text.startsWith(u"file:"_s, Qt::CaseInsensitive)) {
      e.location = QUrl(text).toLocalFile();
      if (e.location.isEmpty()) e.location = text;  // file://host/...: keep what was written
    } else {
      e.location = text;
      e.network = true;
    }
    return e;
  }
  if (uriReference) {
    const QUrl base = QUrl::fromLocalFile(QDir(folder).absolutePath() + u'/');
    const QString local = base.resolved(QUrl(text)).toLocalFile();
    e.location = local.isEmpty() ? InFolder(folder, text) : QDir::cleanPath(local);
    return e;
  }
  // Playlists written on Windows separate folders with backslashes.
  QString path = text;
  path.replace(u'\\', u'/');
  static const QRegularExpression drive(u"^[A-Za-z]:/"_s);
  if (drive.match(path).hasMatch()) {
    e.location = path;  // another machine's drive: kept, it fails when played like any lost file
  } else {
    e.location = InFolder(folder, path);
  }
  return e;
}

// The bytes of an M3U or PLS file as text: a byte-order mark decides; an .m3u8 is UTF-8;
// otherwise valid UTF-8 is UTF-8 and anything else GB18030, as for lyric files.
QString DecodeText(const QByteArray& bytes, ForeignPlaylist::Format format) {
  if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(QByteArrayView(bytes).sliced(3));
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                        : QStringConverter::Utf16BE);
    return decoder.decode(QByteArrayView(bytes).sliced(2));
  }
  if (format == ForeignPlaylist::Format::M3u8 || IsValidUtf8(bytes))
    return QString::fromUtf8(bytes);
  return FromGb18030(bytes);
}

// "Artist - Title", the form M3U and PLS titles take by convention.
void SplitTitle(ForeignPlaylist::Entry& e) {
  if (!e.artist.isEmpty()) return;
  const qsizetype dash = e.title.indexOf(u" - "_s);
  if (dash <= 0 || dash + 3 >= e.title.size()) return;
  e.artist = e.title.left(dash).trimmed();
  e.title = e.title.mid(dash + 3).trimmed();
}

// A length the list states, or -1; one beyond what the millisecond count holds (24 days) is
// taken as unknown rather than overflowing it.
int SecondsToMs(const QString& text) {
  bool ok = false;
  const double ms = text.trimmed().toDouble(&ok) * 1000.0 + 0.5;
  return ok && ms >= 1.0 && ms < double(std::numeric_limits<int>::max()) ? static_cast<int>(ms)
                                                                         : -1;
}

QList<ForeignPlaylist::Entry> ParseM3u(const QString& text, const QString& folder) {
  QList<ForeignPlaylist::Entry> entries;
  ForeignPlaylist::Entry info;  // from the #EXT lines before the next location
  const QStringList lines = text.split(QRegularExpression(u"\r\n|\r|\n"_s));
  for (const QString& raw : lines) {
    const QString line = raw.trimmed();
    if (line.isEmpty()) continue;
    if (line.startsWith(u'#')) {
      if (line.startsWith(u"#EXTINF:"_s, Qt::CaseInsensitive)) {
        // #EXTINF:<seconds>[ attributes],<title>; the attributes' quoted values may hold commas.
        const QString rest = line.mid(8);
        qsizetype comma = -1;
        bool quoted = false;
        for (qsizetype i = 0; i < rest.size(); ++i) {
          if (rest[i] == u'"') quoted = !quoted;
          if (rest[i] == u',' && !quoted) {
            comma = i;
            break;
          }
        }
        const QString head = comma < 0 ? rest : rest.left(comma);
        info.lengthMs = SecondsToMs(head.section(u' ', 0, 0, QString::SectionSkipEmpty));
        info.title = comma < 0 ? QString() : rest.mid(comma + 1).trimmed();
      } else if (line.startsWith(u"#EXTART:"_s, Qt::CaseInsensitive)) {
        info.artist = line.mid(8).trimmed();
      } else if (line.startsWith(u"#EXTALB:"_s, Qt::CaseInsensitive)) {
        info.album = line.mid(8).trimmed();
      }
      continue;
    }
    ForeignPlaylist::Entry e = Locate(line, folder, false);
    e.title = info.title;
    e.artist = info.artist;
    e.album = info.album;
    e.lengthMs = info.lengthMs;
    SplitTitle(e);
    entries.append(e);
    info = {};
  }
  return entries;
}

QList<ForeignPlaylist::Entry> ParsePls(const QString& text, const QString& folder) {
  struct Fields {
    QString file, title;
    int lengthMs = -1;
  };
  QMap<int, Fields> byIndex;  // FileN lines may come in any order; N gives the order
  const QStringList lines = text.split(QRegularExpression(u"\r\n|\r|\n"_s));
  static const QRegularExpression keyed(u"^(file|title|length)(\\d+)\\s*=(.*)$"_s,
                                        QRegularExpression::CaseInsensitiveOption);
  for (const QString& raw : lines) {
    const QRegularExpressionMatch m = keyed.match(raw.trimmed());
    if (!m.hasMatch()) continue;
    bool ok = false;
    const int index = m.captured(2).toInt(&ok);
    if (!ok) continue;
    const QString key = m.captured(1).toLower();
    const QString value = m.captured(3).trimmed();
    Fields& f = byIndex[index];
    if (key == u"file"_s) {
      f.file = value;
    } else if (key == u"title"_s) {
      f.title = value;
    } else {
      f.lengthMs = SecondsToMs(value);
    }
  }
  QList<ForeignPlaylist::Entry> entries;
  for (const Fields& f : std::as_const(byIndex)) {
    if (f.file.isEmpty()) continue;
    ForeignPlaylist::Entry e = Locate(f.file, folder, false);
    e.title = f.title;
    e.lengthMs = f.lengthMs;
    SplitTitle(e);
    entries.append(e);
  }
  return entries;
}

QList<ForeignPlaylist::Entry> ParseXspf(const QByteArray& bytes, const QString& folder) {
  QList<ForeignPlaylist::Entry> entries;
  QXmlStreamReader xml(bytes);
  bool inTrack = false;
  QString location;
  ForeignPlaylist::Entry fields;
  while (!xml.atEnd()) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::StartElement) {
      const QStringView name = xml.name();
      if (name == u"track"_s) {
        inTrack = true;
        location.clear();
        fields = {};
      } else if (inTrack && name == u"location"_s) {
        const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        if (location.isEmpty()) location = text;  // the first location that plays
      } else if (inTrack && name == u"title"_s) {
        fields.title = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
      } else if (inTrack && name == u"creator"_s) {
        fields.artist = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
      } else if (inTrack && name == u"album"_s) {
        fields.album = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
      } else if (inTrack && name == u"duration"_s) {
        bool ok = false;
        const qint64 ms =
            xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed().toLongLong(&ok);
        fields.lengthMs = ok && ms > 0 && ms < (qint64(1) << 31) ? static_cast<int>(ms) : -1;
      }
    } else if (token == QXmlStreamReader::EndElement && xml.name() == u"track"_s && inTrack) {
      inTrack = false;
      if (location.isEmpty()) continue;
      ForeignPlaylist::Entry e = Locate(location, folder, true);
      e.title = fields.title;
      e.artist = fields.artist;
      e.album = fields.album;
      e.lengthMs = fields.lengthMs;
      entries.append(e);
    }
  }
  // A damaged document still gives the tracks that came before the damage.
  return entries;
}

}  // namespace

ForeignPlaylist::Format ForeignPlaylist::FormatOf(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toLower();
  if (ext == u"m3u"_s) return Format::M3u;
  if (ext == u"m3u8"_s) return Format::M3u8;
  if (ext == u"pls"_s) return Format::Pls;
  if (ext == u"xspf"_s) return Format::Xspf;
  return Format::None;
}

QString ForeignPlaylist::Patterns() {
  return u"*.m3u;*.m3u8;*.pls;*.xspf"_s;
}

QString ForeignPlaylist::FilterText() {
  return u"播放列表|"_s + Patterns();
}

QList<ForeignPlaylist::Entry> ForeignPlaylist::Parse(const QByteArray& bytes, Format format,
                                                     const QString& folder) {
  switch (format) {
    case Format::M3u:
    case Format::M3u8:
      return ParseM3u(DecodeText(bytes, format), folder);
    case Format::Pls:
      return ParsePls(DecodeText(bytes, format), folder);
    case Format::Xspf:
      return ParseXspf(bytes, folder);
    case Format::None:
      break;
  }
  return {};
}

std::optional<QList<ForeignPlaylist::Entry>> ForeignPlaylist::Read(const QString& path) {
  const Format format = FormatOf(path);
  if (format == Format::None) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return std::nullopt;
  const QByteArray bytes = file.read(kMaxFileBytes + 1);
  if (bytes.size() > kMaxFileBytes || (bytes.isEmpty() && file.error() != QFileDevice::NoError))
    return std::nullopt;
  return Parse(bytes, format, QFileInfo(path).absolutePath());
}

TDDPlaylistItem ForeignPlaylist::ToItem(const Entry& entry, const LocalEntryFn& localEntry) {
  TDDPlaylistItem item;
  if (!entry.network && localEntry) {
    item = localEntry(entry.location);
  } else {
    item.Title = FileTitle(entry.network ? QUrl(entry.location).path() : entry.location);
    if (item.Title.isEmpty()) item.Title = entry.location;  // a station at the server's root
  }
  item.FileName = entry.location;
  item.ISURL = entry.network;
  if (!entry.title.isEmpty()) item.Title = entry.title;
  if (!entry.artist.isEmpty()) item.Artist = entry.artist;
  if (!entry.album.isEmpty()) item.Alum = entry.album;
  if (item.LongTime <= 0 && entry.lengthMs > 0) item.LongTime = entry.lengthMs / kMsPerDay;
  item.Caption = item.Title + u" - "_s + item.Artist;
  return item;
}

std::optional<QList<TDDPlaylistItem>> ForeignPlaylist::ReadItems(const QString& path,
                                                                 const LocalEntryFn& localEntry) {
  const std::optional<QList<Entry>> entries = Read(path);
  if (!entries) return std::nullopt;
  QList<TDDPlaylistItem> items;
  items.reserve(entries->size());
  for (const Entry& e : *entries) items.append(ToItem(e, localEntry));
  return items;
}

}  // namespace vireo
