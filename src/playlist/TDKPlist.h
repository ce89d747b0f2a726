#pragma once

#include <QList>
#include <QString>
#include <vector>

#include "base/XmlDocument.h"

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
// Long lists stay quick: loading a section alone streams the file instead of building its
// document, clearing a section before anything else leaves its old entries out of the parse, and
// entries appended one after another are written straight to the output. None of this changes
// a byte of what is read or written.
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
  XmlDocument::LoadResult Opened() { return Doc().LastOpen(); }
  // The bytes Save() writes.
  QByteArray Serialize();

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

  // Turns entries still waiting to be written into document nodes (done on demand whenever the
  // document itself must be consulted; public so that both ways of writing can be compared).
  void MaterializeEntries();

  // Ltime as written to and read from the file.
  static QByteArray FormatLtime(double days);
  static double ParseLtime(QByteArrayView text);

 private:
  struct PendingEntry {
    QByteArray name;
    QByteArray values[5];  // Path, Title, Artist, Url, Ltime as UTF-8
  };

  // The document, parsed on first need (leaving out skipSection's contents when given).
  XmlDocument& Doc(const QString& skipSection = QString());

  std::vector<TPList> records_;
  QString fileName_;
  QString rootName_;
  bool modified_ = false;
  bool parsed_ = false;
  XmlDocument doc_;
  // The element path of the last AddEntry call and the element it led to.
  QString lastPath_;
  XmlNode* lastParent_ = nullptr;
  bool lastParentHasText_ = false;
  // Entries appended to lastParent_ that are not document nodes yet.
  std::vector<PendingEntry> pending_;
};

}  // namespace vireo
