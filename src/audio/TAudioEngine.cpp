#include "audio/TAudioEngine.h"

#include "base/AppFolders.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QMetaMethod>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <mutex>

#include "audio/AudioDecoder.h"
#include "audio/AudioOutput.h"
#include "audio/AudioStream.h"
#include "audio/FormatFilter.h"
#include "audio/FrequencyAnalyzer.h"
#include "audio/GainToolClient.h"
#include "audio/NetworkSource.h"
#include "audio/PulseOutput.h"
#include "audio/TStreamCreateURLThread.h"
#include "audio/TagReader.h"
#include "base/Logging.h"
#include "base/WorkerRegistry.h"

namespace vireo {

// Carries events from other threads to the engine's thread. Posting and the engine's death are
// serialised by the lock, so a post never reaches a dead engine: events still queued when the
// engine is destroyed are discarded with it by Qt.
struct TAudioEngine::Relay {
  std::mutex mutex;  // guards engine
  TAudioEngine* engine = nullptr;

  template <typename Fn>
  void Post(Fn fn) {
    std::lock_guard lock(mutex);
    if (!engine) return;
    TAudioEngine* e = engine;
    QMetaObject::invokeMethod(
        e, [e, fn = std::move(fn)]() mutable { fn(e); }, Qt::QueuedConnection);
  }
};

namespace {

int FramesToMs(int64_t frames) {
  const float seconds = static_cast<float>(static_cast<double>(frames) / kOutputRate);
  const float ms = seconds * 1000.0f;
  return ms > 0 ? static_cast<int>(ms) : 0;
}

}  // namespace

TAudioEngine::TAudioEngine(const QString& appDir, QObject* parent)
    : QObject(parent), appDir_(appDir) {
  Init(std::make_shared<PulseOutput>());
}

TAudioEngine::TAudioEngine(const QString& appDir, std::shared_ptr<IAudioOutput> output,
                           QObject* parent)
    : QObject(parent), appDir_(appDir) {
  Init(std::move(output));
}

void TAudioEngine::Init(std::shared_ptr<IAudioOutput> output) {
  relay_ = std::make_shared<Relay>();
  relay_->engine = this;
  if (appDir_.isEmpty()) appDir_ = AppFolders::Current().ModuleDir();
  if (!appDir_.endsWith(QLatin1Char('/'))) appDir_ += QLatin1Char('/');
  gainTool_ = appDir_ + QStringLiteral("m3g");
  analyzer_ = std::make_unique<FrequencyAnalyzer>();
  state_ = AudioState::Stopped;
  // Without a sound server yet the output is kept all the same: every open tries to connect
  // again, so a player started before the server plays once the server is there.
  QString reason;
  outputReady_ = output && output->Init(&reason);
  output_ = std::move(output);
  filter_ = FormatFilter::Build();
  if (!outputReady_) RaiseError(state_, AudioError::InitFailed);
  progressTimer_.setTimerType(Qt::PreciseTimer);
  progressTimer_.setInterval(kProgressMs);
  connect(&progressTimer_, &QTimer::timeout, this, &TAudioEngine::ProgressTick);
  progressTimer_.start();
  seamTimer_.setTimerType(Qt::PreciseTimer);
  seamTimer_.setSingleShot(true);
  connect(&seamTimer_, &QTimer::timeout, this, &TAudioEngine::CheckSeam);
  networkNextTimer_.setSingleShot(true);
  connect(&networkNextTimer_, &QTimer::timeout, this, &TAudioEngine::ConnectNext);
}

// The engine goes quietly: its receivers may be halfway through their own destruction, so no
// event is raised, and nothing still on its way from another thread reaches it after this.
TAudioEngine::~TAudioEngine() {
  progressTimer_.stop();
  {
    std::lock_guard lock(relay_->mutex);
    relay_->engine = nullptr;
  }
  blockSignals(true);
  // The opener and every stream of this engine are gone when it is: their threads are joined
  // (each of their blocking steps is bounded or cancelled by Terminate()).
  if (pending_) {
    pending_->Terminate();
    if (!pending_->Wait(kJoinMs)) qCWarning(lcAudio) << "the opener did not end in time";
  }
  if (nextOpener_) {
    nextOpener_->Terminate();
    if (!nextOpener_->Wait(kJoinMs)) qCWarning(lcAudio) << "the next's opener did not end in time";
  }
  stream_.reset();  // joins the render thread
  retiring_.reset();
  for (const auto& job : releases_)
    if (!job->Wait(kJoinMs)) qCWarning(lcAudio) << "a stream release did not end in time";
}

template <typename... Args>
void TAudioEngine::Emit(void (TAudioEngine::*signal)(Args...), std::type_identity_t<Args>... args) {
  try {
    (this->*signal)(args...);
  } catch (...) {
  }
}

void TAudioEngine::RaiseError(AudioState code, int detail) {
  Emit(&TAudioEngine::OnError, code, detail);
}
void TAudioEngine::RaiseState(AudioState state) {
  Emit(&TAudioEngine::OnStateChange, state);
}

bool TAudioEngine::ProgressWanted() const {
  static const QMetaMethod progress = QMetaMethod::fromSignal(&TAudioEngine::OnProgress);
  return isSignalConnected(progress);
}

// A receiver of the progress event puts the timer on its beat at once. Qt may call these from
// another thread and with its connection lock held, so the timer is only asked to look again.
void TAudioEngine::connectNotify(const QMetaMethod& signal) {
  if (signal == QMetaMethod::fromSignal(&TAudioEngine::OnProgress))
    QMetaObject::invokeMethod(this, &TAudioEngine::PaceProgress, Qt::QueuedConnection);
}
void TAudioEngine::disconnectNotify(const QMetaMethod& signal) {
  // An invalid method when everything was disconnected at once.
  if (!signal.isValid() || signal == QMetaMethod::fromSignal(&TAudioEngine::OnProgress))
    QMetaObject::invokeMethod(this, &TAudioEngine::PaceProgress, Qt::QueuedConnection);
}

void TAudioEngine::SetState(AudioState state, bool notify) {
  state_ = state;
  PaceProgress();
  if (notify) RaiseState(state);
}

// Each wake-up of the UI thread costs about as much as decoding a tenth of a second here, so
// while no tick would raise anything the timer only looks in now and then for a handler; any
// state change puts it back on the 50 ms beat at once.
void TAudioEngine::PaceProgress() {
  const int interval =
      ProgressWanted() && state_ != AudioState::Stopped ? kProgressMs : kIdleProgressMs;
  if (progressTimer_.interval() != interval) progressTimer_.start(interval);
}

// Freeing a stream joins its render and download threads; a download may take a moment to
// notice, so that happens off the UI thread. The output stays alive until the sink is gone.
void TAudioEngine::ReleaseStream() {
  ReleaseStream(stream_);
}

void TAudioEngine::ReleaseStream(std::unique_ptr<AudioStream>& which) {
  if (!which) return;
  which->Pause();
  std::erase_if(releases_, [](const std::shared_ptr<WorkerJob>& j) { return j->Finished(); });
  auto job = WorkerRegistry::Instance().Start(
      QStringLiteral("engine"),
      [s = std::shared_ptr<AudioStream>(std::move(which)), out = output_](WorkerJob&) mutable {
        s.reset();
      },
      "vireo-release");
  if (job) releases_.push_back(std::move(job));
  // Closing (no job was started): the stream was freed with the lambda, here.
}

void TAudioEngine::Play(const QString& name) {
  if (handover_ && !handoverAdopted_ && name == preparedName_ && AdoptNext(name)) return;
  if (pending_) {
    RaiseError(AudioState::Ended, AudioError::OpenPending);
    return;
  }
  DiscardNext();
  chunkToken_ = 0;
  chunksReleased_ = false;
  heldChunks_.clear();
  chunkShared_.reset();
  fileName_ = name;
  ReleaseStream(retiring_);
  if (stream_) {
    stream_->Pause();
    retiring_ = std::move(stream_);
  }
  const uint64_t serial = ++serial_;
  // The station's song belongs to the stream it came with.
  if (!streamTitle_.isEmpty()) {
    streamTitle_.clear();
    Emit(&TAudioEngine::OnStreamTitle, QString());
  }
  std::weak_ptr<Relay> relay = relay_;

  TStreamCreateURLThread::Job job;
  job.name = name;
  job.output = output_;
  job.shared = shared_;
  if (dbGain_) job.gainTool = gainTool_;
  job.onConnecting = [relay, serial] {
    if (auto r = relay.lock())
      r->Post([serial](TAudioEngine* e) {
        if (serial != e->serial_ || !e->pending_ || e->pending_->Terminated()) return;
        e->SetState(AudioState::Connecting, true);
      });
  };
  job.onChunk = [relay, serial](const char* data, int size) {
    auto r = relay.lock();
    if (!r) return;
    QByteArray bytes = data ? QByteArray(data, size) : QByteArray();
    const bool end = data == nullptr;
    r->Post([serial, bytes = std::move(bytes), end](TAudioEngine* e) {
      if (serial != e->serial_ || (e->pending_ && e->pending_->Terminated())) return;
      e->Emit(&TAudioEngine::OnDownload, end ? nullptr : bytes.constData(),
              end ? 0 : static_cast<int>(bytes.size()), static_cast<void*>(nullptr));
    });
  };
  job.onTitle = [relay, serial](const QString& title) {
    if (auto r = relay.lock())
      r->Post([serial, title](TAudioEngine* e) {
        if (serial != e->serial_ || (e->pending_ && e->pending_->Terminated())) return;
        if (title == e->streamTitle_) return;
        e->streamTitle_ = title;
        e->Emit(&TAudioEngine::OnStreamTitle, title);
      });
  };
  job.onDone = [relay, serial](std::shared_ptr<TStreamCreateURLThread::Result> result) {
    if (auto r = relay.lock())
      r->Post([serial, result = std::move(result)](TAudioEngine* e) mutable {
        e->OpenCompleted(serial, std::static_pointer_cast<void>(std::move(result)));
      });
  };
  pending_ = TStreamCreateURLThread::Start(std::move(job));
}

void TAudioEngine::OpenCompleted(uint64_t serial, std::shared_ptr<void> opaque) {
  auto result = std::static_pointer_cast<TStreamCreateURLThread::Result>(opaque);
  const bool terminated = pending_ && pending_->Terminated();
  pending_.reset();
  if (serial != serial_) return;
  // Whatever this open brought, the track before is done with now (after the next one started,
  // below, its stream goes at the end of this handler).
  struct RetireAfter {
    TAudioEngine* e;
    ~RetireAfter() { e->ReleaseStream(e->retiring_); }
  } retireAfter{this};
  // A network stream that opened just as Stop() asked for the end is discarded all the same.
  if (result && result->network && result->decoder && terminated) {
    WorkerRegistry::Instance().Start(
        QStringLiteral("engine"), [r = std::move(result)](WorkerJob&) mutable { r.reset(); },
        "vireo-release");
    result = std::make_shared<TStreamCreateURLThread::Result>();
    result->error = AudioError::None;
  }
  if (!result || !result->decoder) {
    ++serial_;  // whatever of this open is still on its way (late chunks) is not for anyone
    SetState(AudioState::OpenFailed, false);
    qCInfo(lcAudio).noquote() << "state 1006 for" << fileName_;
    RaiseError(AudioState::OpenFailed, result ? result->error : AudioError::Unknown);
    return;
  }
  stream_ = std::make_unique<AudioStream>(std::move(result->decoder), std::move(result->sink));
  cutGeneration_ = 0;
  uint32_t size;
  if (result->network) {
    size = shared_->DownloadTotal.load();
  } else {
    const int64_t fileSize = stream_->FileSize();
    size = fileSize >= 0 ? static_cast<uint32_t>(fileSize & 0xFFFFFFFF) : kUnknownDownloadTotal;
  }
  lengthFrames_ = stream_->LengthFrames();
  UpdateBitrate(size);

  // The gain is added to the percentage as it stands, above 100 too; but a muted player stays
  // silent, and a quiet volume lowered further goes to silence rather than below it.
  float v = volume_;
  if (dbGain_ && v > 0) v = std::max(0.0f, v + shared_->MeasuredGain.load());
  std::weak_ptr<Relay> relay = relay_;
  AudioStream* stream = stream_.get();
  // A sound server that restarts under the track: it plays on in a new sink from where it was.
  stream_->SetSinkSource([out = output_] { return out->OpenSink(); });
  stream_->Start(v / 100.0f, gains_, [relay, serial, stream](uint64_t generation) {
    if (auto r = relay.lock())
      r->Post([serial, stream, generation](TAudioEngine* e) {
        // A seek or a stop after the end undoes it; a pause or a resume does not (the track is
        // over, and a stream left at its end would never play on).
        if (serial != e->serial_ || e->stream_.get() != stream || generation < e->cutGeneration_)
          return;
        e->state_ = AudioState::Ended;
        e->Emit(&TAudioEngine::OnEnd, AudioState::Ended);
      });
  });
  SetState(AudioState::Playing, true);
}

void TAudioEngine::UpdateBitrate(uint32_t size) {
  const float seconds = static_cast<float>(static_cast<double>(lengthFrames_) / kOutputRate);
  // A stream without a known length keeps the previous rate rather than dividing by nothing.
  if (size != kUnknownDownloadTotal && seconds > 0)
    bitrate_ =
        static_cast<int>(std::nearbyint(static_cast<double>(size) / (125.0 * seconds) + 0.5));
}

void TAudioEngine::PrepareNext(const QString& name) {
  if (handover_ || name == preparedName_) return;  // at the seam the next one comes after
  DiscardNext();
  const bool playing = state_ == AudioState::Playing || state_ == AudioState::Paused;
  if (name.isEmpty() || !stream_ || pending_ || !playing || stream_->Network()) return;
  preparedName_ = name;
  if (NetworkSource::IsNetworkName(name.toUtf8())) {
    nextNetwork_ = true;
    ConnectNext();
    return;
  }
  stream_->ExpectNext();
  const uint64_t token = ++nextToken_;
  std::weak_ptr<Relay> relay = relay_;
  const QString tool = dbGain_ ? gainTool_ : QString();
  WorkerRegistry::Instance().Start(
      QStringLiteral("engine"),
      [relay, token, name, tool](WorkerJob&) {
        auto decoder = std::make_shared<std::unique_ptr<AudioDecoder>>(
            AudioDecoder::OpenFile(name).decoder);
        const float gain =
            *decoder && !tool.isEmpty() ? GainToolClient::MeasureRemembered(tool, name) : 0.0f;
        if (auto r = relay.lock())
          r->Post([token, decoder, gain](TAudioEngine* e) {
            e->NextOpened(token, std::static_pointer_cast<void>(decoder), gain);
          });
      },
      "vireo-next");
}

void TAudioEngine::NextOpened(uint64_t token, std::shared_ptr<void> opaque, float gain) {
  auto decoder = std::static_pointer_cast<std::unique_ptr<AudioDecoder>>(opaque);
  // A next track that cannot be opened takes the usual way when its turn comes (Play fails).
  if (token != nextToken_ || !stream_ || !*decoder) {
    if (token == nextToken_ && stream_) stream_->DiscardNext();  // nothing more to wait for
    WorkerRegistry::Instance().Start(
        QStringLiteral("engine"), [decoder](WorkerJob&) { decoder->reset(); }, "vireo-release");
    return;
  }
  // Its level relative to the sink's volume, as its own stream would have been opened with.
  float v = volume_;
  if (dbGain_ && v > 0) v = std::max(0.0f, v + gain);
  const float sink = stream_->Volume();
  const float ratio = sink > 0 ? (v / 100.0f) / sink : 1.0f;
  qCDebug(lcAudio).noquote() << "next track prepared:" << preparedName_;
  std::weak_ptr<Relay> relay = relay_;
  AudioStream* stream = stream_.get();
  const uint64_t serial = serial_;
  stream_->SetNext(std::move(*decoder), ratio, [relay, serial, stream] {
    if (auto r = relay.lock())
      r->Post([serial, stream](TAudioEngine* e) {
        if (serial == e->serial_ && e->stream_.get() == stream) e->CheckSeam();
      });
  });
}

void TAudioEngine::ConnectNext() {
  networkNextTimer_.stop();
  if (!nextNetwork_ || nextOpener_ || !stream_ || preparedName_.isEmpty()) return;
  const int left = GetLength() - GetPosition();
  if (left > kNetworkLeadMs) {
    networkNextTimer_.start(left - kNetworkLeadMs);
    return;
  }
  const uint64_t token = ++nextToken_;
  nextShared_ = std::make_shared<PlayerSharedValues>();
  stream_->ExpectNext();
  std::weak_ptr<Relay> relay = relay_;
  TStreamCreateURLThread::Job job;
  job.name = preparedName_;
  job.output = output_;
  job.shared = nextShared_;
  job.withSink = false;
  job.onChunk = [relay, token](const char* data, int size) {
    auto r = relay.lock();
    if (!r) return;
    QByteArray bytes = data ? QByteArray(data, size) : QByteArray();
    r->Post([token, bytes = std::move(bytes), end = data == nullptr](TAudioEngine* e) mutable {
      e->NextChunk(token, std::move(bytes), end);
    });
  };
  job.onTitle = [relay, token](const QString& title) {
    if (auto r = relay.lock())
      r->Post([token, title](TAudioEngine* e) {
        if (token != e->chunkToken_ || !e->chunksReleased_ || title == e->streamTitle_) return;
        e->streamTitle_ = title;
        e->Emit(&TAudioEngine::OnStreamTitle, title);
      });
  };
  job.onDone = [relay, token](std::shared_ptr<TStreamCreateURLThread::Result> result) {
    if (auto r = relay.lock())
      r->Post([token, result = std::move(result)](TAudioEngine* e) mutable {
        e->NetworkNextOpened(token, std::static_pointer_cast<void>(std::move(result)));
      });
  };
  nextOpener_ = TStreamCreateURLThread::Start(std::move(job));
}

void TAudioEngine::NetworkNextOpened(uint64_t token, std::shared_ptr<void> opaque) {
  auto result = std::static_pointer_cast<TStreamCreateURLThread::Result>(opaque);
  if (token == nextToken_) nextOpener_.reset();
  if (token != nextToken_ || !stream_ || !result || !result->decoder) {
    // One that failed is opened again by the end handler's Play() and fails the usual way.
    if (token == nextToken_ && stream_) stream_->DiscardNext();  // nothing more to wait for
    WorkerRegistry::Instance().Start(
        QStringLiteral("engine"), [result](WorkerJob&) mutable { result.reset(); },
        "vireo-release");
    return;
  }
  // A stream starts without levelling, as its own open would.
  const float sink = stream_->Volume();
  const float ratio = sink > 0 ? (volume_ / 100.0f) / sink : 1.0f;
  std::weak_ptr<Relay> relay = relay_;
  AudioStream* stream = stream_.get();
  const uint64_t serial = serial_;
  stream_->SetNext(std::move(result->decoder), ratio, [relay, serial, stream] {
    if (auto r = relay.lock())
      r->Post([serial, stream](TAudioEngine* e) {
        if (serial == e->serial_ && e->stream_.get() == stream) e->CheckSeam();
      });
  });
  WorkerRegistry::Instance().Start(
      QStringLiteral("engine"), [result](WorkerJob&) mutable { result.reset(); }, "vireo-release");
}

void TAudioEngine::NextChunk(uint64_t token, QByteArray bytes, bool end) {
  if (token == chunkToken_ && chunksReleased_) {
    Emit(&TAudioEngine::OnDownload, end ? nullptr : bytes.constData(),
         end ? 0 : static_cast<int>(bytes.size()), static_cast<void*>(nullptr));
    return;
  }
  if (token == chunkToken_ || token == nextToken_)
    heldChunks_.push_back({token, std::move(bytes), end});
}

// After the end handler that took the network next up: what its own open would have raised,
// in the same order (connecting, the chunks so far, playing; the caller raises the last).
void TAudioEngine::ReleaseChunks(uint64_t token) {
  if (token != chunkToken_ || chunksReleased_) return;
  if (chunkShared_) shared_->DownloadTotal.store(chunkShared_->DownloadTotal.load());
  shared_->DownloadWritten.store(0);
  SetState(AudioState::Connecting, true);
  std::vector<HeldChunk> held;
  held.swap(heldChunks_);
  chunksReleased_ = true;
  for (const HeldChunk& c : held) {
    if (c.token != token) continue;
    if (token != chunkToken_) return;  // a receiver played something else meanwhile
    Emit(&TAudioEngine::OnDownload, c.end ? nullptr : c.bytes.constData(),
         c.end ? 0 : static_cast<int>(c.bytes.size()), static_cast<void*>(nullptr));
  }
  if (state_ == AudioState::Connecting) SetState(AudioState::Playing, false);
}

void TAudioEngine::DiscardNext() {
  ++nextToken_;
  preparedName_.clear();
  seamTimer_.stop();
  networkNextTimer_.stop();
  nextNetwork_ = false;
  if (nextOpener_) {
    nextOpener_->Terminate();
    nextOpener_.reset();
  }
  nextShared_.reset();
  std::erase_if(heldChunks_, [this](const HeldChunk& c) { return c.token != chunkToken_; });
  if (stream_) stream_->DiscardNext();
}

void TAudioEngine::CheckSeam() {
  seamTimer_.stop();
  if (!stream_ || handover_) return;
  const std::optional<int64_t> left = stream_->FramesUntilSeam();
  if (!left) return;
  if (*left > 0) {
    // Looked at again when it should be heard (at least every second: the count can drift).
    const auto ms = static_cast<int>(*left * 1000 / kOutputRate);
    seamTimer_.start(std::clamp(ms, 1, 1000));
    return;
  }
  SeamHeard();
}

// The current track's last frame has been heard and the next one's first follows: the end is
// raised now, as it would be after a drain; the end handler's Play() of the next name takes
// the flowing track up (AdoptNext). Whatever else it does, the next track is not played.
void TAudioEngine::SeamHeard() {
  AudioStream* stream = stream_.get();
  handover_ = true;
  handoverStopped_ = handoverAdopted_ = false;
  state_ = AudioState::Ended;
  Emit(&TAudioEngine::OnEnd, AudioState::Ended);
  handover_ = false;
  if (handoverAdopted_ || stream_.get() != stream) return;
  preparedName_.clear();
  ++nextToken_;
  stream_->DiscardNext();
  stream_->Pause();
  cutGeneration_ = stream_->Generation();
}

bool TAudioEngine::AdoptNext(const QString& name) {
  if (!stream_ || !stream_->Adopt()) return false;
  handoverAdopted_ = true;
  fileName_ = name;
  preparedName_.clear();
  lengthFrames_ = stream_->LengthFrames();
  const int64_t fileSize = stream_->FileSize();
  UpdateBitrate(fileSize >= 0 ? static_cast<uint32_t>(fileSize & 0xFFFFFFFF)
                              : kUnknownDownloadTotal);
  cutGeneration_ = stream_->Generation();  // no end of the track before reaches the player now
  SetState(AudioState::Playing, false);
  const bool network = stream_->Network() != nullptr;
  if (network) {
    chunkToken_ = nextToken_;
    chunksReleased_ = false;
    chunkShared_ = nextShared_;
    streamTitle_.clear();
  }
  // Raised after the end handler has returned, as after an open.
  QMetaObject::invokeMethod(
      this,
      [this, serial = serial_, stream = stream_.get(), network, token = chunkToken_] {
        if (serial != serial_ || stream_.get() != stream) return;
        if (network) ReleaseChunks(token);
        if (serial == serial_ && stream_.get() == stream && state_ == AudioState::Playing)
          RaiseState(AudioState::Playing);
      },
      Qt::QueuedConnection);
  return true;
}

void TAudioEngine::Pause() {
  DiscardNext();
  if (stream_) stream_->Pause();
  SetState(AudioState::Paused, true);
}

void TAudioEngine::Resume() {
  if (stream_) stream_->Play();
  SetState(AudioState::Playing, true);
}

void TAudioEngine::Stop() {
  if (handover_) {
    // At a seam: the stream stays as it is until the end handler has returned (a Play() of the
    // next name follows, or the next track is dropped then).
    handoverStopped_ = true;
    SetState(AudioState::Stopped, true);
    return;
  }
  DiscardNext();
  if (pending_) pending_->Terminate();
  if (stream_) {
    stream_->Pause();
    cutGeneration_ = stream_->Generation();
  }
  SetState(AudioState::Stopped, true);
}

int TAudioEngine::GetPosition() const {
  return stream_ ? FramesToMs(stream_->PositionFrames()) : 0;
}

int TAudioEngine::GetLength() const {
  return stream_ ? FramesToMs(lengthFrames_) : 0;
}

void TAudioEngine::SetPosition(int ms) {
  if (!stream_) return;
  DiscardNext();
  if (stream_->Seek(static_cast<int64_t>(static_cast<double>(ms) / 1000.0 * kOutputRate)))
    cutGeneration_ = stream_->Generation();
}

void TAudioEngine::SetVolume(float volume) {
  volume_ = volume;
  if (stream_) stream_->SetVolume(std::max(0.0f, volume / 100.0f));
}

float TAudioEngine::StreamVolume() const {
  return stream_ ? stream_->Volume() : 0.0f;
}

void TAudioEngine::SetDBGain(bool on) {
  dbGain_ = on;
}

void TAudioEngine::SetEQ(const std::array<int, kBandCount>& gains) {
  // The same gains again (the player sets its preset at every track) change nothing heard.
  if (gains == gains_) return;
  gains_ = gains;
  if (stream_) stream_->SetGains(gains_);
}

TTags TAudioEngine::ReadTags(const QString& name) const {
  return TagReader::Read(name);
}

void TAudioEngine::ProgressTick() {
  PaceProgress();
  if (state_ == AudioState::Stopped || !ProgressWanted()) return;
  const float* fft = silentFft_.data();
  const uint32_t* wave = silentWave_.data();
  int position;
  if (state_ == AudioState::Playing && stream_ && spectrumWanted_) {
    position = FramesToMs(stream_->Analyze(*analyzer_, fft_.data(), wave_.data()));
    fft = fft_.data();
    wave = wave_.data();
  } else {
    position = GetPosition();
  }
  const int length = GetLength();
  Emit(&TAudioEngine::OnProgress, state_, length, position, fft, wave);
}

}  // namespace vireo
