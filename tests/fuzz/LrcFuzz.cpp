// The LRC scanner: never crashes, gives what the plain reading of its rules gives, and sorts.
#include <QByteArrayView>

#include "FuzzTarget.h"
#include "LrcReferenceScanner.h"
#include "lyrics/TLyricHandle.h"

namespace {

bool SameItem(const vireo::TLyricItem& a, const vireo::TLyricItem& b) {
  return a.Time == b.Time && a.Text == b.Text && a.TimeText == b.TimeText;
}

bool SameInfo(const vireo::TLRCInfo& a, const vireo::TLRCInfo& b) {
  return a.Title == b.Title && a.Artist == b.Artist && a.Album == b.Album && a.By == b.By &&
         a.Language == b.Language && a.Offset == b.Offset;
}

}  // namespace

VIREO_FUZZ_TARGET(lrc) {
  const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
  vireo::TLyricHandle h;
  h.ParseUtf8(text);

  // The plain reading is quadratic on hostile input: compared on inputs of ordinary size.
  if (size <= 4096) {
    QList<vireo::TLyricItem> items;
    vireo::TLRCInfo info;
    vireo::test::ReferenceParse(text, items, info);
    FUZZ_CHECK(h.Count() == items.size());
    for (qint32 i = 0; i < h.Count() && i < items.size(); ++i)
      FUZZ_CHECK(SameItem(h.GetItem(i), items[i]));
    FUZZ_CHECK(SameInfo(h.Info(), info));
  }

  // Every time is what its time text says, within the ranges the fields allow.
  for (qint32 i = 0; i < h.Count(); ++i) {
    const vireo::TLyricItem it = h.GetItem(i);
    FUZZ_CHECK(!it.TimeText.isEmpty());
    FUZZ_CHECK(it.Time > -100LL * 3600000 && it.Time < 100LL * 3600000);
    FUZZ_CHECK(it.TimeText.startsWith(u'-') == (it.Time < 0));
  }

  const qint32 count = h.Count();
  h.Sort();
  FUZZ_CHECK(h.Count() == count);
  for (qint32 i = 1; i < h.Count(); ++i) FUZZ_CHECK(h.GetItem(i - 1).Time <= h.GetItem(i).Time);
  return 0;
}
