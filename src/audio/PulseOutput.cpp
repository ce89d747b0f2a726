#include "audio/PulseOutput.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "audio/AudioCodes.h"

namespace vireo {
namespace {

constexpr int kBytesPerFrame = 2 * kOutputChannels;
constexpr int kConnectTimeoutMs = 3000;

// The buffer on the server. Every wake-up of the render thread and of libpulse's loop costs far
// more CPU than the samples it moves, so the buffer is longer than a game's would be. The server
// gives the device (tlength - 2 * minreq) / 2 of it, here 50 ms (less makes the sink wake very
// often and fall behind on a busy machine), and asks for more in 75 ms steps. Volume and
// equalizer changes reach the ear within the 250 ms queued plus the block being rendered.
constexpr int kTargetMs = 250;
constexpr int kRequestMs = 75;
constexpr int kPrebufMs = 20;  // playing starts as soon as this much is queued

uint32_t MsToBytes(int ms) {
  return static_cast<uint32_t>(kOutputRate * ms / 1000 * kBytesPerFrame);
}

// Scoped lock of the threaded mainloop.
class LoopLock {
 public:
  explicit LoopLock(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
  ~LoopLock() { pa_threaded_mainloop_unlock(loop_); }
  LoopLock(const LoopLock&) = delete;
  LoopLock& operator=(const LoopLock&) = delete;

 private:
  pa_threaded_mainloop* loop_;
};

void SignalLoop(void* loop) {
  pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

// Waits (with the loop locked) for an operation to finish; false when interrupted first.
template <typename Stop>
bool WaitOperation(pa_threaded_mainloop* loop, pa_operation* op, Stop stop) {
  if (!op) return false;
  bool done = true;
  while (pa_operation_get_state(op) == PA_OPERATION_RUNNING) {
    if (stop()) {
      pa_operation_cancel(op);
      done = false;
      break;
    }
    pa_threaded_mainloop_wait(loop);
  }
  pa_operation_unref(op);
  return done;
}

class PulseSink : public IAudioSink {
 public:
  PulseSink(pa_threaded_mainloop* loop, pa_context* context) : loop_(loop), context_(context) {}

  ~PulseSink() override {
    LoopLock lock(loop_);
    if (stream_) {
      pa_stream_set_state_callback(stream_, nullptr, nullptr);
      pa_stream_set_write_callback(stream_, nullptr, nullptr);
      pa_stream_disconnect(stream_);
      pa_stream_unref(stream_);
    }
  }

  bool Open() {
    LoopLock lock(loop_);
    const pa_sample_spec spec{PA_SAMPLE_S16LE, kOutputRate, kOutputChannels};
    stream_ = pa_stream_new(context_, "Vireo", &spec, nullptr);
    if (!stream_) return false;
    pa_stream_set_state_callback(
        stream_, [](pa_stream*, void* l) { SignalLoop(l); }, loop_);
    // The render thread only waits for room when it has a whole request's worth (or the rest of
    // its block) to write; smaller requests do not wake it.
    pa_stream_set_write_callback(
        stream_,
        [](pa_stream*, size_t writable, void* self) {
          auto* sink = static_cast<PulseSink*>(self);
          if (writable >= sink->wantBytes_) SignalLoop(sink->loop_);
        },
        this);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = MsToBytes(kTargetMs);
    attr.prebuf = MsToBytes(kPrebufMs);
    attr.minreq = MsToBytes(kRequestMs);
    attr.fragsize = static_cast<uint32_t>(-1);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_INTERPOLATE_TIMING |
                                       PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) < 0)
      return false;
    for (;;) {
      const pa_stream_state_t st = pa_stream_get_state(stream_);
      if (st == PA_STREAM_READY) {
        if (const pa_buffer_attr* got = pa_stream_get_buffer_attr(stream_))
          requestBytes_ = std::max<size_t>(got->minreq, kBytesPerFrame);
        return true;
      }
      if (!PA_STREAM_IS_GOOD(st)) return false;
      pa_threaded_mainloop_wait(loop_);
    }
  }

  int Write(const int16_t* frames, int count) override {
    LoopLock lock(loop_);
    int taken = 0;
    while (taken < count) {
      if (interrupted_) {
        interrupted_ = false;
        break;
      }
      if (pa_stream_get_state(stream_) != PA_STREAM_READY) {
        failed_ = true;
        break;
      }
      const size_t room = pa_stream_writable_size(stream_);
      if (room == static_cast<size_t>(-1)) {
        failed_ = true;
        break;
      }
      size_t bytes = std::min(room, static_cast<size_t>(count - taken) * kBytesPerFrame);
      bytes -= bytes % kBytesPerFrame;
      if (bytes == 0) {
        wantBytes_ = std::min(requestBytes_, static_cast<size_t>(count - taken) * kBytesPerFrame);
        pa_threaded_mainloop_wait(loop_);
        wantBytes_ = 0;
        continue;
      }
      if (pa_stream_write(stream_, frames + static_cast<ptrdiff_t>(taken) * kOutputChannels, bytes,
                          nullptr, 0, PA_SEEK_RELATIVE) < 0) {
        failed_ = true;
        break;
      }
      const int n = static_cast<int>(bytes / kBytesPerFrame);
      taken += n;
      written_ += n;
    }
    return taken;
  }

