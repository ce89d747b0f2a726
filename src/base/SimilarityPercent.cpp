#include "base/SimilarityPercent.h"

#include <cstdlib>
#include <vector>

namespace vireo {
namespace {

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The sound group of an upper-case letter, 0 for bytes that only match themselves.
int SoundGroup(char c) {
  switch (c) {
    case 'A':
    case 'E':
      return 1;
    case 'B':
    case 'P':
      return 2;
    case 'C':
    case 'Z':
      return 3;
    case 'D':
    case 'T':
      return 4;
    case 'F':
    case 'V':
      return 5;
    case 'G':
    case 'K':
      return 6;
    case 'I':
    case 'J':
    case 'Y':
      return 7;
    default:
      return 0;
  }
}

bool Alike(char a, char b, bool fuzzy) {
  if (!fuzzy) return a == b;
  const char ua = Upper(a), ub = Upper(b);
  if (ua == ub) return true;
  const int g = SoundGroup(ua);
  return g != 0 && g == SoundGroup(ub);
}

}  // namespace

int SimilarityPercent(QByteArrayView first, QByteArrayView second, bool fuzzy) {
  if (first.isEmpty() || second.isEmpty()) return 0;
  const QByteArrayView longer = first.size() >= second.size() ? first : second;
  const QByteArrayView shorter = first.size() >= second.size() ? second : first;
  const qsizetype n = longer.size(), m = shorter.size();
  const qsizetype allowed = n / 3 + (n - m);

  // Positions are 1-based, as the walk below is easiest to read that way.
  std::vector<bool> used(static_cast<size_t>(n) + 1, false);
  qsizetype i = 1, j = 1, matches = 0;
  while (j <= m) {
    if (!used[i] && Alike(longer[i - 1], shorter[j - 1], fuzzy) && std::abs(i - j) <= allowed) {
      used[i] = true;
      ++matches;
      ++i;
      ++j;
      if (i > n) i = 1;
    } else if (!used[i]) {
      ++i;
      if (i > n) {
        // Go back to the last paired byte of the longer name and try the next byte of the
        // shorter one from there.
        i = n;
        while (i > 1 && !used[i]) --i;
        ++j;
      }
    } else {
      ++i;
      if (i > n) {
        i = n;
        ++j;
      }
    }
  }
  return static_cast<int>(matches * 100 / n);
}

}  // namespace vireo
