#include "audio/PulseOutput.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "audio/AudioCodes.h"

namespace vireo {
namespace {

constexpr int kBytesPerFrame = static_cast<int>(sizeof(float)) * kOutputChannels;
constexpr int kConnectTimeoutMs = 3000;

// The buffer on the server. Every wake-up of the render thread and of libpulse's loop costs far
// more CPU than the samples it moves, so the buffer is long: 500 ms, asked for in 200 ms steps
// (about five wake-ups a second on each side). The server gives the device
// (tlength - 2 * minreq) / 2 of it, here 50 ms. The volume is the server's, applied to what is
// already queued, so only an equalizer change waits for the queue (up to about half a second).
constexpr int kTargetMs = 500;
constexpr int kRequestMs = 200;
constexpr int kPrebufMs = 20;  // playing starts as soon as this much is queued
// A started stream that is not playing yet asks again after 2 ms, then twice as long each time
// up to 128 ms: the first sound is seen at once, a device that takes long to start costs little.
constexpr int kFirstRetryMs = 2;
constexpr int kLastRetryMs = 128;

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
    if (timingOp_) {
      pa_operation_cancel(timingOp_);
      pa_operation_unref(timingOp_);
    }
    if (retry_) pa_threaded_mainloop_get_api(loop_)->time_free(retry_);
    if (stream_) {
      pa_stream_set_state_callback(stream_, nullptr, nullptr);
      pa_stream_set_write_callback(stream_, nullptr, nullptr);
      pa_stream_disconnect(stream_);
      pa_stream_unref(stream_);
    }
  }

  bool Open() {
    LoopLock lock(loop_);
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, kOutputRate, kOutputChannels};
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
    // No automatic timing updates (ten round trips a second): the sink asks for the timing with
    // each write and when it starts, pauses or flushes, and counts on from the last answer.
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
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

  int WaitRoom(int frames) override {
    LoopLock lock(loop_);
    return RoomLocked(frames);
  }

  int Write(const float* frames, int count) override {
    LoopLock lock(loop_);
    int taken = 0;
    while (taken < count) {
      const int n = RoomLocked(count - taken);
      if (n <= 0) break;
      if (pa_stream_write(stream_, frames + static_cast<ptrdiff_t>(taken) * kOutputChannels,
                          static_cast<size_t>(n) * kBytesPerFrame, nullptr, 0,
                          PA_SEEK_RELATIVE) < 0) {
        failed_ = true;
        break;
      }
      taken += n;
      written_ += n;
    }
    // Sent together with the samples, so the question costs no wake-up of its own.
    if (taken > 0) RequestTiming();
    return taken;
  }

  // Lock held. WaitRoom() without taking the lock.
  int RoomLocked(int frames) {
    const size_t want = std::min(requestBytes_, static_cast<size_t>(frames) * kBytesPerFrame);
    for (;;) {
      if (interrupted_) {
        interrupted_ = false;
        return 0;
      }
      if (pa_stream_get_state(stream_) != PA_STREAM_READY) {
        failed_ = true;
        return 0;
      }
      const size_t room = pa_stream_writable_size(stream_);
      if (room == static_cast<size_t>(-1)) {
        failed_ = true;
        return 0;
      }
      if (room >= want)
        return static_cast<int>(std::min(room, static_cast<size_t>(frames) * kBytesPerFrame) /
                                kBytesPerFrame);
      wantBytes_ = want;
      pa_threaded_mainloop_wait(loop_);
      wantBytes_ = 0;
    }
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
    // The position stops where it is heard now; after a resume it goes on from there once the
    // server has said how far it is (an answer from before the pause would count the pause).
    if (paused) UpdatePlayed();
    corked_ = paused;
    ForgetTiming();
    if (pa_operation* op = pa_stream_cork(stream_, paused ? 1 : 0, nullptr, nullptr))
      pa_operation_unref(op);
    if (!paused) RequestTiming();
    // A drain under way would otherwise wait for a corked stream forever; it resumes its wait
    // when the stream plays again.
    pa_threaded_mainloop_signal(loop_, 0);
  }

