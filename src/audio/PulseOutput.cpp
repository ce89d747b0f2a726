#include "audio/PulseOutput.h"

#include <pulse/pulseaudio.h>

#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "audio/AudioCodes.h"

namespace vireo {
namespace {

constexpr int kBytesPerFrame = static_cast<int>(sizeof(float)) * kOutputChannels;

// The buffer on the server. Every wake-up of the render thread and of libpulse's loop costs far
// more CPU than the samples it moves, so the buffer is long: two seconds, asked for in 950 ms
// steps (about one wake-up a second on each side). The server gives the device
// (tlength - 2 * minreq) / 2 of it, here 50 ms. Neither a volume nor an equalizer change waits
// for the queue: the volume is the server's, applied to what is already queued, and the
// equalizer's output is replaced in the queue (Replace()).
constexpr int kTargetMs = 2000;
constexpr int kRequestMs = 950;
// What a replacement leaves of the queue before it: the time it takes to reach the server.
constexpr int kReplaceMarginMs = 30;
// The position is counted on by the local clock from the server's last answer; it is asked
// again only this often while playing (each question is a round trip that wakes libpulse's
// loop), or when the queue may have run dry since.
constexpr pa_usec_t kTimingRefreshUs = 2 * PA_USEC_PER_SEC;
// After a start, a resume or a flush the server is asked with every write until this many answers
// found it playing: the device's latency settles in the first moments.
constexpr int kSettlingAnswers = 4;
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

// Waits, with the loop locked, until done() or failed() holds or timeoutMs pass; true when done.
// A server that accepts the socket but never answers must not hold the waiting thread.
template <typename Done, typename Failed>
bool WaitWithDeadline(pa_threaded_mainloop* loop, int timeoutMs, Done done, Failed failed) {
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop);
  struct Deadline {
    pa_threaded_mainloop* loop;
    bool passed = false;  // written and read with the loop's lock held
  } data{loop};
  timeval when;
  pa_gettimeofday(&when);
  pa_timeval_add(&when, static_cast<pa_usec_t>(timeoutMs) * PA_USEC_PER_MSEC);
  pa_time_event* timer = api->time_new(
      api, &when,
      [](pa_mainloop_api*, pa_time_event*, const timeval*, void* d) {
        auto* deadline = static_cast<Deadline*>(d);
        deadline->passed = true;
        pa_threaded_mainloop_signal(deadline->loop, 0);
      },
      &data);
  bool ok = false;
  for (;;) {
    if (done()) {
      ok = true;
      break;
    }
    if (failed() || data.passed) break;
    pa_threaded_mainloop_wait(loop);
  }
  api->time_free(timer);
  return ok;
}

}  // namespace

// One connection to the server: libpulse's mainloop thread and the context on it.
struct PulseConnection {
  pa_threaded_mainloop* loop = nullptr;
  pa_context* context = nullptr;

  PulseConnection() = default;
  PulseConnection(const PulseConnection&) = delete;
  PulseConnection& operator=(const PulseConnection&) = delete;
  ~PulseConnection() {
    if (!loop) return;
    {
      LoopLock lock(loop);
      if (context) {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
      }
    }
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
  }

  bool Ready() const {
    LoopLock lock(loop);
    return context && pa_context_get_state(context) == PA_CONTEXT_READY;
  }

  // Connects within timeoutMs; null (and a reason) when there is no server or it did not answer.
  static std::shared_ptr<PulseConnection> Connect(const QByteArray& server, int timeoutMs,
                                                  QString* reason) {
    auto fail = [&](const QString& why) {
      if (reason) *reason = why;
      return nullptr;
    };
    auto c = std::make_shared<PulseConnection>();
    c->loop = pa_threaded_mainloop_new();
    if (!c->loop) return fail(QStringLiteral("cannot create the PulseAudio mainloop"));
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(c->loop);
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Vireo");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "vireo");
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "music");
    c->context = pa_context_new_with_proplist(api, "Vireo", props);
    pa_proplist_free(props);
    if (!c->context) return fail(QStringLiteral("cannot create a PulseAudio context"));
    pa_context_set_state_callback(
        c->context, [](pa_context*, void* l) { SignalLoop(l); }, c->loop);
    if (pa_threaded_mainloop_start(c->loop) < 0)
      return fail(QStringLiteral("cannot start the PulseAudio mainloop"));

