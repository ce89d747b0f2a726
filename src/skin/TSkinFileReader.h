#pragma once

#include <QString>
#include <vector>

#include "skin/TSkinTag.h"

namespace vireo {

// Reads a "skin.xml" as a pull parser does: every start, empty-element and end tag in document
// order, with its attributes. A file declared GB2312 (or GBK, GB18030) is read as GB18030, so
// files written on Windows keep their Chinese hints; a file without a declaration that is not
// UTF-8 is read the same way.
//
// Threading: plain blocking file read; any thread.
class TSkinFileReader {
 public:
  struct Result {
    // False when the file could not be opened (it then has no tags at all).
    bool opened = false;
    // Every tag, in document order.
    std::vector<TSkinTag> tags;
    // True when the file was read to its end. A file that is not well-formed is read on as far
    // as the parser can recover (a bare "&" in a value is dropped); error then says where the
    // first fault was.
    bool complete = false;
    QString error;
  };

  static Result Read(const QString& path);
  // The same for text already in memory (the bytes as a file would hold them).
  static Result ReadBytes(const QByteArray& bytes);
};

}  // namespace vireo
