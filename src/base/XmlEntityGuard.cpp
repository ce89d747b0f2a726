#include "base/XmlEntityGuard.h"

#include <libxml/SAX2.h>

namespace vireo {

void XmlEntityGuard::Install(xmlSAXHandler& sax) { sax.entityDecl = &DeclareEntity; }

void XmlEntityGuard::DeclareEntity(void* ctx, const xmlChar* name, int type,
                                   const xmlChar* publicId, const xmlChar* systemId,
                                   xmlChar* content) {
  xmlChar empty[] = "";
  if (type == XML_EXTERNAL_GENERAL_PARSED_ENTITY)
    xmlSAX2EntityDecl(ctx, name, XML_INTERNAL_GENERAL_ENTITY, nullptr, nullptr, empty);
  else if (type == XML_EXTERNAL_PARAMETER_ENTITY)
    xmlSAX2EntityDecl(ctx, name, XML_INTERNAL_PARAMETER_ENTITY, nullptr, nullptr, empty);
  else
    xmlSAX2EntityDecl(ctx, name, type, publicId, systemId, content);
}

}  // namespace vireo
