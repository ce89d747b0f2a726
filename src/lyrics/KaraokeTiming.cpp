#include "lyrics/KaraokeTiming.h"

#include <algorithm>

namespace vireo {

KaraokeTiming::Fill KaraokeTiming::At(const TLyricItem& item, qint32 end, qint32 at) {
  const qint32 length = qint32(item.Text.size());
  Fill fill;
  if (item.Words.isEmpty() || length == 0) {
    fill.From = fill.To = length;
    return fill;
  }
  // The pieces of the line: text before the first tag is sung from the line's time, every tag
  // starts the text up to the next one, and a tag at the very end only closes the last word.
  // Times that go backwards (a file edited by hand) never make the fill move left.
  qint32 from = 0;
  qint64 start = item.Time;
  for (qsizetype k = 0; k <= item.Words.size(); ++k) {
    const bool last = k == item.Words.size();
    const qint32 to = last ? length : std::clamp(item.Words[k].Pos, from, length);
    const qint64 stop = last ? std::max<qint64>(end, start) : std::max<qint64>(item.Words[k].Time, start);
    if (to > from) {
      if (at < start) {
        fill.From = fill.To = from;
        return fill;
      }
      if (at < stop) {
        fill.From = from;
        fill.To = to;
        fill.Fraction = double(at - start) / double(stop - start);
        return fill;
      }
    }
    if (last) break;
    from = to;
    start = stop;
  }
  fill.From = fill.To = length;
  return fill;
}

}  // namespace vireo
