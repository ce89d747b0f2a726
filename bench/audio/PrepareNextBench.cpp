// What preparing the next track costs the worker that does it: opening the file and decoding
// its first block (a quarter second), per format. The files are made once with ffmpeg.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "audio/AudioCodes.h"
#include "audio/AudioDecoder.h"

using namespace vireo;

namespace {

QString Track(const QString& ext, const QStringList& codec) {
  static QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("next.") + ext);
  if (QFile::exists(path)) return path;
  QProcess ffmpeg;
  ffmpeg.start(QStringLiteral("ffmpeg"),
               QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                           QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                           QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("aevalsrc=0.5*sin(2*PI*441*t)|0.5*sin(2*PI*441*t):"
                                          "s=44100:d=240")} +
                   codec + QStringList{path});
  ffmpeg.waitForFinished(120000);
  return path;
}

void PrepareNext(benchmark::State& state, const QString& ext, const QStringList& codec) {
  const QString path = Track(ext, codec);
  std::vector<float> block(static_cast<size_t>(kOutputRate / 4) * 2);
  for (auto _ : state) {
    auto opened = AudioDecoder::OpenFile(path);
    if (!opened.decoder) {
      state.SkipWithError("cannot open");
      break;
    }
    benchmark::DoNotOptimize(opened.decoder->Read(block.data(), kOutputRate / 4));
  }
}

}  // namespace

BENCHMARK_CAPTURE(PrepareNext, wav, QStringLiteral("wav"), QStringList{})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PrepareNext, flac, QStringLiteral("flac"), QStringList{})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PrepareNext, mp3, QStringLiteral("mp3"),
                  QStringList{QStringLiteral("-b:a"), QStringLiteral("192k")})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PrepareNext, ogg, QStringLiteral("ogg"),
                  QStringList{QStringLiteral("-c:a"), QStringLiteral("libvorbis")})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PrepareNext, m4a, QStringLiteral("m4a"),
                  QStringList{QStringLiteral("-c:a"), QStringLiteral("aac")})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // The decoder module is built beside the player, not beside the benchmark.
  if (qEnvironmentVariableIsEmpty("VIREO_MODULE_DIR"))
    qputenv("VIREO_MODULE_DIR", VIREO_BINARY_DIR "/bin");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
