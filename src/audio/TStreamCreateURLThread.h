#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "audio/NetworkSource.h"
#include "audio/PlayerSharedValues.h"

namespace vireo {

class AudioDecoder;
class IAudioOutput;
class IAudioSink;
class WorkerJob;

// The engine's stream opener: one blocking job of the worker registry's "engine" group, on its
// own thread, that frees itself when done.
// It opens the name as a local file; failing that, as a network stream (following playlist files
// to their first entry), reporting the connecting state first. For a local file it asks the gain
// tool for the file's gain when levelling is on. It also opens the output sink, so the UI thread
// never waits on the disk, the network or the sound server.
//
// Threading contract: Start() and Terminate() are called on the UI thread. The callbacks run on
// the opener thread (onConnecting, onDone) or on a download thread (onChunk); each must only post
// to the UI thread. onDone runs exactly once, last. A terminated network open delivers no stream;
// a local open ignores termination and delivers its stream.
class TStreamCreateURLThread : public std::enable_shared_from_this<TStreamCreateURLThread> {
 public:
  struct Result {
    std::unique_ptr<AudioDecoder> decoder;
    std::unique_ptr<IAudioSink> sink;
    int error = 0;  // AudioError detail when there is no stream
    bool network = false;
    std::shared_ptr<IAudioOutput> output;  // keeps the device alive while the sink exists
    ~Result();
  };

  struct Job {
    QString name;
    std::shared_ptr<IAudioOutput> output;  // null: no device was initialised
    QString gainTool;                      // empty: do not measure
    std::function<void()> onConnecting;
    NetworkSource::ChunkHandler onChunk;
    NetworkSource::TitleHandler onTitle;  // a radio station's song titles; download thread
    std::function<void(std::shared_ptr<Result>)> onDone;
    // Where the download size and the measured gain are published (the engine's); null: a set of
    // the job's own.
    std::shared_ptr<PlayerSharedValues> shared;
    // False: the decoder only (a next track flows into the sink of the one before it).
    bool withSink = true;
  };

  static std::shared_ptr<TStreamCreateURLThread> Start(Job job);
  void Terminate();
  // Waits until the opener thread has ended (onDone has run); false when timeoutMs passed first.
  bool Wait(int timeoutMs) const;
  bool Terminated() const { return terminated_.load(); }

 private:
  explicit TStreamCreateURLThread(Job job) : job_(std::move(job)) {}
  void Run();
  std::shared_ptr<Result> OpenLocal();
  float MeasureGain() const;
  std::shared_ptr<Result> OpenNetwork();
  // Opens the output sink for a decoder that opened; without a sink the open failed.
  void AttachSink(Result& result, std::unique_ptr<AudioDecoder> decoder);

  static constexpr int kMaxPlaylistHops = 3;
  Job job_;
  std::shared_ptr<WorkerJob> worker_;  // set by Start(); the job itself does not use it
  std::atomic<bool> terminated_{false};
  bool noOutput_ = false;  // opener thread: the output gave no sink
  std::mutex mutex_;       // guards current_
  std::shared_ptr<NetworkSource> current_;
};

}  // namespace vireo
