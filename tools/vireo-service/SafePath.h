#pragma once

#include <QString>
#include <optional>

namespace vireo::service {

// Turns a name from a request into a path inside a folder, or refuses it. Refused: an empty
// name, an absolute name, a backslash, a NUL or other control character, an empty, "." or ".."
// segment, and any name whose real location (symbolic links followed) lies outside the folder.
// The file need not exist unless mustExist.
class SafePath {
 public:
  static std::optional<QString> Resolve(const QString& root, const QString& name,
                                        bool mustExist = true);
  // Where a file of that name may be written: as Resolve, and never through a link, not even
  // one that leads inside (a dangling link would otherwise be taken for a new file and the
  // write would follow it wherever it points).
  static std::optional<QString> ResolveForWriting(const QString& root, const QString& name);
  // The checks on the name alone, without looking at the disk.
  static bool IsCleanRelativeName(const QString& name);
};

}  // namespace vireo::service
