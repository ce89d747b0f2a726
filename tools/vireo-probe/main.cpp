// vireo-probe: plays files or addresses to their end through the audio engine and prints each
// event as one line: state changes, errors, progress (position, length and the strongest
// spectrum bin, every tenth tick), download chunk sizes and the end. Several names play one
// after the other as the player's sequential mode plays a list: each next one prepared while
// the one before plays, so local files follow without a gap.
//
//   vireo-probe [--volume N] [--eq g1,...,g10] [--levelling] [--null] [--seek MS] [--tags]
//               [--no-spectrum | --no-progress] NAME...
// (--no-spectrum: progress without the analysis, as a player that shows no spectrum; --no-progress:
// no progress receiver at all. Both for measuring what each costs.)

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "audio/AudioCodes.h"
#include "audio/NullOutput.h"
#include "audio/TAudioEngine.h"

using namespace vireo;

namespace {

void Line(const QString& text) {
  std::fputs(text.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

QString StateName(AudioState state) {
  switch (state) {
    case AudioState::Stopped:
      return QStringLiteral("stopped");
    case AudioState::Playing:
      return QStringLiteral("playing");
    case AudioState::Paused:
      return QStringLiteral("paused");
    case AudioState::Ended:
      return QStringLiteral("ended");
    case AudioState::Connecting:
      return QStringLiteral("connecting");
    case AudioState::OpenFailed:
      return QStringLiteral("open failed");
    default:
      return QStringLiteral("?");
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  float volume = 100;
  std::array<int, kBandCount> eq{};
  bool levelling = false, useNull = false, showTags = false, spectrum = true, progress = true;
  int seekMs = -1;
  QStringList names;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QLatin1StringView("--volume") && i + 1 < args.size()) {
      volume = args[++i].toFloat();
    } else if (a == QLatin1StringView("--eq") && i + 1 < args.size()) {
      const QStringList g = args[++i].split(QLatin1Char(','));
      for (int b = 0; b < kBandCount && b < g.size(); ++b) eq[b] = g[b].toInt();
    } else if (a == QLatin1StringView("--levelling")) {
      levelling = true;
    } else if (a == QLatin1StringView("--null")) {
      useNull = true;
    } else if (a == QLatin1StringView("--tags")) {
      showTags = true;
    } else if (a == QLatin1StringView("--no-spectrum")) {
      spectrum = false;
    } else if (a == QLatin1StringView("--no-progress")) {
      progress = false;
    } else if (a == QLatin1StringView("--seek") && i + 1 < args.size()) {
      seekMs = args[++i].toInt();
    } else {
      names << a;
    }
  }
  const QString name = names.value(0);
  qsizetype playing = 0;
  if (name.isEmpty()) {
    std::fputs(
        "usage: vireo-probe [--volume N] [--eq g1,...,g10] [--levelling] [--null] [--seek MS] "
        "[--tags] [--no-spectrum | --no-progress] NAME...\n",
        stderr);
    return 2;
  }

  // The gain tool is built into the application folder of the build (build/bin/m3g).
  const QString appDir = app.applicationDirPath() + QStringLiteral("/");
  std::unique_ptr<TAudioEngine> engine =
      useNull ? std::make_unique<TAudioEngine>(appDir, std::make_shared<NullOutput>())
              : std::make_unique<TAudioEngine>(appDir);
  const QString sibling = appDir + QStringLiteral("../../bin/m3g");
  if (QFileInfo(sibling).isExecutable())
    engine->SetGainToolPath(QFileInfo(sibling).canonicalFilePath());
  if (!engine->OutputReady()) Line(QStringLiteral("no sound output: every open will fail"));

  int exitCode = 0;
  int ticks = 0;
  bool sought = false;
  QObject::connect(engine.get(), &TAudioEngine::OnStateChange, [&](AudioState s) {
    Line(QStringLiteral("state %1 (%2)").arg(int(s)).arg(StateName(s)));
    if (s == AudioState::Playing) {
      Line(QStringLiteral("  file %1, length %2 ms, %3 kbit/s, stream volume %4")
               .arg(engine->FileName())
               .arg(engine->GetLength())
               .arg(engine->Bitrate())
               .arg(engine->StreamVolume(), 0, 'f', 3));
      if (playing + 1 < names.size()) engine->PrepareNext(names[playing + 1]);
    }
  });
  QObject::connect(engine.get(), &TAudioEngine::OnError, [&](AudioState code, int detail) {
    Line(QStringLiteral("error %1 detail %2").arg(int(code)).arg(detail));
    if (code == AudioState::OpenFailed) {
      exitCode = 1;
      QTimer::singleShot(0, &app, &QCoreApplication::quit);
    }
  });
  QObject::connect(engine.get(), &TAudioEngine::OnEnd, [&](AudioState s) {
    Line(QStringLiteral("end %1 at %2 ms").arg(int(s)).arg(engine->GetPosition()));
    if (++playing < names.size())
      engine->Play(names[playing]);
    else
      QTimer::singleShot(0, &app, &QCoreApplication::quit);
  });
  QObject::connect(engine.get(), &TAudioEngine::OnDownload,
                   [&](const char* buffer, int length, void*) {
                     if (!buffer) {
                       Line(QStringLiteral("download finished: %1 of %2 bytes")
                                .arg(engine->Shared().DownloadWritten.load())
                                .arg(engine->Shared().DownloadTotal.load()));
                       return;
                     }
                     engine->Shared().DownloadWritten.fetch_add(static_cast<uint32_t>(length));
                     Line(QStringLiteral("download chunk %1 bytes").arg(length));
                   });
  engine->SetSpectrumWanted(spectrum);
  if (progress)
    QObject::connect(
        engine.get(), &TAudioEngine::OnProgress,
        [&](AudioState state, int lengthMs, int positionMs, const float* fft, const uint32_t*) {
          if (seekMs >= 0 && !sought && state == AudioState::Playing) {
            sought = true;
            engine->SetPosition(seekMs);
          }
          if (ticks++ % 10 != 0) return;
          int best = 0;
          for (int k = 1; k < kFftBins; ++k)
            if (fft[k] > fft[best]) best = k;
          Line(
              QStringLiteral("progress state %1 position %2 / %3 ms, strongest bin %4 (~%5 Hz, %6)")
                  .arg(int(state))
                  .arg(positionMs)
                  .arg(lengthMs)
                  .arg(best)
                  .arg(best * kOutputRate / 1024)
                  .arg(fft[best], 0, 'f', 3));
        });

  if (showTags) {
    const TTags t = engine->ReadTags(name);
    Line(QStringLiteral("tags title \"%1\" artist \"%2\" album \"%3\" length %4 s")
             .arg(t.Title, t.Artist, t.Album)
             .arg(t.Length * 86400.0, 0, 'f', 2));
  }
  engine->SetVolume(volume);
  engine->SetDBGain(levelling);
  engine->SetEQ(eq);
  engine->Play(name);
  const int rc = app.exec();
  engine.reset();
  return rc ? rc : exitCode;
}
