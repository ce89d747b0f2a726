#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

#include "audio/AudioCodes.h"
#include "audio/TAudioEngine.h"

namespace vireo::test {

// Records every event of an engine in order, as short strings: "state 1002", "error 1006 2",
// "end 1004", "chunk" (one per downloaded chunk), "chunk-end";
// plus the figures of the latest progress event.
struct EngineRecorder {
  QStringList events;
  qint64 chunkBytes = 0;
  int progressCount = 0;
  AudioState lastState = AudioState::Stopped;
  int lastLength = 0, lastPosition = 0;
  std::array<float, kFftSingles> fft{};
  std::array<uint32_t, kWaveWords> wave{};
  QObject context;  // the receiver of every connection

  // Connected through a context of the recorder's own, so a recorder that is gone before its
  // engine is never called.
  void Attach(TAudioEngine& e) {
    QObject::connect(&e, &TAudioEngine::OnStateChange, &context,
                     [this](AudioState s) { events << QStringLiteral("state %1").arg(int(s)); });
    QObject::connect(&e, &TAudioEngine::OnError, &context, [this](AudioState c, int d) {
      events << QStringLiteral("error %1 %2").arg(int(c)).arg(d);
    });
    QObject::connect(&e, &TAudioEngine::OnEnd, &context,
                     [this](AudioState s) { events << QStringLiteral("end %1").arg(int(s)); });
    QObject::connect(&e, &TAudioEngine::OnDownload, &context, [this](const char* b, int n, void*) {
      if (b) {
        chunkBytes += n;
        events << QStringLiteral("chunk");
      } else {
        events << QStringLiteral("chunk-end");
      }
    });
    QObject::connect(&e, &TAudioEngine::OnProgress, &context,
                     [this](AudioState s, int len, int pos, const float* f, const uint32_t* w) {
                       ++progressCount;
                       lastState = s;
                       lastLength = len;
                       lastPosition = pos;
                       std::copy(f, f + kFftSingles, fft.begin());
                       std::copy(w, w + kWaveWords, wave.begin());
                     });
  }
  bool Has(const QString& e) const { return events.contains(e); }
  // The events without the chunks, for comparing sequences.
  QStringList States() const {
    QStringList out;
    for (const QString& e : events)
      if (!e.startsWith(QLatin1StringView("chunk"))) out << e;
    return out;
  }
  int PeakBin() const {
    int best = 1;
    for (int k = 1; k < kFftBins; ++k)
      if (fft[k] > fft[best]) best = k;
    return best;
  }
};

}  // namespace vireo::test
