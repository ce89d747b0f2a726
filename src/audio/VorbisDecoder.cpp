#include "audio/VorbisDecoder.h"

#include <vorbis/vorbisfile.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "audio/AudioCodes.h"

namespace vireo {

bool VorbisDecoder::Claims(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toLower();
  return ext == QLatin1String("ogg") || ext == QLatin1String("oga");
}

VorbisDecoder::VorbisDecoder() : file_(std::make_unique<OggVorbis_File>()) {}

VorbisDecoder::~VorbisDecoder() {
  if (open_) ov_clear(file_.get());  // closes the file as well
}

AudioDecoder::Opened VorbisDecoder::Open(const QString& path, int64_t fileSize) {
  FILE* f = std::fopen(QFile::encodeName(path).constData(), "rb");
  if (!f) return {nullptr, AudioError::FileOpen};
  std::unique_ptr<VorbisDecoder> d(new VorbisDecoder);
  d->fileSize_ = fileSize;
  if (ov_open_callbacks(f, d->file_.get(), nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
    std::fclose(f);
    return {nullptr, AudioError::FileForm};
  }
  d->open_ = true;
  const vorbis_info* info = ov_info(d->file_.get(), -1);
  // One logical stream of the output's rate; a chained file (a radio recording) changes
  // format midway and is left to the module.
  if (!info || info->rate != kOutputRate || info->channels < 1 || info->channels > 2 ||
      ov_streams(d->file_.get()) != 1 || !ov_seekable(d->file_.get()))
    return {nullptr, AudioError::FileForm};
  d->channels_ = info->channels;
  d->rate_ = static_cast<int>(info->rate);
  const ogg_int64_t total = ov_pcm_total(d->file_.get(), -1);
  if (total > 0) d->lengthFrames_ = total;
  return {std::move(d), 0};
}

int VorbisDecoder::Read(float* out, int maxFrames) {
  int done = 0;
  while (done < maxFrames) {
    float** pcm = nullptr;
    int section = 0;
    const long n = ov_read_float(file_.get(), &pcm, maxFrames - done, &section);
    if (n == OV_HOLE) continue;  // a damaged page: the next one decodes again
    if (n <= 0) break;           // the end, or a fault that ends the stream
    const float* left = pcm[0];
    const float* right = channels_ == 2 ? pcm[1] : pcm[0];
    float* to = out + static_cast<ptrdiff_t>(done) * 2;
    for (long i = 0; i < n; ++i) {
      to[2 * i] = left[i];
      to[2 * i + 1] = right[i];
    }
    done += static_cast<int>(n);
  }
  position_ += done;
  return done;
}

bool VorbisDecoder::Seek(int64_t frame) {
  if (lengthFrames_ >= 0) frame = std::min(frame, lengthFrames_);
  if (ov_pcm_seek(file_.get(), frame) != 0) return false;
  position_ = frame;
  return true;
}

QString VorbisDecoder::Tag(const char* key) const {
  const vorbis_comment* comment = ov_comment(file_.get(), -1);
  if (!comment) return {};
  QByteArray name(key);
  const char* value = vorbis_comment_query(const_cast<vorbis_comment*>(comment),
                                           name.toUpper().constData(), 0);
  return value ? QString::fromUtf8(value).trimmed() : QString();
}

}  // namespace vireo
