#include "store/TDKConfig.h"

#include <optional>

namespace vireo {
namespace {

std::optional<qint32> ParseInt32(const QString& text) {
  bool ok = false;
  const qint32 v = text.trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return v;
}

}  // namespace

TDKConfig::TDKConfig(const QString& fileName, const QString& rootName) : fileName_(fileName) {
  doc_.Open(fileName, rootName);
}

TDKConfig::~TDKConfig() {
  Save();
}

bool TDKConfig::Save() {
  if (!modified_ || fileName_.isEmpty()) return true;
  if (!doc_.SaveTo(fileName_)) return false;
  modified_ = false;
  return true;
}

XmlNode* TDKConfig::FindNode(const QString& path, bool create) {
  XmlNode* current = doc_.Root();
  QStringView rest(path);
  while (current) {
    const qsizetype slash = rest.indexOf(u'/');
    const QByteArray segment = (slash < 0 ? rest : rest.first(slash)).toUtf8();
    XmlNode* child = XmlDocument::FirstChildElement(current, segment);
    if (!child && create) child = XmlDocument::AppendChildElement(current, segment);
    current = child;
    if (slash < 0) break;
    rest = rest.sliced(slash + 1);
  }
  return current;
}

void TDKConfig::WriteString(const QString& path, const QString& attribute, const QString& value) {
  XmlNode* element = FindNode(path, true);
  if (!element) return;
  if (!attribute.isEmpty())
    XmlDocument::SetAttribute(element, attribute.toUtf8().constData(), value);
  else
    XmlDocument::SetText(element, value);
  modified_ = true;
}

void TDKConfig::WriteInteger(const QString& path, const QString& attribute, qint32 value) {
  WriteString(path, attribute, QString::number(value));
}

void TDKConfig::WriteBool(const QString& path, const QString& attribute, bool value) {
  WriteInteger(path, attribute, value ? 1 : 0);
}

QString TDKConfig::ReadString(const QString& path, const QString& attribute, const QString& def) {
  XmlNode* element = FindNode(path, false);
  if (!element) return def;
  if (attribute.isEmpty()) return XmlDocument::Text(element);
  const QString value = XmlDocument::Attribute(element, attribute.toUtf8().constData());
  return value.isEmpty() ? def : value;
}

qint32 TDKConfig::ReadInteger(const QString& path, const QString& attribute, qint32 def) {
  return ParseInt32(ReadString(path, attribute, QString::number(def))).value_or(def);
}

bool TDKConfig::ReadBool(const QString& path, const QString& attribute, bool def) {
  return (ReadInteger(path, attribute, def ? 1 : 0) & 0xFF) != 0;
}

}  // namespace vireo
