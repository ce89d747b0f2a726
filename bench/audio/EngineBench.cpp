// The engine's end-to-end figures, printed as a table:
//   - CPU per second of playback of an MP3 (flat and with all ten bands set), side by side with
//     `ffmpeg -i FILE -f null -` on the same file (the decode floor);
//   - the time from Play to state 1002 for a local file, and to the first sound the server
//     reports as played (with the sink kept at low latency by a monitor recording);
//   - the peak memory while a 10-minute track plays;
//   - how soon a volume change and an equalizer change are heard, from a recording of the null
//     sink's monitor (target: within 300 ms, while the server holds two seconds).
// Run it under scripts/with-services.sh (it needs a PulseAudio server) from the build folder:
//   bash ../scripts/with-services.sh bench/audio/bench_audio_engine [realtime]
// ("realtime" runs only the decode floor and the real-time cases, "latency" only the changes).
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <numbers>
#include <vector>

#include "audio/NullOutput.h"
#include "audio/TAudioEngine.h"

using namespace vireo;

namespace {

double CpuMs(int who) {
  rusage u{};
  getrusage(who, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
         (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

long StatusKb(const char* field) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith(field))
      return line.mid(static_cast<qsizetype>(strlen(field))).trimmed().split(' ')[0].toLong();
  return -1;
}

struct ThreadUse {
  QString name;
  double cpuMs = 0;   // from the scheduler's own accounting, in nanoseconds
  long switches = 0;  // voluntary + involuntary context switches: how often it slept and woke
};

// CPU and wake-ups per thread of this process, by thread id.
std::map<QString, ThreadUse> ThreadCpu() {
  std::map<QString, ThreadUse> out;
  for (const QString& tid :
       QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QString base = QStringLiteral("/proc/self/task/%1/").arg(tid);
    QFile comm(base + QStringLiteral("comm")), sched(base + QStringLiteral("schedstat")),
        status(base + QStringLiteral("status"));
    if (!comm.open(QIODevice::ReadOnly) || !sched.open(QIODevice::ReadOnly) ||
        !status.open(QIODevice::ReadOnly))
      continue;
    ThreadUse use;
    use.name = QString::fromUtf8(comm.readAll().trimmed());
    use.cpuMs = sched.readAll().split(' ').value(0).toDouble() / 1e6;
    for (const QByteArray& line : status.readAll().split('\n'))
      if (line.startsWith("voluntary_ctxt_switches:") ||
          line.startsWith("nonvoluntary_ctxt_switches:"))
        use.switches += line.mid(line.indexOf(':') + 1).trimmed().toLong();
    out[tid] = use;
  }
  return out;
}

// Runs the event loop (sleeping between events) until pred() holds, checking every pollMs.
void RunUntil(const std::function<bool()>& pred, int pollMs = 5) {
  if (pred()) return;
  QEventLoop loop;
  QTimer poll;
  poll.setTimerType(Qt::PreciseTimer);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (pred()) loop.quit();
  });
  poll.start(pollMs);
  loop.exec();
}

bool Ffmpeg(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("ffmpeg"),
          QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                      QStringLiteral("error"), QStringLiteral("-y")} +
              args);
  return p.waitForFinished(600000) && p.exitCode() == 0;
}

// Music-like test material: a chord with noise, so the encoder spends its bits as on a song.
QString MakeMp3(const QString& dir, int seconds) {
  const QString path = dir + QStringLiteral("/bench-%1s.mp3").arg(seconds);
  const QString src =
      QStringLiteral(
          "aevalsrc=0.2*sin(2*PI*220*t)+0.15*sin(2*PI*277*t)+0.1*sin(2*PI*330*t)+0.05*sin(2*PI*"
          "1760*t)*sin(2*PI*0.5*t)|"
          "0.2*sin(2*PI*220*t)+0.1*sin(2*PI*330*t)+0.12*sin(2*PI*440*t):s=44100:d=%1")
          .arg(seconds);
  Ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), src,
          QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
          QStringLiteral("anoisesrc=a=0.05:d=%1:c=pink").arg(seconds),
          QStringLiteral("-filter_complex"),
          QStringLiteral("[1]aformat=channel_layouts=stereo[n];[0][n]amix=inputs=2:normalize=0"),
          QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"),
          QStringLiteral("192k"), path});
  return path;
}

