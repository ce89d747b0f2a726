// Text conversions run for every playlist title, form body and legacy tag.
#include <benchmark/benchmark.h>

#include "base/Gb18030.h"
#include "base/UrlCodec.h"

static QString SampleTitle() {
  return QStringLiteral("周杰伦 - 晴天 (Live at 台北 2004) 😀");
}

static void BM_ToGb18030(benchmark::State& state) {
  const QString t = SampleTitle();
  for (auto _ : state) benchmark::DoNotOptimize(vireo::ToGb18030(t));
}
BENCHMARK(BM_ToGb18030);

static void BM_FromGb18030(benchmark::State& state) {
  const QByteArray b = vireo::ToGb18030(SampleTitle());
  for (auto _ : state) benchmark::DoNotOptimize(vireo::FromGb18030(b));
}
BENCHMARK(BM_FromGb18030);

static void BM_URLEncodeText(benchmark::State& state) {
  const QString t = SampleTitle();
  for (auto _ : state) benchmark::DoNotOptimize(vireo::URLEncodeText(t));
}
BENCHMARK(BM_URLEncodeText);
