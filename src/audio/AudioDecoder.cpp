#include "audio/AudioDecoder.h"

#include <QFileInfo>

#include "audio/AudioCodes.h"
#include "audio/DecoderModule.h"
#include "audio/Mpg123Decoder.h"
#include "audio/NetworkSource.h"
#include "audio/VorbisDecoder.h"

namespace vireo {

AudioDecoder::Opened AudioDecoder::OpenFile(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.isFile() || !info.isReadable())
    return {nullptr, AudioError::FileOpen};
  if (Mpg123Decoder::Claims(path)) {
    Opened opened = Mpg123Decoder::Open(info.absoluteFilePath(), info.size());
    // Not MPEG audio after all, or at another rate: the module's demuxers decide.
    if (opened.decoder || opened.error == AudioError::FileOpen) return opened;
  }
  if (VorbisDecoder::Claims(path)) {
    Opened opened = VorbisDecoder::Open(info.absoluteFilePath(), info.size());
    // Opus or FLAC in Ogg, or Vorbis at another rate: the module's decoders take it.
    if (opened.decoder || opened.error == AudioError::FileOpen) return opened;
  }
  const DecoderModuleApi* api = DecoderModule::Api();
  if (!api) return {nullptr, AudioError::Codec};
  int error = AudioError::Unknown;
  std::unique_ptr<AudioDecoder> d(
      api->OpenFile(info.absoluteFilePath().toUtf8().constData(), info.size(), &error));
  if (!d) return {nullptr, error};
  return {std::move(d), 0};
}

AudioDecoder::Opened AudioDecoder::OpenNetwork(std::shared_ptr<NetworkSource> source) {
  if (!source) return {nullptr, AudioError::Unknown};
  const DecoderModuleApi* api = DecoderModule::Api();
  if (!api) return {nullptr, AudioError::Codec};
  int error = AudioError::Unknown;
  std::unique_ptr<AudioDecoder> d(api->OpenNetwork(source.get(), &error));
  if (!d) return {nullptr, error};
  d->network_ = std::move(source);
  return {std::move(d), 0};
}

}  // namespace vireo
