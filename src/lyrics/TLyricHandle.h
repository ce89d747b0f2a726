#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include "lyrics/TLRCInfo.h"
#include "lyrics/TLyricItem.h"

namespace vireo {

// Turns the text of an LRC file into a timeline of lines and the file's header values.
//
// The scanner is forgiving and byte based: anything that is not a well-formed tag is skipped and
// nothing is ever an error. It works on the UTF-8 bytes of the text; bytes of 0x80 and above are
// plain filler to it, so no multi-byte character is ever split. Its quirks are deliberate and
// kept because lyric files in the wild rely on them: a numeric field keeps only its last two
// digits, a line's text ends at the first carriage return, a tag needs five bytes after its "[",
// and a fraction not closed by "]" leaves the scan inside the same bracket.
//
// Not thread-safe: one instance belongs to one thread (the lyric view's).
class TLyricHandle {
 public:
  TLyricHandle() = default;

  // Drops every item and resets the header values (offset 0).
  void Clear();
  qint32 Count() const { return static_cast<qint32>(items_.size()); }
  // A copy of the item at a 0-based index; the caller keeps the index in range (an index out of
  // range gives an empty item rather than undefined behaviour).
  TLyricItem GetItem(qint32 index) const;
  void Add(const TLyricItem& item) { items_.append(item); }
  void Insert(qint32 index, const TLyricItem& item);
  void Delete(qint32 index);
  // Stable ascending sort by time: lines with the same time keep their file order.
  void Sort();
  // After Sort: lines of the same time become one, the first in file order keeps its place and
  // the non-empty texts of the others become its Translations (an LRC file gives a translation
  // as a second line with the original's time tag, beside it or anywhere later in the file).
  void GroupTranslations();
  bool HasWordTimes() const;
  bool HasTranslations() const;
  // Clear, then fill the items and the header values from the text; items stay in the order of
  // their time tags in the text (call Sort for time order).
  void Parse(const QString& text);
  void ParseUtf8(QByteArrayView utf8);
  const TLRCInfo& Info() const { return info_; }

  // The two steps after the scan, public for the scanner's tests: the item of one time text as
  // collected from its tag ("-01:23.45"; a fraction of three digits is milliseconds, one or two
  // are hundredths) with its line, and a line's text without the word times karaoke-style files
  // put inside it (<00:02.50>).
  static TLyricItem MakeItem(QByteArrayView timeText, const QString& line);
  static QByteArray WithoutWordTimes(const QByteArray& line);
  // The shown text of a line (its word tags taken out, trimmed) and, into words, where each tag
  // stood in that text and its time.
  static QString LineWithWords(const QByteArray& line, QList<TLyricWord>* words);

 private:
  QList<TLyricItem> items_;
  TLRCInfo info_;
};

}  // namespace vireo
