#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "audio/AudioCodes.h"
#include "audio/PlayerSharedValues.h"
#include "audio/TTags.h"

namespace vireo {

class AudioStream;
class IAudioOutput;
class FrequencyAnalyzer;
class TStreamCreateURLThread;
class WorkerJob;

// The player's only sound component: opens a local file or a network stream on a worker thread,
// plays, pauses, stops and seeks it, sets the volume and the ten-band equalizer, reports progress
// with spectrum data every 50 ms, reports the end of a track, passes the bytes of a network stream
// on so the caller can keep a copy, and reads the tags of a file.
//
// Threading contract: the engine is a QObject of the UI thread; every operation is called there.
// Every event handler runs on the UI thread, in the order the events were raised, whether it
// started on the opener thread (1005), a render thread (the end) or a download thread (chunks).
// An event that a later operation overtook is dropped rather than delivered late: the end of a
// stream that was since stopped, sought or replaced (a pause does not undo an end), the connecting
// state and the chunks of an open that Stop() cancelled, and the chunks of a stream that Play()
// replaced. An exception escaping a receiver is caught and dropped (the receivers connected after
// it are then not called for that one event).
//
// The events are signals, so any number of windows can listen, and a receiver that is destroyed is
// disconnected by Qt and never called. Every signal is emitted on the engine's thread; the pointers
// they carry are valid only during the emission, so connect receivers of the engine's thread
// directly (the default), never queued. The progress event ticks on a 50 ms beat only while a
// receiver is connected to it, and the destructor raises no event at all.
class TAudioEngine : public QObject {
  Q_OBJECT

 public:
  // appDir: the folder where the gain tool `m3g` is looked for (empty: the player's module
  // folder, AppFolders::ModuleDir()). The second form plays through the given output instead of the
  // sound server (tests and benchmarks use a null output).
  explicit TAudioEngine(const QString& appDir = {}, QObject* parent = nullptr);
  TAudioEngine(const QString& appDir, std::shared_ptr<IAudioOutput> output,
               QObject* parent = nullptr);
  ~TAudioEngine() override;

  void Play(const QString& name);
  // The entry the player will play when the current track ends by itself (empty: none). A local
  // file is opened ahead on a worker and follows the current track without a gap: its end (1004)
  // is raised when the seam is heard, and a Play() of the same name from the end handler takes
  // up the track already flowing (1002 follows, queued, as after any open). Anything else the
  // caller does instead (another name, a stop, a pause, a seek, a new next) drops it. A network
  // name is connected a few seconds before the end (a station connected at the start of a long
  // track would be heard minutes late) and follows in the same sink too; its connecting state
  // and the chunks that came meanwhile are raised after the end handler, in their order, before
  // its 1002. A current network stream prepares nothing.
  void PrepareNext(const QString& name);
  QString PreparedNext() const { return preparedName_; }
  // The progress tick's period now: 50 ms while someone listens and a track is open, else the
  // idle look-in period.
  int ProgressIntervalMs() const { return progressTimer_.interval(); }
  void Pause();
  void Resume();
  void Stop();
  int GetPosition() const;
  void SetPosition(int ms);
  int GetLength() const;
  void SetVolume(float volume);
  void SetDBGain(bool on);
  void SetEQ(const std::array<int, kBandCount>& gains);
  TTags ReadTags(const QString& name) const;

  AudioState State() const { return state_; }
  QString FileName() const { return fileName_; }
  int Bitrate() const { return bitrate_; }
  QString Filter() const { return filter_; }
  // The last title the current network stream announced (see OnStreamTitle); empty for others.
  QString StreamTitle() const { return streamTitle_; }
  float Volume() const { return volume_; }
  bool DBGain() const { return dbGain_; }
  std::array<int, kBandCount> BandGains() const { return gains_; }

  // The volume factor of the current stream (volume / 100, plus the levelling at its start).
  float StreamVolume() const;
  // Whether the output connected at start-up (a later open connects again when it did not).
  bool OutputReady() const { return outputReady_; }
  bool OpenPending() const { return pending_ != nullptr; }
  // Whether the progress event carries the spectrum and wave of what is heard (the default). A
  // player that shows no spectrum says no and saves the analysis 20 times a second; the event
  // then carries the all-zero buffers, as in any state but 1002.
  void SetSpectrumWanted(bool wanted) { spectrumWanted_ = wanted; }
  bool SpectrumWanted() const { return spectrumWanted_; }
  // The gain tool; it runs only while levelling is on, since its result is used only then.
  void SetGainToolPath(const QString& path) { gainTool_ = path; }
  QString GainToolPath() const { return gainTool_; }
  // The values this engine's openers publish and the main window's cache keeper advances.
  PlayerSharedValues& Shared() const { return *shared_; }

 Q_SIGNALS:
  // Every 50 ms while not stopped: the state, the length and position in ms, and in state 1002
  // the spectrum (kFftSingles singles, the first kFftBins used) and the latest samples
  // (kWaveWords words); all zero in any other state.
  void OnProgress(AudioState state, int lengthMs, int positionMs, const float* fft, const uint32_t* wave);
  void OnError(AudioState code, int detail);
  void OnStateChange(AudioState state);
  void OnEnd(AudioState state);
  // A chunk of the network stream being played; buffer null (and length 0) once it is complete.
  // user is always null.
  void OnDownload(const char* buffer, int length, void* user);
  // The song an internet radio station is playing now, from the stream's ICY metadata, each time
  // it changes; empty when a new open starts after a stream that had one.
  void OnStreamTitle(const QString& title);