  bool Drain() override {
    LoopLock lock(loop_);
    if (interrupted_) {
      interrupted_ = false;
      return false;
    }
    pa_operation* op = pa_stream_drain(
        stream_, [](pa_stream*, int, void* l) { SignalLoop(l); }, loop_);
    bool stopped = false;
    const bool done = WaitOperation(loop_, op, [&] {
      if (interrupted_) {
        interrupted_ = false;
        stopped = true;
      }
      return stopped;
    });
    if (!done || stopped) return false;
    // Everything written has been heard now, whatever the last (possibly stale) latency said:
    // the position of an ended track is its end.
    played_ = written_;
    return true;
  }

  void Interrupt() override {
    LoopLock lock(loop_);
    interrupted_ = true;
    pa_threaded_mainloop_signal(loop_, 0);
  }

  void SetPaused(bool paused) override {
    LoopLock lock(loop_);
    if (pa_operation* op = pa_stream_cork(stream_, paused ? 1 : 0, nullptr, nullptr))
      pa_operation_unref(op);
    // A drain under way would otherwise wait for a corked stream forever; it resumes its wait
    // when the stream plays again.
    pa_threaded_mainloop_signal(loop_, 0);
  }

  void Flush() override {
    LoopLock lock(loop_);
    if (pa_operation* op = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(op);
    written_ = 0;
    played_ = 0;
    pa_threaded_mainloop_signal(loop_, 0);
  }

  int64_t PlayedFrames() const override {
    LoopLock lock(loop_);
    pa_usec_t latency = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream_, &latency, &negative) == 0) {
      const int64_t queued = negative ? 0 : static_cast<int64_t>(latency) * kOutputRate / 1000000;
      played_ = std::clamp<int64_t>(written_ - queued, played_, written_);
    }
    return played_;
  }

  bool Healthy() const override {
    LoopLock lock(loop_);
    return !failed_ && stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY;
  }

 private:
  pa_threaded_mainloop* loop_;
  pa_context* context_;
  pa_stream* stream_ = nullptr;
  // Guarded by the mainloop lock:
  bool interrupted_ = false;
  bool failed_ = false;
  int64_t written_ = 0;
  mutable int64_t played_ = 0;                   // never goes back between flushes
  size_t requestBytes_ = MsToBytes(kRequestMs);  // the server's actual request size
  size_t wantBytes_ = 0;  // room the waiting render thread needs; 0 when none waits
};

}  // namespace

PulseOutput::~PulseOutput() {
  if (!loop_) return;
  {
    LoopLock lock(loop_);
    if (context_) {
      pa_context_set_state_callback(context_, nullptr, nullptr);
      pa_context_disconnect(context_);
      pa_context_unref(context_);
      context_ = nullptr;
    }
  }
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
}

bool PulseOutput::Init(QString* reason) {
  auto fail = [&](const QString& why) {
    if (reason) *reason = why;
    return false;
  };
  loop_ = pa_threaded_mainloop_new();
  if (!loop_) return fail(QStringLiteral("cannot create the PulseAudio mainloop"));
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
  pa_proplist* props = pa_proplist_new();
  pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Vireo");
  pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "vireo");
  pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "music");
  context_ = pa_context_new_with_proplist(api, "Vireo", props);
  pa_proplist_free(props);
  if (!context_) return fail(QStringLiteral("cannot create a PulseAudio context"));
  pa_context_set_state_callback(
      context_, [](pa_context*, void* l) { SignalLoop(l); }, loop_);
  if (pa_threaded_mainloop_start(loop_) < 0)
    return fail(QStringLiteral("cannot start the PulseAudio mainloop"));

  LoopLock lock(loop_);
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
    return fail(QString::fromUtf8(pa_strerror(pa_context_errno(context_))));
  // A server that accepts but never answers must not hold the start-up forever.
  std::atomic<bool> timedOut{false};
  struct TimeoutData {
    pa_threaded_mainloop* loop;
    std::atomic<bool>* flag;
  } data{loop_, &timedOut};
  struct timeval deadline;
  pa_gettimeofday(&deadline);
  pa_timeval_add(&deadline, kConnectTimeoutMs * PA_USEC_PER_MSEC);
  pa_time_event* timer = api->time_new(
      api, &deadline,
      [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* d) {
        auto* td = static_cast<TimeoutData*>(d);
        td->flag->store(true);
        pa_threaded_mainloop_signal(td->loop, 0);
      },
      &data);
  bool ready = false;
  for (;;) {
    const pa_context_state_t st = pa_context_get_state(context_);
    if (st == PA_CONTEXT_READY) {
      ready = true;
      break;
    }
    if (!PA_CONTEXT_IS_GOOD(st) || timedOut.load()) break;
    pa_threaded_mainloop_wait(loop_);
  }
  api->time_free(timer);
  if (!ready)
    return fail(QStringLiteral("no PulseAudio server: ") +
                QString::fromUtf8(pa_strerror(pa_context_errno(context_))));
  return true;
}

std::unique_ptr<IAudioSink> PulseOutput::OpenSink() {
  if (!context_) return nullptr;
  {
    LoopLock lock(loop_);
    if (pa_context_get_state(context_) != PA_CONTEXT_READY) return nullptr;
  }
  auto sink = std::make_unique<PulseSink>(loop_, context_);
  if (!sink->Open()) return nullptr;
  return sink;
}

}  // namespace vireo
