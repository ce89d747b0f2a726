#pragma once

#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "app/librarywindow/ILibraryHost.h"
#include "library/IMusicSearch.h"
#include "library/LibraryLink.h"

namespace vireo::test {

// The main window as the library window sees it: records what it is asked to do.
class FakeLibraryHost : public ILibraryHost {
 public:
  QString AddLibraryLink(const QString& link) override {
    links << link;
    const LibraryLink l = LibraryLink::Parse(link);
    entries.push_back(l.Entry());
    plays.push_back(l.IsPlay());
    return l.id;
  }
  void AddLibraryTrack(const TDDPlaylistItem& entry, bool play) override {
    entries.push_back(entry);
    plays.push_back(play);
  }
  void SavePlaylist() override { ++saves; }
  std::shared_ptr<IMusicSearch> MusicSearch() override { return search; }
  QString DataDir() const override { return dataDir; }
  void SetServiceReachable(bool r) override { reachable = r; }
  QWidget* MainWindow() override { return main; }
  void SetLibraryChecked(bool c) override { checked = c; }
  void Close() override { ++closes; }

  QStringList links;
  std::vector<TDDPlaylistItem> entries;
  std::vector<bool> plays;
  int saves = 0;
  int closes = 0;
  bool reachable = false;
  bool checked = false;
  QString dataDir;
  QWidget* main = nullptr;
  std::shared_ptr<IMusicSearch> search;
};

// A search component with results made up on the spot; Search and GetUrl can be held until
// the test lets them go, to catch the window while a worker runs.
class FakeMusicSearch : public IMusicSearch {
 public:
  explicit FakeMusicSearch(int resultsPerPage) : perPage(resultsPerPage) {}

  const TMusicSearchItem* GetItem(int index) const override {
    if (onGetItem) onGetItem(index);
    QMutexLocker lock(&mutex);
    return index >= 0 && index < static_cast<int>(items.size()) ? items[index].get() : nullptr;
  }
  int GetCount() const override {
    QMutexLocker lock(&mutex);
    return static_cast<int>(items.size());
  }
  void ClearResults() override {
    QMutexLocker lock(&mutex);
    items.clear();
    ++clears;
  }
  QString GetUrl(const QString& key, qint32 extra) override {
    ++urlCalls;
    if (holdUrl) urlGate.acquire();
    return QStringLiteral("http://127.0.0.1:9/%1?x=%2").arg(key).arg(extra);
  }
  void Search(const QString& keyword, int offset) override {
    {
      QMutexLocker lock(&mutex);
      searches << qMakePair(keyword, offset);
    }
    if (holdSearch) searchGate.acquire();
    QMutexLocker lock(&mutex);
    items.clear();
    for (int i = 0; i < perPage; ++i) {
      auto item = std::make_unique<TMusicSearchItem>();
      const int n = offset + i;
      item->Title = QStringLiteral("%1 %2").arg(keyword).arg(n);
      item->Singer = QStringLiteral("歌手%1").arg(n);
      item->Album = QStringLiteral("专辑%1").arg(n);
      item->Key = QStringLiteral("key%1").arg(n);
      item->SizeText = QStringLiteral("%1.0 MB").arg(n % 9 + 1);
      item->Speed = 128 + n;
      item->Extra = 1000 + n;
      items.push_back(std::move(item));
    }
  }
  QList<QPair<QString, int>> Searches() const {
    QMutexLocker lock(&mutex);
    return searches;
  }

  int perPage;
  std::atomic<bool> holdSearch{false}, holdUrl{false};
  QSemaphore searchGate, urlGate;
  std::atomic<int> urlCalls{0};
  int clears = 0;
  std::function<void(int)> onGetItem;

 private:
  mutable QMutex mutex;  // guards items and searches
  std::vector<std::unique_ptr<TMusicSearchItem>> items;
  QList<QPair<QString, int>> searches;
};

}  // namespace vireo::test