double FfmpegFloorMs(const QString& file) {
  double best = 1e30;
  for (int i = 0; i < 3; ++i) {
    const double before = CpuMs(RUSAGE_CHILDREN);
    Ffmpeg({QStringLiteral("-i"), file, QStringLiteral("-f"), QStringLiteral("null"),
            QStringLiteral("-")});
    best = std::min(best, CpuMs(RUSAGE_CHILDREN) - before);
  }
  return best;
}

// Plays the file to its end on an output that takes everything at once; the process's CPU time
// for it, best of three.
double EngineCpuMs(const QString& file, const std::array<int, kBandCount>& gains,
                   long* peakKb = nullptr) {
  double best = 1e30;
  for (int i = 0; i < (peakKb ? 1 : 3); ++i) {
    TAudioEngine engine(QString(), std::make_shared<NullOutput>(false));
    engine.SetVolume(80);
    engine.SetEQ(gains);
    bool ended = false;
    QObject::connect(&engine, &TAudioEngine::OnEnd, [&](AudioState) { ended = true; });
    const double before = CpuMs(RUSAGE_SELF);
    engine.Play(file);
    RunUntil([&] { return ended; }, 20);
    best = std::min(best, CpuMs(RUSAGE_SELF) - before);
    if (peakKb) *peakKb = StatusKb("VmHWM:");
  }
  return best;
}

// Amplitude of one frequency in 16-bit stereo samples (left channel), by correlation.
double ToneAmplitude(const char* raw, qsizetype frames, double hz) {
  const auto* s = reinterpret_cast<const int16_t*>(raw);
  double re = 0, im = 0;
  for (qsizetype i = 0; i < frames; ++i) {
    const double w = 2 * std::numbers::pi * hz * static_cast<double>(i) / 44100.0;
    re += s[2 * i] / 32768.0 * std::cos(w);
    im += s[2 * i] / 32768.0 * std::sin(w);
  }
  return 2 * std::hypot(re, im) / static_cast<double>(frames);
}

