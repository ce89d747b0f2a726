#pragma once

#include <QByteArrayView>

namespace vireo {

// How alike two names are, 0 to 100: the share of the longer name's bytes that can be paired, in
// order and within a distance that grows with the difference in length, with bytes of the other.
// With fuzzy on, ASCII letters match without case, and letters that sound alike match each other
// ({A,E} {B,P} {C,Z} {D,T} {F,V} {G,K} {I,J,Y}); with it off only equal bytes match. An empty name
// is like nothing (0). Works on bytes: callers pass GB18030 bytes of their texts, so Chinese names
// are compared as the lyric folders have always been. Pure function, thread-safe.
int SimilarityPercent(QByteArrayView first, QByteArrayView second, bool fuzzy = true);

}  // namespace vireo
