#include "audio/TagReader.h"

#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/tag.h>

#include <QFile>
#include <cmath>
#include <mutex>

#include "audio/AudioCodes.h"
#include "audio/AudioDecoder.h"
#include "audio/CachedFileStream.h"
#include "audio/LegacyText.h"

namespace vireo {
namespace {

QString FromTagLib(const TagLib::String& s) {
  return QString::fromUtf8(s.toCString(true)).trimmed();
}
TagLib::String ToTagLib(const QString& s) {
  return TagLib::String(s.toUtf8().constData(), TagLib::String::UTF8);
}

// The bytes of a fixed-size field up to its first zero, without trailing spaces.
QByteArrayView FieldBytes(const TagLib::ByteVector& data) {
  QByteArrayView v(data.data(), static_cast<qsizetype>(data.size()));
  const qsizetype zero = v.indexOf('\0');
  if (zero >= 0) v = v.first(zero);
  while (!v.isEmpty() && static_cast<unsigned char>(v.back()) <= 0x20) v.chop(1);
  return v;
}

// TagLib's handlers for 8-bit fields: legacy text instead of plain Latin-1.
class Id3v2Text : public TagLib::ID3v2::Latin1StringHandler {
 public:
  TagLib::String parse(const TagLib::ByteVector& data) const override {
    return ToTagLib(LegacyText::Decode(FieldBytes(data)));
  }
};
class Id3v1Text : public TagLib::ID3v1::StringHandler {
 public:
  TagLib::String parse(const TagLib::ByteVector& data) const override {
    return ToTagLib(LegacyText::Decode(FieldBytes(data)));
  }
};
class RiffText : public TagLib::RIFF::Info::StringHandler {
 public:
  TagLib::String parse(const TagLib::ByteVector& data) const override {
    return ToTagLib(LegacyText::Decode(FieldBytes(data)));
  }
};

void InstallHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    static const Id3v2Text id3v2;
    static const Id3v1Text id3v1;
    static const RiffText riff;
    TagLib::ID3v2::Tag::setLatin1StringHandler(&id3v2);
    TagLib::ID3v1::Tag::setStringHandler(&id3v1);
    TagLib::RIFF::Info::Tag::setStringHandler(&riff);
  });
}

}  // namespace

// One open where one reader can do: TagLib reads the tags and the length from the headers
// (a frame header, a Xing or stream-info block) without decoding. Only what TagLib does not know,
// a file whose length it cannot tell, or one without tags TagLib sees (the container may carry
// its own) is opened by the decoder as for playing it.
TTags TagReader::Read(const QString& path) {
  TTags tags;
  InstallHandlers();
  CachedFileStream stream(QFile::encodeName(path));
  TagLib::FileRef ref(&stream, true, TagLib::AudioProperties::Fast);
  if (!ref.isNull() && ref.tag()) {
    tags.Title = FromTagLib(ref.tag()->title());
    tags.Artist = FromTagLib(ref.tag()->artist());
    tags.Album = FromTagLib(ref.tag()->album());
  }
  const int ms =
      !ref.isNull() && ref.audioProperties() ? ref.audioProperties()->lengthInMilliseconds() : 0;
  const bool tagged = !tags.Title.isEmpty() || !tags.Artist.isEmpty() || !tags.Album.isEmpty();
  if (ms > 0 && tagged) {
    tags.Length = static_cast<float>(ms) / 1000.0f / 86400.0f;
    return tags;
  }

  AudioDecoder::Opened opened = AudioDecoder::OpenFile(path);
  if (!opened.decoder) return {};  // does not play: no tags either
  const AudioDecoder& d = *opened.decoder;
  const float seconds = static_cast<float>(d.LengthFrames()) / static_cast<float>(kOutputRate);
  const float days = seconds / 86400.0f;
  tags.Length = (std::isfinite(days) && days > 0) ? days : 0.0;
  if (tags.Title.isEmpty()) tags.Title = d.Tag("title");
  if (tags.Artist.isEmpty()) tags.Artist = d.Tag("artist");
  if (tags.Album.isEmpty()) tags.Album = d.Tag("album");
  return tags;
}

}  // namespace vireo