    LoopLock lock(c->loop);
    if (pa_context_connect(c->context, server.isEmpty() ? nullptr : server.constData(),
                           PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
      return fail(QString::fromUtf8(pa_strerror(pa_context_errno(c->context))));
    const bool ready = WaitWithDeadline(
        c->loop, timeoutMs, [&] { return pa_context_get_state(c->context) == PA_CONTEXT_READY; },
        [&] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(c->context)); });
    if (!ready)
      return fail(QStringLiteral("no PulseAudio server: ") +
                  QString::fromUtf8(pa_strerror(pa_context_errno(c->context))));
    return c;
  }
};

namespace {

class PulseSink : public IAudioSink {
 public:
  explicit PulseSink(std::shared_ptr<PulseConnection> connection)
      : connection_(std::move(connection)),
        loop_(connection_->loop),
        context_(connection_->context) {}

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

  bool Open(int timeoutMs) {
    LoopLock lock(loop_);
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kOutputRate, kOutputChannels};
    stream_ = pa_stream_new(context_, "Vireo", &format, nullptr);
    if (!stream_) return false;
    pa_stream_set_state_callback(
        stream_,
        [](pa_stream*, void* self) {
          auto* sink = static_cast<PulseSink*>(self);
          SignalLoop(sink->loop_);
          sink->WakeRender();
        },
        this);
    // The render thread only waits for room when it has a whole request's worth (or the rest of
    // its block) to write; smaller requests do not wake it.
    pa_stream_set_write_callback(
        stream_,
        [](pa_stream*, size_t writable, void* self) {
          auto* sink = static_cast<PulseSink*>(self);
          if (sink->wantBytes_ == 0 || writable < sink->wantBytes_) return;
          SignalLoop(sink->loop_);
          sink->WakeRender(writable);
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
    if (!WaitWithDeadline(
            loop_, timeoutMs, [&] { return pa_stream_get_state(stream_) == PA_STREAM_READY; },
            [&] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)); }))
      return false;
    if (const pa_buffer_attr* got = pa_stream_get_buffer_attr(stream_))
      requestBytes_ = std::max<size_t>(got->minreq, kBytesPerFrame);
    return true;
  }

  // The render thread waits for room on a signal of its own, not on the loop's condition: woken
  // from inside the loop's callback, it would first block on the loop's lock, which the loop
  // still holds, and wake a second time. Woken for room, it takes the room the callback saw and
  // decodes before it takes the loop's lock to write, by when the loop has long let go of it.
  int WaitRoom(int frames) override {
    const size_t want = std::min(requestBytes_, static_cast<size_t>(frames) * kBytesPerFrame);
    for (;;) {
      {
        LoopLock lock(loop_);
        const int room = RoomNowLocked(frames, want);
        if (room != 0) return std::max(room, 0);
        std::lock_guard wake(wakeMutex_);
        woken_ = false;
        roomBytes_ = 0;
        wantBytes_ = want;
      }
      std::unique_lock wake(wakeMutex_);
      wakeCv_.wait(wake, [&] { return woken_; });
      if (roomBytes_ >= want)
        return static_cast<int>(std::min(roomBytes_, static_cast<size_t>(frames) * kBytesPerFrame) /
                                kBytesPerFrame);
    }
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
      std::lock_guard clock(clockMutex_);
      written_ += n;
    }
    // Sent together with the samples, so the question costs no wake-up of its own.
    if (taken > 0 && TimingStale(taken)) RequestTiming();
    return taken;
  }

  // Lock held. The frames that can be written now when at least `want` bytes fit; 0 when fewer
  // fit; -1 when interrupted or failed.
  int RoomNowLocked(int frames, size_t want) {
    wantBytes_ = 0;
    if (interrupted_) {
      interrupted_ = false;
      return -1;
    }
    if (pa_stream_get_state(stream_) != PA_STREAM_READY) {
      failed_ = true;
      return -1;
    }
    const size_t room = pa_stream_writable_size(stream_);
    if (room == static_cast<size_t>(-1)) {
      failed_ = true;
      return -1;
    }
    if (room < want) return 0;
    return static_cast<int>(std::min(room, static_cast<size_t>(frames) * kBytesPerFrame) /
                            kBytesPerFrame);
  }

  // Lock held. Waits on the loop's condition (Write() is called right after WaitRoom() said
  // there is room, so it rarely waits at all).
  int RoomLocked(int frames) {
    const size_t want = std::min(requestBytes_, static_cast<size_t>(frames) * kBytesPerFrame);
    for (;;) {
      const int room = RoomNowLocked(frames, want);
      if (room != 0) return std::max(room, 0);
      wantBytes_ = want;
      pa_threaded_mainloop_wait(loop_);
    }
  }

  // Any thread, loop lock held or not (never the wake lock).
  // room: the bytes the server asked for, when that is what woke it; 0 for anything else (an
  // interruption, a flush, a change of the stream's state), which it looks at under the loop's
  // lock.
  void WakeRender(size_t room = 0) {
    {
      std::lock_guard wake(wakeMutex_);
      woken_ = true;
      roomBytes_ = room;
    }
    wakeCv_.notify_one();
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
    std::lock_guard clock(clockMutex_);
    played_ = written_;
    return true;
  }

  int64_t ReplaceableFrom() const override {
    LoopLock lock(loop_);
    if (!baseKnown_ || failed_) return -1;
    std::lock_guard clock(clockMutex_);
    UpdatePlayed();
    // The server has taken what the device holds; a corked stream gave it back.
    const int64_t taken = corked_ ? 0 : timing_.inDevice;
    return std::min(written_, played_ + taken + kOutputRate * kReplaceMarginMs / 1000);
  }

  // Written where the frames were (the server's write index counts from the stream's start), so
  // the server puts them in place of the old ones, whatever it played meanwhile; what it already
  // took for the device is replaced there too where the device can take it back, else dropped.
  bool Replace(int64_t first, const float* frames, int count) override {
    LoopLock lock(loop_);
    if (!baseKnown_ || failed_ || count <= 0 || first + count != written_ ||
        pa_stream_get_state(stream_) != PA_STREAM_READY)
      return false;
    if (pa_stream_write(stream_, frames, static_cast<size_t>(count) * kBytesPerFrame, nullptr,
                        base_ + first * kBytesPerFrame, PA_SEEK_ABSOLUTE) < 0) {
      failed_ = true;
      return false;
    }
    return true;
  }

  void Interrupt() override {
    {
      LoopLock lock(loop_);
      interrupted_ = true;
      pa_threaded_mainloop_signal(loop_, 0);
    }
    WakeRender();
  }

  void SetPaused(bool paused) override {
    LoopLock lock(loop_);
    // The position stops where it is heard now; after a resume it goes on from there once the
    // server has said how far it is (an answer from before the pause would count the pause).
    {
      std::lock_guard clock(clockMutex_);
      if (paused) UpdatePlayed();
      corked_ = paused;
    }
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
    {
      std::lock_guard clock(clockMutex_);
      written_ = 0;
      played_ = 0;
    }
    baseKnown_ = false;  // the server's write index moved to its read index: ask where that is
    ForgetTiming();
    pa_threaded_mainloop_signal(loop_, 0);
    WakeRender();
  }

  // The progress tick asks this 20 times a second: it takes only the clock's own lock, never the
  // loop's (whose holder may be busy with the server, and whose checks cost more than the answer).
  int64_t PlayedFrames() const override {
    std::lock_guard clock(clockMutex_);
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
    int64_t inDevice = 0;  // frames the server had passed on to the device
    pa_usec_t at = 0;
  };

  // Clock lock held. The heard count from the last answer, counted on by the time since it was
  // true while the server was playing; never back, never past what was written.
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

  // Lock held, after `count` frames were written. Whether the server should be asked again: no
  // answer since the last pause, resume or flush, an answer from before the server was playing,
  // an old one (the clocks drift apart), or one by which the queue had run dry before this write
  // (the server stopped for want of samples, so counting on would run ahead).
  bool TimingStale(int count) const {
    if (timingOp_) return false;  // the answer on its way will do
    if (!timing_.valid || !timing_.playing || settling_ < kSettlingAnswers) return true;
    timeval now;
    pa_gettimeofday(&now);
    const pa_usec_t t = pa_timeval_load(&now);
    if (t < timing_.at || t - timing_.at >= kTimingRefreshUs) return true;
    const int64_t heard =
        timing_.heard + static_cast<int64_t>((t - timing_.at) * kOutputRate / PA_USEC_PER_SEC);
    return heard >= written_ - count;
  }

  // Lock held. After a pause, resume or flush, what the server said before no longer holds.
  void ForgetTiming() {
    ++timingEpoch_;
    settling_ = 0;
    retryMs_ = kFirstRetryMs;
    std::lock_guard clock(clockMutex_);
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
      std::lock_guard clock(clockMutex_);
      timing_.valid = true;
      timing_.playing = ti->playing != 0;
      if (timing_.playing) ++settling_;
      timing_.heard = written_ - queued - inDevice;
      timing_.inDevice = inDevice;
      timing_.at = pa_timeval_load(&ti->timestamp);
      base_ = ti->write_index - written_ * kBytesPerFrame;
      baseKnown_ = true;
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

  std::shared_ptr<PulseConnection> connection_;  // outlives the stream (declared first)
  pa_threaded_mainloop* loop_;
  pa_context* context_;
  pa_stream* stream_ = nullptr;
  // Guarded by the mainloop lock:
  bool interrupted_ = false;
  bool failed_ = false;
  // The clock (corked_, timing_, written_, played_): written with both the loop's lock and
  // clockMutex_ held, read with either; played_, which PlayedFrames() moves on, only with
  // clockMutex_.
  mutable std::mutex clockMutex_;
  bool corked_ = true;
  Timing timing_;
  uint64_t timingEpoch_ = 0;  // moves on with every pause, resume and flush
  uint64_t askedEpoch_ = 0;
  int settling_ = 0;  // answers that found the stream playing since the last ForgetTiming()
  pa_operation* timingOp_ = nullptr;
  bool askAgain_ = false;
  pa_time_event* retry_ = nullptr;
  int retryMs_ = kFirstRetryMs;
  int64_t written_ = 0;
  // The server's write index (bytes) of written frame 0; a new stream's starts at 0.
  int64_t base_ = 0;
  bool baseKnown_ = true;
  mutable int64_t played_ = 0;                   // never goes back between flushes
  size_t requestBytes_ = MsToBytes(kRequestMs);  // the server's actual request size
  size_t wantBytes_ = 0;  // room the waiting render thread needs; 0 when none waits
  // The render thread's own wake-up (see WaitRoom()).
  std::mutex wakeMutex_;
  std::condition_variable wakeCv_;
  bool woken_ = false;    // guarded by wakeMutex_
  size_t roomBytes_ = 0;  // guarded by wakeMutex_
};

}  // namespace

