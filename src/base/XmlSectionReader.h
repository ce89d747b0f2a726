#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace vireo {

// Reads the entries of one section of a player's XML file without building a document: the
// children of the root's first child element named section, each handed over with its
// attributes, in document order. Same encoding rules as XmlDocument. Used to load long
// playlists quickly; gives exactly what walking the parsed document would.
//
// Threading: plain blocking file read; any thread.
class XmlSectionReader {
 public:
  // The attributes of one entry. Values are UTF-8 and only valid during the callback.
  class Entry {
   public:
    // The value of the attribute with exactly this name (no namespace prefix); empty when the
    // entry has none.
    QByteArrayView Value(const char* name) const;

   private:
    friend class XmlSectionReader;
    const unsigned char** attributes_ = nullptr;  // libxml2's 5-tuples
    int count_ = 0;
  };

  enum class Result { Read, Missing, Unreadable };

  // Calls onEntry for every entry; when the file is not well-formed, returns Unreadable, and
  // entries already handed over must be discarded by the caller.
  static Result Read(const QString& path, const QString& section,
                     const std::function<void(const Entry&)>& onEntry);

 private:
  // libxml2's element callbacks (xmlChar is unsigned char).
  static void Start(void* ctx, const unsigned char* localname, const unsigned char* prefix,
                    const unsigned char* uri, int namespaceCount, const unsigned char** namespaces,
                    int attributeCount, int defaultedCount, const unsigned char** attributes);
  static void End(void* ctx, const unsigned char* localname, const unsigned char* prefix,
                  const unsigned char* uri);
};

}  // namespace vireo
