// Users keep lists of tens of thousands of tracks for years: loading one at start-up, saving it
// after every edit and sorting it by name must stay quick. Each case also reports the peak
// resident memory it added (peak_MiB) above what the process held before it.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fstream>
#include <random>
#include <string>

#include "playlist/PlaylistFile.h"
#include "playlist/TDDPlaylistModel.h"

using namespace vireo;
using namespace Qt::StringLiterals;

namespace {

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  return 0;
}

// Resets the peak to the present resident size, so the peak measured next is this case's own.
long ResetPeak() {
  malloc_trim(0);  // hand freed heap back, so that reuse of it does not hide a case's own use
  std::ofstream("/proc/self/clear_refs") << "5";
  return StatusKiB("VmRSS");
}

void ReportPeak(benchmark::State& state, long baseKiB) {
  state.counters["peak_MiB"] = static_cast<double>(StatusKiB("VmHWM") - baseKiB) / 1024.0;
}

const QString& Folder() {
  static QTemporaryDir dir;
  static const QString path = dir.path();
  return path;
}

// A list as it grows in real use: Chinese and Latin titles, local paths and a few URLs.
void MakeList(TDDPlaylistModel& list, int n) {
  static const QStringList artists = {u"周杰伦"_s, u"王菲"_s,        u"陶喆"_s,   u"Beyond"_s,
                                      u"邓丽君"_s, u"The Beatles"_s, u"林俊杰"_s, u"五月天"_s};
  static const QStringList words = {
      u"晴天"_s, u"红豆"_s, u"普通朋友"_s, u"海阔天空"_s, u"月亮代表我的心"_s, u"Yesterday"_s,
      u"江南"_s, u"倔强"_s, u"Live"_s,     u"Remix"_s,    u"夜曲"_s,           u"光辉岁月"_s};
  std::mt19937 rng(42);
  auto& items = list.Items();
  items.BeginUpdate();
  for (int i = 0; i < n; ++i) {
    const QString& artist = artists[static_cast<int>(rng() % artists.size())];
    const QString title = words[static_cast<int>(rng() % words.size())] + u' ' +
                          words[static_cast<int>(rng() % words.size())] + u' ' + QString::number(i);
    TDDPlaylistItem& item = items.Add();
    item.Title = title;
    item.Artist = artist;
    item.Caption = title + u" - "_s + artist;
    item.ISURL = i % 20 == 0;
    item.FileName =
        item.ISURL ? QString(u"http://music.example.com/down/"_s + QString::number(i) + u".mp3"_s)
                   : QString(u"/home/user/音乐/"_s + artist + u'/' + title + u".mp3"_s);
    item.LongTime = static_cast<double>(120 + rng() % 300) / 86400.0;
  }
  items.EndUpdate();
}

QString ListFile(int n) {
  const QString path = Folder() + u"/list-"_s + QString::number(n) + u".pls"_s;
  if (!QFileInfo::exists(path)) {
    TDDPlaylistModel list;
    MakeList(list, n);
    SavePlaylist(list, path);
  }
  return path;
}

void BM_LoadPlaylist(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const QString path = ListFile(n);
  const long base = ResetPeak();
  for (auto _ : state) {
    TDDPlaylistModel list;
    benchmark::DoNotOptimize(LoadPlaylist(list, path));
  }
  ReportPeak(state, base);
  state.counters["file_MiB"] = static_cast<double>(QFileInfo(path).size()) / (1 << 20);
}
BENCHMARK(BM_LoadPlaylist)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SavePlaylist(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TDDPlaylistModel list;
  MakeList(list, n);
  const QString path = Folder() + u"/save-"_s + QString::number(n) + u".pls"_s;
  SavePlaylist(list, path);  // an existing file is the usual case
  const long base = ResetPeak();
  for (auto _ : state) benchmark::DoNotOptimize(SavePlaylist(list, path));
  ReportPeak(state, base);
}
BENCHMARK(BM_SavePlaylist)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SortByName(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TDDPlaylistModel list;
  MakeList(list, n);
  list.SetCurrentItem(n / 2);
  const long base = ResetPeak();
  for (auto _ : state) {
    state.PauseTiming();
    list.Items().Sort(TDDPlaylistItems::Random);
    state.ResumeTiming();
    list.Items().Sort(TDDPlaylistItems::ByCaption);
  }
  ReportPeak(state, base);
}
BENCHMARK(BM_SortByName)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
