#include "audio/TStreamCreateURLThread.h"

#include <pthread.h>

#include <QUrl>

#include "audio/AudioCodes.h"
#include "audio/AudioDecoder.h"
#include "audio/AudioOutput.h"
#include "audio/GainToolClient.h"
#include "audio/PlayerSharedValues.h"
#include "audio/PlaylistLink.h"
#include "base/Logging.h"
#include "base/WorkerRegistry.h"

namespace vireo {

namespace {

// The low 32 bits of the Content-Length, 0xFFFFFFFF without one.
void PublishLength(const NetworkSource& source, PlayerSharedValues& shared) {
  const int64_t length = source.ContentLength();
  shared.DownloadTotal.store(length >= 0 ? static_cast<uint32_t>(length & 0xFFFFFFFF)
                                         : kUnknownDownloadTotal);
}

}  // namespace

TStreamCreateURLThread::Result::~Result() {
  sink.reset();  // before the output it came from
  decoder.reset();
}

std::shared_ptr<TStreamCreateURLThread> TStreamCreateURLThread::Start(Job job) {
  if (!job.shared) job.shared = std::make_shared<PlayerSharedValues>();
  std::shared_ptr<TStreamCreateURLThread> self(new TStreamCreateURLThread(std::move(job)));
  // Cancelled by the registry (the player is closing): the open is terminated like a Stop().
  self->worker_ = WorkerRegistry::Instance().Start(
      QStringLiteral("engine"),
      [self](WorkerJob& worker) {
        worker.SetCancelHook([self] { self->Terminate(); });
        self->Run();
      },
      "vireo-open");
  if (!self->worker_) {  // closing: the open fails at once
    auto result = std::make_shared<Result>();
    result->error = AudioError::Unknown;
    if (self->job_.onDone) self->job_.onDone(std::move(result));
  }
  return self;
}

bool TStreamCreateURLThread::Wait(int timeoutMs) const {
  return !worker_ || worker_->Wait(timeoutMs);
}

void TStreamCreateURLThread::Terminate() {
  terminated_.store(true);
  std::lock_guard lock(mutex_);
  if (current_) current_->Cancel();
}

void TStreamCreateURLThread::Run() {
  job_.shared->DownloadTotal.store(0);
  job_.shared->DownloadWritten.store(0);
  std::shared_ptr<Result> result;
  try {
    result = OpenLocal();
    if (!result) {
      job_.shared->MeasuredGain.store(0.0f);
      if (job_.onConnecting) job_.onConnecting();
      result = OpenNetwork();
    }
  } catch (...) {
    result = std::make_shared<Result>();
    result->error = AudioError::Unknown;
  }
  if (!result || !result->decoder)
    qCInfo(lcAudio).noquote() << "cannot open" << job_.name << "- detail"
                              << (result ? result->error : AudioError::Unknown);
  {
    std::lock_guard lock(mutex_);
    current_.reset();
  }
  if (job_.onDone) job_.onDone(std::move(result));
}

void TStreamCreateURLThread::AttachSink(Result& result, std::unique_ptr<AudioDecoder> decoder) {
  result.output = job_.output;
  if (!job_.withSink) {
    result.decoder = std::move(decoder);
    return;
  }
  result.sink = job_.output->OpenSink();
  if (!result.sink) {
    result.error = AudioError::Init;
    return;
  }
  result.decoder = std::move(decoder);
}

float TStreamCreateURLThread::MeasureGain() const {
  return GainToolClient::MeasureRemembered(job_.gainTool, job_.name);
}

std::shared_ptr<TStreamCreateURLThread::Result> TStreamCreateURLThread::OpenLocal() {
  if (!job_.output || NetworkSource::IsNetworkName(job_.name.toUtf8())) return nullptr;
  AudioDecoder::Opened opened = AudioDecoder::OpenFile(job_.name);
  if (!opened.decoder) return nullptr;
  if (!job_.gainTool.isEmpty())
    job_.shared->MeasuredGain.store(MeasureGain());
  else
    job_.shared->MeasuredGain.store(0.0f);
  auto result = std::make_shared<Result>();
  AttachSink(*result, std::move(opened.decoder));
  // Without a sound server the name goes the way of any name that did not play, as an address,
  // which fails for the same reason.
  if (!result->sink) {
    noOutput_ = true;
    return nullptr;
  }
  return result;
}

std::shared_ptr<TStreamCreateURLThread::Result> TStreamCreateURLThread::OpenNetwork() {
  auto result = std::make_shared<Result>();
  result->network = true;
  if (!job_.output || noOutput_) {
    result->error = AudioError::Init;
    return result;
  }
  // Addresses as people and pages write them, with spaces or Chinese in the path, go out
  // percent-encoded (what is encoded already stays as it is).
  QByteArray url = job_.name.toUtf8();
  if (NetworkSource::IsNetworkName(url)) {
    const QUrl parsed(job_.name, QUrl::TolerantMode);
    if (parsed.isValid()) url = parsed.toEncoded();
  }
  std::shared_ptr<NetworkSource> source;
  for (int hop = 0;; ++hop) {
    if (!NetworkSource::IsNetworkName(url)) {
      result->error = AudioError::FileOpen;
      return result;
    }
    // The expected size is published before the first chunk is passed on: a short download may
    // end before the decoder has opened, and whoever keeps a copy judges it complete by comparing
    // with DownloadTotal when the null buffer arrives.
    auto self = std::make_shared<std::atomic<NetworkSource*>>(nullptr);
    NetworkSource::ChunkHandler onChunk;
    if (job_.onChunk)
      onChunk = [self, forward = job_.onChunk, shared = job_.shared](const char* data, int size) {
        if (NetworkSource* s = self->load()) PublishLength(*s, *shared);
        forward(data, size);
      };
    source = std::make_shared<NetworkSource>(url, std::move(onChunk));
    if (job_.onTitle) source->SetTitleHandler(job_.onTitle);
    self->store(source.get());
    {
      std::lock_guard lock(mutex_);
      current_ = source;
      if (terminated_.load()) source->Cancel();
    }
    source->Start();
    if (const int err = source->WaitForAnswer()) {
      result->error = terminated_.load() ? AudioError::None : err;
      return result;
    }
    if (!source->IsPlaylist()) break;
    if (hop == kMaxPlaylistHops) {
      result->error = AudioError::FileForm;
      return result;
    }
    url = PlaylistLink::FirstEntry(source->PlaylistText(), url);
    if (url.isEmpty()) {
      result->error = AudioError::FileForm;
      return result;
    }
  }
  AudioDecoder::Opened opened = AudioDecoder::OpenNetwork(source);
  if (terminated_.load()) {
    result->error = AudioError::None;  // discarded on request, whatever the open gave
    source->Cancel();
    return result;
  }
  if (!opened.decoder) {
    result->error = opened.error;
    return result;
  }
  PublishLength(*source, *job_.shared);
  AttachSink(*result, std::move(opened.decoder));
  return result;
}

}  // namespace vireo
