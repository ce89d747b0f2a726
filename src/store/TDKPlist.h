#pragma once

#include "store/XmlDocument.h"

#include <QString>

#include <vector>

namespace vireo {

// One entry as stored in the playlist file.
struct TPList {
  QString Title;
  QString Artist;
  QString Path;
  QString Url;       // "1" network entry, "0" local one, as stored
  double Ltime = 0;  // length in days; 0 when missing or not a number
};

// The playlist file: a document element (named by whoever started the file) holding one
// section element per list, one child element per entry with the attributes "Path", "Title",
// "Artist", "Url", "Ltime" in that order. Lives for one load or one save, like TDKConfig, whose
// reading, writing and failure rules it shares: a file that is not well-formed reads as missing
// and is kept as name + ".broken" before it is first replaced; every write replaces the whole
// file atomically.
//
// Threading: an object belongs to the thread that created it.
class TDKPlist {
 public:
  TDKPlist(const QString& fileName, const QString& rootName);
  ~TDKPlist();
  TDKPlist(const TDKPlist&) = delete;
  TDKPlist& operator=(const TDKPlist&) = delete;

  // Writes the file when modified and the file name is not empty; false when writing failed.
  bool Save();
  bool Modified() const { return modified_; }
  XmlDocument::LoadResult Opened() const { return doc_.LastOpen(); }

  // Appends a record for every child element of the root's first child named section, whatever
  // the child's name. Missing attributes read as empty texts, a missing or unreadable "Ltime"
  // as 0. "Ltime" is read with '.' or ',' as the decimal separator.
  void LoadSection(const QString& section);
  // Removes every child of the section; marks the file modified in any case.
  void ClearSection(const QString& section);
  // Walks path ("Section/Entry") from the root, using or appending each element but the last,
  // and always appends the last one with the five attributes. Ltime is written with '.'.
  void AddEntry(const QString& path, const QString& title, double ltime, const QString& filePath,
                const QString& url, const QString& artist);

  int Count() const { return static_cast<int>(records_.size()); }
  // The record, or nullptr for an index outside 0..Count()-1.
  const TPList* Items(int index) const;

  // Ltime as written to and read from the file.
  static QByteArray FormatLtime(double days);
  static double ParseLtime(QByteArrayView text);

 private:
  std::vector<TPList> records_;
  QString fileName_;
  bool modified_ = false;
  XmlDocument doc_;
  // The element path of the last AddEntry call, so that appending many entries to the same
  // section does not look the section up again each time.
  QString lastPath_;
  XmlNode* lastParent_ = nullptr;
};

}  // namespace vireo