// Plays a 3 s tone of 6000 Hz at 0.1 while the null sink's monitor is recorded, and at 1 s either
// lowers the volume to a quarter or raises the 6000 Hz band by 12 dB. Returns how long after the
// change (by the engine's position) the recording shows it, measured back from the track's end
// (a sink that is just waking may cut the recording's start); -1 when it could not be told.
double ChangeHeardAfterMs(const QString& dir, bool equalizer) {
  const QString tone = dir + QStringLiteral("/tone6000.flac");
  if (!QFile::exists(tone))
    Ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("aevalsrc=0.1*sin(2*PI*6000*t)|0.1*sin(2*PI*6000*t):s=44100:d=3"),
            tone});
  const QString raw = dir + QStringLiteral("/monitor.raw");
  QProcess parec;
  parec.setStandardOutputFile(raw);
  parec.start(QStringLiteral("parec"),
              {QStringLiteral("--device=null.monitor"), QStringLiteral("--format=s16le"),
               QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"),
               QStringLiteral("--latency-msec=20")});
  if (!parec.waitForStarted(3000)) return -1;
  QElapsedTimer settle;
  settle.start();
  RunUntil([&] { return settle.elapsed() >= 300; });
  int changedAt = -1;
  {
    TAudioEngine engine;
    if (!engine.OutputReady()) return -1;
    engine.SetVolume(100);
    bool ended = false;
    QObject::connect(&engine, &TAudioEngine::OnEnd, [&](AudioState) { ended = true; });
    engine.Play(tone);
    RunUntil([&] { return engine.GetPosition() >= 1000; }, 2);
    changedAt = engine.GetPosition();
    if (equalizer) {
      std::array<int, kBandCount> gains{};
      gains[6] = 12;
      engine.SetEQ(gains);
    } else {
      engine.SetVolume(25);
    }
    RunUntil([&] { return ended; }, 20);
  }
  parec.terminate();
  parec.waitForFinished(2000);
  QFile f(raw);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray bytes = f.readAll();
  const qsizetype step = 441;  // frames: 10 ms
  const double threshold = equalizer ? 0.2 : 0.05, last = equalizer ? 0.05 : 0.012;
  qsizetype onset = -1, change = -1, end = -1;
  for (qsizetype at = 0; (at + step) * 4 <= bytes.size(); at += step) {
    const double level = ToneAmplitude(bytes.constData() + at * 4, step, 6000);
    if (level > last) {
      if (onset < 0) onset = at;
      end = at + step;
    }
    if (onset >= 0 && change < 0 && at > onset + 20 * step &&
        (equalizer ? level > threshold : level < threshold))
      change = at;
  }
  if (change < 0 || end <= change) return -1;
  const double heardAt = 3000.0 - static_cast<double>(end - change) / 44.1;
  return heardAt - changedAt;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const int seconds = 60;
  // "realtime": only the decode floor and the real-time runs, for quick comparisons.
  const bool realTimeOnly = argc > 1 && qstrcmp(argv[1], "realtime") == 0;
  if (argc > 1 && qstrcmp(argv[1], "latency") == 0) {
    std::vector<double> volume, equalizer;
    for (int i = 0; i < 3; ++i) {
      volume.push_back(ChangeHeardAfterMs(dir.path(), false));
      equalizer.push_back(ChangeHeardAfterMs(dir.path(), true));
    }
    std::sort(volume.begin(), volume.end());
    std::sort(equalizer.begin(), equalizer.end());
    std::printf("Change heard after (recording of the null sink's monitor; median of 3, all)\n");
    std::printf("  volume 100 -> 25             %6.0f ms  (%.0f, %.0f, %.0f)\n", volume[1],
                volume[0], volume[1], volume[2]);
    std::printf("  equalizer 6 kHz +12 dB       %6.0f ms  (%.0f, %.0f, %.0f)\n", equalizer[1],
                equalizer[0], equalizer[1], equalizer[2]);
    return 0;
  }
  std::printf("making test material...\n");
  std::fflush(stdout);
  const QString mp3 = MakeMp3(dir.path(), seconds);
  const QString longMp3 = realTimeOnly ? QString() : MakeMp3(dir.path(), 600);
  const QString shortMp3 = MakeMp3(dir.path(), 5);
  const QString realtimeMp3 = MakeMp3(dir.path(), 12);

  const double floorMs = FfmpegFloorMs(mp3);
  const double flatMs = realTimeOnly ? 0 : EngineCpuMs(mp3, {});
  const double bandsMs = realTimeOnly ? 0 : EngineCpuMs(mp3, {6, 4, 2, -1, -3, 2, 4, 6, -5, 8});
  std::printf("\nCPU per second of playback (60 s MP3, 192 kbit/s; best of 3)\n");
  std::printf("  ffmpeg -i FILE -f null -      %6.2f ms/s\n", floorMs / seconds);
  std::printf("  engine, equalizer flat        %6.2f ms/s  (%.2fx the floor)\n", flatMs / seconds,
              flatMs / floorMs);
  std::printf("  engine, all ten bands set     %6.2f ms/s  (%.2fx the floor)\n", bandsMs / seconds,
              bandsMs / floorMs);

  // Real time through PulseAudio: decoding, equalizer, output and the 50 ms spectrum ticks.
  // Modes: flat without a progress receiver; flat, progress without the spectrum; flat; ten bands.
  for (const int mode : {0, 3, 1, 2}) {
    const bool bands = mode == 2;
    TAudioEngine engine;
    if (!engine.OutputReady()) break;
    engine.SetVolume(80);
    if (bands) engine.SetEQ({6, 4, 2, -1, -3, 2, 4, 6, -5, 8});
    int ticks = 0;
    if (mode == 3) engine.SetSpectrumWanted(false);
    if (mode > 0)
      QObject::connect(&engine, &TAudioEngine::OnProgress,
                       [&](AudioState, int, int, const float*, const uint32_t*) { ++ticks; });
    // Measured from a second in, past the start of the stream and of the server's sink.
    QElapsedTimer warm;
    warm.start();
    engine.Play(realtimeMp3);
    RunUntil([&] { return engine.State() == AudioState::Playing && engine.GetPosition() >= 1000; },
             20);
    const double warmS = warm.elapsed() / 1000.0;
    const double before = CpuMs(RUSAGE_SELF);
    const auto threadsBefore = ThreadCpu();
    const int from = engine.GetPosition();
    QElapsedTimer wall;
    wall.start();
    RunUntil([&] { return wall.elapsed() >= 8000; }, 500);
    const double played = (engine.GetPosition() - from) / 1000.0;
    std::printf(
        "  engine, real time on PulseAudio, %-32s %6.2f ms/s (%.1f s in 8 s, first second "
        "took %.1f s, %d ticks)\n",
        mode == 0   ? "flat, no progress receiver:"
        : mode == 3 ? "flat, progress without spectrum:"
        : mode == 1 ? "flat, spectrum every 50 ms:"
                    : "ten bands, spectrum every 50 ms:",
        (CpuMs(RUSAGE_SELF) - before) / played, played, warmS, ticks);
    for (const auto& [tid, info] : ThreadCpu()) {
      const auto was = threadsBefore.find(tid);
      const bool old = was != threadsBefore.end();
      const double spent = info.cpuMs - (old ? was->second.cpuMs : 0.0);
      const long wakes = info.switches - (old ? was->second.switches : 0);
      if (spent > 0.01)
        std::printf("      thread %-16s %6.2f ms/s, %5.0f wake-ups/s\n",
                    info.name.toUtf8().constData(), spent / played, wakes / played);
    }
  }
  if (realTimeOnly) return 0;

  // Play to 1002, and to the first sound the server reports as heard. A monitor recording keeps
  // the null sink at low latency, as a desktop sink runs (an idle null sink wakes only every 2 s).
  QProcess parec;
  parec.setStandardOutputFile(QProcess::nullDevice());
  parec.start(QStringLiteral("parec"),
              {QStringLiteral("--device=null.monitor"), QStringLiteral("--latency-msec=5")});
  parec.waitForStarted(3000);
  QThread::msleep(2500);
  std::vector<double> toPlaying, toSound;
  {
    TAudioEngine engine;
    if (engine.OutputReady()) {
      engine.SetVolume(80);
      for (int i = 0; i < 15; ++i) {
        QElapsedTimer t;
        double playingAt = -1;
        const auto connection = QObject::connect(&engine, &TAudioEngine::OnStateChange, [&](AudioState s) {
          if (s == AudioState::Playing) playingAt = t.nsecsElapsed() / 1e6;
        });
        t.start();
        engine.Play(shortMp3);
        RunUntil([&] { return playingAt >= 0 && (engine.GetPosition() > 0 || t.elapsed() > 3000); },
                 1);
        toPlaying.push_back(playingAt);
        toSound.push_back(t.nsecsElapsed() / 1e6);
        QObject::disconnect(connection);
        engine.Stop();
        QThread::msleep(100);
      }
    }
  }
  parec.terminate();
  parec.waitForFinished(2000);
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1.0 : v[v.size() / 2];
  };
  std::printf("\nLocal MP3, PulseAudio, 15 runs (median / worst)\n");
  std::printf("  Play -> state 1002            %6.2f / %6.2f ms\n", median(toPlaying),
              toPlaying.empty() ? -1.0 : *std::max_element(toPlaying.begin(), toPlaying.end()));
  std::printf("  Play -> first sound heard     %6.2f / %6.2f ms\n", median(toSound),
              toSound.empty() ? -1.0 : *std::max_element(toSound.begin(), toSound.end()));

  const long before = StatusKb("VmHWM:");
  long peak = 0;
  const double longMs = EngineCpuMs(longMp3, {6, 4, 2, -1, -3, 2, 4, 6, -5, 8}, &peak);
  QFile f(longMp3);
  std::printf("\n10-minute MP3 (%lld bytes), played to the end with the equalizer on\n",
              static_cast<long long>(f.size()));
  std::printf("  peak resident memory          %ld KiB (%ld KiB before playing it)\n", peak,
              before);
  std::printf("  CPU                           %.0f ms (%.2f ms/s)\n", longMs, longMs / 600);
  return 0;
}
