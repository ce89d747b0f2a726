#pragma once

#include <QtGlobal>

#include "lyrics/TLyricItem.h"

namespace vireo {

// How far a karaoke line is sung at a moment: the word being sung (the text between two word
// tags) and how much of it, so that a view can fill the line left to right, smoothly within
// each word. Pure arithmetic on the line's word times, thread-agnostic.
class KaraokeTiming {
 public:
  struct Fill {
    qint32 From = 0;    // the sung text is [0, From) plus Fraction of [From, To)
    qint32 To = 0;
    double Fraction = 0;  // 0..1
  };

  // The fill of item at time at (on the line's own clock, offset applied by the caller); end is
  // when the line stops being current (the next line's time), which ends a last word that has no
  // closing tag. A line without word times is sung whole: From = To = its length.
  static bool HasWords(const TLyricItem& item) { return !item.Words.isEmpty(); }
  static Fill At(const TLyricItem& item, qint32 end, qint32 at);
};

}  // namespace vireo
