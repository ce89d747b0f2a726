#include "playlist/PlaylistFile.h"

#include <cmath>

#include "playlist/TDDPlaylistModel.h"
#include "playlist/TDKPlist.h"

namespace vireo {
namespace {

const QString& RootName() {
  static const QString name = QStringLiteral("DefaultList");
  return name;
}
const QString& Section() {
  static const QString name = QStringLiteral("PlayerList");
  return name;
}

}  // namespace

bool ParseUrlFlag(const QString& text) {
  const QString t = text.trimmed();
  if (t.compare(u"true", Qt::CaseInsensitive) == 0) return true;
  if (t.compare(u"false", Qt::CaseInsensitive) == 0) return false;
  bool ok = false;
  const double v = t.toDouble(&ok);
  return ok && v != 0 && !std::isnan(v);
}

int LoadPlaylist(TDDPlaylistModel& list, const QString& path,
                 const std::function<void(bool empty)>& showEmptyPanel) {
  TDKPlist store(path, RootName());
  store.LoadSection(Section());
  TDDPlaylistItems& items = list.Items();
  TDDPlaylistItems::Update update(items);
  for (int i = 0; i < store.Count(); ++i) {
    const TPList* r = store.Items(i);
    TDDPlaylistItem& item = items.Add();
    item.FileName = r->Path;
    item.Title = r->Title;
    item.Artist = r->Artist;
    item.Caption = r->Title + QStringLiteral(" - ") + r->Artist;
    item.LongTime = r->Ltime;
    item.ISURL = ParseUrlFlag(r->Url);
  }
  if (showEmptyPanel) showEmptyPanel(items.IsEmpty());
  return store.Count();
}

bool SavePlaylist(const TDDPlaylistModel& list, const QString& path,
                  const std::function<void(bool empty)>& showEmptyPanel) {
  TDKPlist store(path, RootName());
  store.ClearSection(Section());
  const QString entryPath = Section() + QStringLiteral("/LIST");
  const QString one = QStringLiteral("1"), zero = QStringLiteral("0");
  const TDDPlaylistItems& items = list.Items();
  for (int i = 0; i < items.Count(); ++i) {
    const TDDPlaylistItem& item = items[i];
    store.AddEntry(entryPath, item.Title, item.LongTime, item.FileName, item.ISURL ? one : zero,
                   item.Artist);
  }
  if (showEmptyPanel) showEmptyPanel(items.IsEmpty());
  return store.Save();
}

}  // namespace vireo