PulseOutput::PulseOutput(QByteArray server, int timeoutMs)
    : server_(server.isEmpty() ? qgetenv("PULSE_SERVER") : std::move(server)),
      timeoutMs_(timeoutMs) {}

PulseOutput::~PulseOutput() = default;

bool PulseOutput::Init(QString* reason) {
  std::lock_guard lock(mutex_);
  connection_ = PulseConnection::Connect(server_, timeoutMs_, reason);
  return connection_ != nullptr;
}

std::unique_ptr<IAudioSink> PulseOutput::OpenSink() {
  std::shared_ptr<PulseConnection> connection;
  {
    std::lock_guard lock(mutex_);
    // Lost (the server restarted) or never made (it started after the player): connect afresh.
    // The old connection lives on until the sinks still holding it are gone.
    if (!connection_ || !connection_->Ready()) {
      // A server that is restarting has no socket for a moment: it is tried again until the
      // deadline, so a track asked for then plays instead of failing at once.
      QElapsedTimer waited;
      waited.start();
      for (;;) {
        connection_ = PulseConnection::Connect(server_, timeoutMs_, nullptr);
        if (connection_ || waited.elapsed() + kRetryConnectMs >= timeoutMs_) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryConnectMs));
      }
    }
    connection = connection_;
  }
  if (!connection) return nullptr;
  auto sink = std::make_unique<PulseSink>(std::move(connection));
  if (!sink->Open(timeoutMs_)) return nullptr;
  return sink;
}

}  // namespace vireo
