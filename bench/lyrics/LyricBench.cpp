// A lyric is parsed whenever a track starts or a lyric is chosen; a long file must not make the
// UI thread stutter.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QString>

#include "base/SimilarityPercent.h"
#include "lyrics/LyricFile.h"
#include "lyrics/TLyricHandle.h"

namespace {

// 5,000 lines with CR LF, Chinese and Latin text, a few lines with two time tags.
QString LongLyric(bool crlf) {
  QString text = QStringLiteral("[ti:晴天]\r\n[ar:周杰伦]\r\n[al:叶惠美]\r\n[offset:-250]\r\n");
  const QString eol = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
  for (int i = 0; i < 5000; ++i) {
    const int cs = i * 37;
    auto tag = [](int centis) {
      return QStringLiteral("[%1:%2.%3]")
          .arg(centis / 6000 % 100, 2, 10, QLatin1Char('0'))
          .arg(centis / 100 % 60, 2, 10, QLatin1Char('0'))
          .arg(centis % 100, 2, 10, QLatin1Char('0'));
    };
    text += tag(cs);
    if (i % 10 == 0) text += tag(cs + 90000);
    text += QStringLiteral("故事的小黄花 从出生那年就飘着 line %1").arg(i) + eol;
  }
  return text;
}

void BM_Parse5000Lines(benchmark::State& state) {
  const QByteArray utf8 = LongLyric(state.range(0) != 0).toUtf8();
  vireo::TLyricHandle h;
  for (auto _ : state) {
    h.ParseUtf8(utf8);
    h.Sort();
    benchmark::DoNotOptimize(h.Count());
  }
  state.SetBytesProcessed(state.iterations() * utf8.size());
}
BENCHMARK(BM_Parse5000Lines)->Arg(1)->Arg(0)->ArgNames({"crlf"})->Unit(benchmark::kMicrosecond);

void BM_ParseQString5000Lines(benchmark::State& state) {
  const QString text = LongLyric(true);
  vireo::TLyricHandle h;
  for (auto _ : state) {
    h.Parse(text);
    h.Sort();
    benchmark::DoNotOptimize(h.Count());
  }
}
BENCHMARK(BM_ParseQString5000Lines)->Unit(benchmark::kMicrosecond);

void BM_DecodeAndNormalize5000Lines(benchmark::State& state) {
  const QByteArray bytes = LongLyric(false).toUtf8();
  for (auto _ : state)
    benchmark::DoNotOptimize(vireo::LyricFile::NormalizeLines(vireo::LyricFile::Decode(bytes)));
}
BENCHMARK(BM_DecodeAndNormalize5000Lines)->Unit(benchmark::kMicrosecond);

void BM_SimilarityPercent(benchmark::State& state) {
  const QByteArray a = "yesterday the beatles remastered 2009";
  const QByteArray b = "yesterday beatles";
  for (auto _ : state) benchmark::DoNotOptimize(vireo::SimilarityPercent(a, b));
}
BENCHMARK(BM_SimilarityPercent);

}  // namespace

// Hostile lyrics: brackets whose fractions never close, and header tags inside header values.
// The time per byte must stay flat as the text grows (the scan once took 9 s on 40 KB).
static void BM_ParseUnclosedTimeTags(benchmark::State& state) {
  QByteArray text;
  while (text.size() < state.range(0)) text += "[-0.0";
  text += "[-0.";
  for (auto _ : state) {
    vireo::TLyricHandle h;
    h.ParseUtf8(text);
    benchmark::DoNotOptimize(h.Count());
  }
  state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_ParseUnclosedTimeTags)
    ->Arg(10 << 10)
    ->Arg(40 << 10)
    ->Arg(160 << 10)
    ->Unit(benchmark::kMicrosecond);

static void BM_ParseNestedHeaders(benchmark::State& state) {
  QByteArray text;
  while (text.size() < state.range(0)) text += "[ti:";
  text += "x]";
  for (auto _ : state) {
    vireo::TLyricHandle h;
    h.ParseUtf8(text);
    benchmark::DoNotOptimize(h.Info().Title.size());
  }
  state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_ParseNestedHeaders)->Arg(10 << 10)->Arg(160 << 10)->Unit(benchmark::kMicrosecond);