  void SetVolume(float factor) override {
    LoopLock lock(loop_);
    if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) return;
    // The server's software volume multiplies by exactly this linear factor, also above 1; the
    // server rewinds what it already mixed, so the change is heard within the device's latency.
    pa_cvolume volume;
    pa_cvolume_set(&volume, kOutputChannels,
                   factor > 0 ? pa_sw_volume_from_linear(factor) : PA_VOLUME_MUTED);
    if (pa_operation* op = pa_context_set_sink_input_volume(context_, pa_stream_get_index(stream_),
                                                            &volume, nullptr, nullptr))
      pa_operation_unref(op);
  }

  void Flush() override {
    LoopLock lock(loop_);
    if (pa_operation* op = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(op);
    written_ = 0;
    played_ = 0;
    ForgetTiming();
    pa_threaded_mainloop_signal(loop_, 0);
  }

  int64_t PlayedFrames() const override {
    LoopLock lock(loop_);
    UpdatePlayed();
    return played_;
  }

  bool Healthy() const override {
    LoopLock lock(loop_);
    return !failed_ && stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY;
  }

 private:
  // What the server last said, as frames heard at a moment of the local clock.
  struct Timing {
    bool valid = false;
    bool playing = false;  // the server was passing this stream's frames to the device
    int64_t heard = 0;
    pa_usec_t at = 0;
  };

  // Lock held. The heard count from the last answer, counted on by the time since it was true
  // while the server was playing; never back, never past what was written.
  void UpdatePlayed() const {
    if (!timing_.valid || corked_) return;
    int64_t heard = timing_.heard;
    if (timing_.playing) {
      timeval now;
      pa_gettimeofday(&now);
      const pa_usec_t t = pa_timeval_load(&now);
      if (t > timing_.at)
        heard += static_cast<int64_t>((t - timing_.at) * kOutputRate / PA_USEC_PER_SEC);
    }
    played_ = std::clamp<int64_t>(heard, played_, written_);
  }

  // Lock held. After a pause, resume or flush, what the server said before no longer holds.
  void ForgetTiming() {
    ++timingEpoch_;
    retryMs_ = kFirstRetryMs;
    timing_.valid = false;
  }

  // Lock held. One question at a time; one asked meanwhile is asked again after the answer.
  void RequestTiming() {
    if (timingOp_) {
      askAgain_ = true;
      return;
    }
    askAgain_ = false;
    askedEpoch_ = timingEpoch_;
    timingOp_ = pa_stream_update_timing_info(
        stream_,
        [](pa_stream*, int ok, void* self) { static_cast<PulseSink*>(self)->OnTiming(ok); }, this);
  }

  // Loop thread, lock held.
  void OnTiming(int ok) {
    pa_operation_unref(timingOp_);
    timingOp_ = nullptr;
    const pa_timing_info* ti = ok ? pa_stream_get_timing_info(stream_) : nullptr;
    // An answer to a question asked before a pause, resume or flush is of no use after it.
    if (ti && askedEpoch_ == timingEpoch_ && !ti->write_index_corrupt && !ti->read_index_corrupt) {
      // libpulse adds the writes made since the question to its write index, so the queue it
      // implies is measured against everything written up to now.
      const int64_t queued =
          std::max<int64_t>(0, (ti->write_index - ti->read_index) / kBytesPerFrame);
      const auto inDevice = static_cast<int64_t>(ti->sink_usec * kOutputRate / PA_USEC_PER_SEC);
      timing_.valid = true;
      timing_.playing = ti->playing != 0;
      timing_.heard = written_ - queued - inDevice;
      timing_.at = pa_timeval_load(&ti->timestamp);
    }
    if (!ok) return;
    if (askAgain_ || askedEpoch_ != timingEpoch_) {
      RequestTiming();
    } else if (timing_.playing) {
      retryMs_ = kFirstRetryMs;
    } else if (!corked_ && written_ > 0 && !retry_) {
      // Started but not playing yet (the device is still taking the first frames, or waits for
      // more): ask again shortly, or the position would stand still until the next write.
      timeval when;
      pa_gettimeofday(&when);
      pa_timeval_add(&when, static_cast<pa_usec_t>(retryMs_) * PA_USEC_PER_MSEC);
      retryMs_ = std::min(2 * retryMs_, kLastRetryMs);
      pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
      retry_ = api->time_new(
          api, &when,
          [](pa_mainloop_api* a, pa_time_event* e, const timeval*, void* self) {
            auto* sink = static_cast<PulseSink*>(self);
            a->time_free(e);
            sink->retry_ = nullptr;
            sink->RequestTiming();
          },
          this);
    }
  }

  pa_threaded_mainloop* loop_;
  pa_context* context_;
  pa_stream* stream_ = nullptr;
  // Guarded by the mainloop lock:
  bool interrupted_ = false;
  bool failed_ = false;
  bool corked_ = true;
  Timing timing_;
  uint64_t timingEpoch_ = 0;  // moves on with every pause, resume and flush
  uint64_t askedEpoch_ = 0;
  pa_operation* timingOp_ = nullptr;
  bool askAgain_ = false;
  pa_time_event* retry_ = nullptr;
  int retryMs_ = kFirstRetryMs;
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
