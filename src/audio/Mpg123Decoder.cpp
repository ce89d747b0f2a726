#include "audio/Mpg123Decoder.h"

#include <mpg123.h>

#include <QFileInfo>
#include <cstring>
#include <mutex>

#include "audio/AudioCodes.h"

namespace vireo {
namespace {

QString FromId3v2(const mpg123_string* s) {
  return s && s->p && s->fill > 0 ? QString::fromUtf8(s->p, qsizetype(s->fill)).trimmed()
                                  : QString();
}

QString FromId3v1(const char* field, size_t size) {
  return QString::fromLatin1(field, qsizetype(strnlen(field, size))).trimmed();
}

}  // namespace

bool Mpg123Decoder::Claims(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toLower();
  return ext == QLatin1String("mp3") || ext == QLatin1String("mp2") ||
         ext == QLatin1String("mp1") || ext == QLatin1String("mpga");
}

AudioDecoder::Opened Mpg123Decoder::Open(const QString& path, int64_t fileSize) {
  static std::once_flag init;
  std::call_once(init, [] { mpg123_init(); });
  std::unique_ptr<Mpg123Decoder> d(new Mpg123Decoder);
  d->fileSize_ = fileSize;
  int err = MPG123_OK;
  d->handle_ = mpg123_new(nullptr, &err);
  if (!d->handle_) return {nullptr, AudioError::Unknown};
  // Float stereo whatever the file carries: a mono recording plays at full level from both
  // speakers. Damaged frames are skipped without a word on the terminal.
  mpg123_param(d->handle_, MPG123_ADD_FLAGS,
               MPG123_FORCE_FLOAT | MPG123_FORCE_STEREO | MPG123_GAPLESS | MPG123_QUIET, 0);
  // Its own converter is cheap and poor: a file at another rate is decoded at that rate, seen
  // below and left to the module's resampler. (Every output format stays allowed: a format it
  // cannot set up would have the library complain on the terminal, quiet flag or not.)
  mpg123_param(d->handle_, MPG123_REMOVE_FLAGS, MPG123_AUTO_RESAMPLE, 0);
  if (mpg123_open(d->handle_, QFile::encodeName(path).constData()) != MPG123_OK)
    return {nullptr, AudioError::FileOpen};
  if (!d->OutputFormatHolds()) return {nullptr, AudioError::FileForm};
  const off_t length = mpg123_length(d->handle_);
  if (length > 0) d->lengthFrames_ = int64_t(length);
  return {std::move(d), 0};
}

bool Mpg123Decoder::OutputFormatHolds() const {
  long rate = 0;
  int channels = 0, encoding = 0;
  return mpg123_getformat(handle_, &rate, &channels, &encoding) == MPG123_OK &&
         rate == kOutputRate && channels == kOutputChannels && encoding == MPG123_ENC_FLOAT_32;
}

Mpg123Decoder::~Mpg123Decoder() {
  if (handle_) {
    mpg123_close(handle_);
    mpg123_delete(handle_);
  }
}

int Mpg123Decoder::Read(float* out, int maxFrames) {
  int produced = 0;
  int emptyReads = 0;  // a header or a format notice yields nothing; endless nothing is the end
  while (produced < maxFrames && !ended_) {
    size_t done = 0;
    const size_t want = size_t(maxFrames - produced) * kOutputChannels * sizeof(float);
    const int rc =
        mpg123_read(handle_, reinterpret_cast<unsigned char*>(out + produced * 2), want, &done);
    produced += int(done / (kOutputChannels * sizeof(float)));
    position_ += int64_t(done / (kOutputChannels * sizeof(float)));
    if (rc == MPG123_NEW_FORMAT && !OutputFormatHolds()) {
      // Frames of another rate glued on after the first ones: they would play at a wrong
      // speed, so the track ends where its first rate does.
      ended_ = true;
      break;
    }
    if ((rc == MPG123_OK || rc == MPG123_NEW_FORMAT) && (done > 0 || ++emptyReads < 16)) continue;
    // The end, or damage the decoder cannot get past: what was decoded plays, then the end.
    ended_ = true;
  }
  return produced;
}

bool Mpg123Decoder::Seek(int64_t frame) {
  if (frame < 0) frame = 0;
  if (lengthFrames_ >= 0 && frame > lengthFrames_) frame = lengthFrames_;
  const off_t at = mpg123_seek(handle_, off_t(frame), SEEK_SET);
  if (at < 0) return false;
  position_ = int64_t(at);
  ended_ = false;
  return true;
}

int Mpg123Decoder::SourceRate() const {
  return kOutputRate;
}

QString Mpg123Decoder::FormatName() const {
  return QStringLiteral("mp3");
}

QString Mpg123Decoder::Tag(const char* key) const {
  mpg123_id3v1* v1 = nullptr;
  mpg123_id3v2* v2 = nullptr;
  if (!(mpg123_meta_check(handle_) & MPG123_ID3) || mpg123_id3(handle_, &v1, &v2) != MPG123_OK)
    return {};
  const bool title = !std::strcmp(key, "title"), artist = !std::strcmp(key, "artist"),
             album = !std::strcmp(key, "album");
  QString value;
  if (v2) value = FromId3v2(title ? v2->title : artist ? v2->artist : album ? v2->album : nullptr);
  if (value.isEmpty() && v1) {
    if (title) value = FromId3v1(v1->title, sizeof v1->title);
    if (artist) value = FromId3v1(v1->artist, sizeof v1->artist);
    if (album) value = FromId3v1(v1->album, sizeof v1->album);
  }
  return value;
}

}  // namespace vireo
