#pragma once

#include <QString>

namespace vireo::fuzz {

// Text as an XML attribute value between double quotes: markup and the blanks that attribute
// normalisation would turn into spaces are written as references, so a reader gives the text back.
QString XmlAttribute(const QString& text);

}  // namespace vireo::fuzz
