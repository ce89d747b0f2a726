#pragma once

#include <libxml/parser.h>

namespace vireo {

// The one guard of the player's SAX readers (the settings and playlist sections, the skins)
// against what an entity could reach. Entity references must be replaced to read attribute values
// without a tree, and libxml2 then fetches external entities; with the guard nothing outside the
// file is read: an entity that names another file (or a pipe, which would block) is declared as
// an empty one. Parse with XML_PARSE_NONET as well.
class XmlEntityGuard {
 public:
  // Sets the handler's entity declaration to the guarded one (after xmlSAXVersion).
  static void Install(xmlSAXHandler& sax);

 private:
  static void DeclareEntity(void* ctx, const xmlChar* name, int type, const xmlChar* publicId,
                            const xmlChar* systemId, xmlChar* content);
};

}  // namespace vireo