 protected:
  void connectNotify(const QMetaMethod& signal) override;
  void disconnectNotify(const QMetaMethod& signal) override;

 private:
  static constexpr int kProgressMs = 50;
  static constexpr int kIdleProgressMs = 500;  // while no tick would raise anything
  static constexpr int kJoinMs = 10000;        // the longest the destructor waits for a thread
  struct Relay;
  void Init(std::shared_ptr<IAudioOutput> output);
  void ProgressTick();
  void OpenCompleted(uint64_t serial, std::shared_ptr<void> result);
  void NextOpened(uint64_t token, std::shared_ptr<void> decoder, float gain);
  void ConnectNext();  // the network next: its open starts now, or its timer is set again
  void NetworkNextOpened(uint64_t token, std::shared_ptr<void> result);
  void NextChunk(uint64_t token, QByteArray bytes, bool end);
  void ReleaseChunks(uint64_t token);  // the adopted stream's 1005, held chunks, 1002
  void DiscardNext();
  void CheckSeam();  // starts the seam timer, or raises the end once the seam is heard
  void SeamHeard();
  bool AdoptNext(const QString& name);
  void UpdateBitrate(uint32_t size);  // from the size and lengthFrames_
  void SetState(AudioState state, bool notify);
  void PaceProgress();
  void RaiseError(AudioState code, int detail);
  void RaiseState(AudioState state);
  bool ProgressWanted() const;
  // Emits a signal; what escapes a receiver is dropped and the player goes on.
  template <typename... Args>
  void Emit(void (TAudioEngine::*signal)(Args...), std::type_identity_t<Args>... args);
  // Frees a stream off the UI thread (stream_ unless another is named).
  void ReleaseStream();
  void ReleaseStream(std::unique_ptr<AudioStream>& which);

  QString appDir_;
  QString gainTool_;
  std::shared_ptr<IAudioOutput> output_;
  std::shared_ptr<Relay> relay_;
  std::unique_ptr<AudioStream> stream_;
  // The stream of the track before, paused, kept on the sound server until the next one has
  // started: a server left without a stream of ours drifts to its longest latency (seconds on a
  // null or timer-scheduled sink), and the next track's first sound would wait that long.
  std::unique_ptr<AudioStream> retiring_;
  std::unique_ptr<FrequencyAnalyzer> analyzer_;
  std::shared_ptr<TStreamCreateURLThread> pending_;
  // Shared with the openers, which may outlive a Stop() on their own threads.
  const std::shared_ptr<PlayerSharedValues> shared_ = std::make_shared<PlayerSharedValues>();
  std::vector<std::shared_ptr<WorkerJob>> releases_;  // streams being freed off the UI thread
  QTimer progressTimer_;
  int64_t lengthFrames_ = -1;
  std::array<int, kBandCount> gains_{};
  std::array<float, kFftSingles> fft_{};
  std::array<uint32_t, kWaveWords> wave_{};
  const std::array<float, kFftSingles> silentFft_{};
  const std::array<uint32_t, kWaveWords> silentWave_{};
  AudioState state_ = AudioState::Stopped;
  QString fileName_;
  int bitrate_ = 0;
  float volume_ =
      0.0f;  // silent until the caller sets a volume, as the main window does at start-up
  QString filter_;
  QString streamTitle_;
  bool dbGain_ = false;
  bool spectrumWanted_ = true;
  bool outputReady_ = false;
  // The next track: its name, the token of its open (a newer one drops an older), the timer
  // that looks for the seam, and the hand-over while the end handler runs at the seam.
  QString preparedName_;
  uint64_t nextToken_ = 0;
  QTimer seamTimer_;
  bool handover_ = false;         // the end at a seam is being raised
  bool handoverStopped_ = false;  // Stop() was called during it
  bool handoverAdopted_ = false;  // Play() of the next track took it up
  // A network next: connected kNetworkLeadMs before the end, by its own opener, into values of
  // its own; its chunks are held (with the token of the next they belong to) until the player
  // has taken the stream up, then passed on as any stream's.
  static constexpr int kNetworkLeadMs = 3000;
  QTimer networkNextTimer_;
  bool nextNetwork_ = false;
  std::shared_ptr<TStreamCreateURLThread> nextOpener_;
  std::shared_ptr<PlayerSharedValues> nextShared_, chunkShared_;  // the next's; the adopted one's
  struct HeldChunk {
    uint64_t token;
    QByteArray bytes;
    bool end;
  };
  std::vector<HeldChunk> heldChunks_;
  uint64_t chunkToken_ = 0;  // the adopted network stream's token; 0: none
  bool chunksReleased_ = false;
  uint64_t serial_ = 0;         // of the last Play(); events of older ones are dropped
  uint64_t cutGeneration_ = 0;  // of the current stream's last seek or stop; older ends are dropped
};

}  // namespace vireo
