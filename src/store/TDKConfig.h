#pragma once

#include <QString>

#include "base/XmlDocument.h"

namespace vireo {

// The settings store: one XML file in memory, values addressed by a '/'-separated element path
// below the root element plus an attribute name (an empty attribute name means the element's
// text). Element and attribute names are compared exactly, with case.
//
// A store lives for one use: create, read or write, destroy. Writes reach the disk only through
// Save() or the destructor, which saves when something was written. A file that exists but is
// not well-formed is treated like a missing one (every read gives its default); the first save
// keeps the old file beside as name + ".broken" before replacing it.
//
// Threading: a store belongs to the thread that created it.
class TDKConfig {
 public:
  TDKConfig(const QString& fileName, const QString& rootName);
  ~TDKConfig();
  TDKConfig(const TDKConfig&) = delete;
  TDKConfig& operator=(const TDKConfig&) = delete;

  // Writes the file when a value was written since opening or the last save and the file name is
  // not empty. True when the file is up to date afterwards; false when writing failed (the old
  // file is then left as it was and the store stays modified).
  bool Save();
  bool Modified() const { return modified_; }
  const QString& FileName() const { return fileName_; }
  // How the file was found when the store was opened.
  XmlDocument::LoadResult Opened() const { return doc_.LastOpen(); }

  // The element at path below the root; with create, missing elements are appended on the way.
  // nullptr when it does not exist (or a segment is not a valid element name).
  XmlNode* FindNode(const QString& path, bool create);

  void WriteString(const QString& path, const QString& attribute, const QString& value);
  void WriteInteger(const QString& path, const QString& attribute, qint32 value);
  void WriteBool(const QString& path, const QString& attribute, bool value);

  // A missing element, a missing or empty attribute give the default. Without an attribute name
  // the element's text is returned, even when empty.
  QString ReadString(const QString& path, const QString& attribute, const QString& def);
  // Text that is not a signed decimal 32-bit integer gives the default.
  qint32 ReadInteger(const QString& path, const QString& attribute, qint32 def);
  // The low byte of the integer read, non-zero meaning true (so 2 is true and 256 false).
  bool ReadBool(const QString& path, const QString& attribute, bool def);

 private:
  QString fileName_;
  bool modified_ = false;
  XmlDocument doc_;
};

}  // namespace vireo
