// The LRC scanner: never crashes, gives what the plain reading of its rules gives, and sorts.
#include <QByteArrayView>

#include "FuzzTarget.h"
#include "LrcReferenceScanner.h"
#include "lyrics/KaraokeTiming.h"
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

  // Word tags: inside the shown text, in text order, and the fill they give stays on the line
  // whatever the times say.
  const qsizetype angles = text.count('<');
  for (qint32 i = 0; i < h.Count(); ++i) {
    const vireo::TLyricItem it = h.GetItem(i);
    FUZZ_CHECK(it.Words.size() <= angles);
    qint32 last = 0;
    for (const vireo::TLyricWord& w : it.Words) {
      FUZZ_CHECK(w.Pos >= last && w.Pos <= it.Text.size());
      last = w.Pos;
    }
    for (qint32 t : {it.Time - 1, it.Time, it.Time + 700, INT32_MAX, INT32_MIN}) {
      const auto fill = vireo::KaraokeTiming::At(it, it.Time + 5000, t);
      FUZZ_CHECK(fill.From >= 0 && fill.From <= fill.To && fill.To <= it.Text.size());
      FUZZ_CHECK(fill.Fraction >= 0 && fill.Fraction <= 1);
    }
  }

  const qint32 count = h.Count();
  h.Sort();
  FUZZ_CHECK(h.Count() == count);
  for (qint32 i = 1; i < h.Count(); ++i) FUZZ_CHECK(h.GetItem(i - 1).Time <= h.GetItem(i).Time);

  // One line per time afterwards, every other line of that time kept as its translation.
  qint32 distinct = 0, texts = 0;
  for (qint32 i = 0; i < h.Count(); ++i) {
    if (i == 0 || h.GetItem(i - 1).Time != h.GetItem(i).Time) ++distinct;
    else if (!h.GetItem(i).Text.isEmpty()) ++texts;
  }
  h.GroupTranslations();
  FUZZ_CHECK(h.Count() == distinct);
  qint32 translations = 0;
  for (qint32 i = 0; i < h.Count(); ++i) {
    if (i > 0) FUZZ_CHECK(h.GetItem(i - 1).Time < h.GetItem(i).Time);
    translations += qint32(h.GetItem(i).Translations.size());
  }
  FUZZ_CHECK(translations == texts);
  return 0;
}
