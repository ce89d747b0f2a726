#include "store/TDKPlist.h"

#include <QLocale>

#include <cmath>

namespace vireo {

TDKPlist::TDKPlist(const QString& fileName, const QString& rootName) : fileName_(fileName) {
  doc_.Open(fileName, rootName);
}

TDKPlist::~TDKPlist() { Save(); }

bool TDKPlist::Save() {
  if (!modified_ || fileName_.isEmpty()) return true;
  if (!doc_.SaveTo(fileName_)) return false;
  modified_ = false;
  return true;
}

QByteArray TDKPlist::FormatLtime(double days) {
  if (!std::isfinite(days)) days = 0;
  // Shortest text that reads back to the same double; never locale-dependent.
  return QByteArray::number(days, 'g', QLocale::FloatingPointShortest);
}

double TDKPlist::ParseLtime(QByteArrayView text) {
  QByteArray t = text.trimmed().toByteArray();
  if (t.isEmpty()) return 0;
  // Files written under a locale with a decimal comma carry "0,0028".
  if (!t.contains('.') && t.count(',') == 1) t.replace(',', '.');
  bool ok = false;
  const double v = t.toDouble(&ok);
  return ok && std::isfinite(v) ? v : 0;
}

void TDKPlist::LoadSection(const QString& section) {
  XmlNode* sect = XmlDocument::FirstChildElement(doc_.Root(), section.toUtf8());
  if (!sect) return;
  int n = 0;
  for (XmlNode* c = XmlDocument::FirstChild(sect); c; c = XmlDocument::Next(c))
    if (XmlDocument::IsElement(c)) ++n;
  records_.reserve(records_.size() + static_cast<size_t>(n));
  for (XmlNode* c = XmlDocument::FirstChild(sect); c; c = XmlDocument::Next(c)) {
    if (!XmlDocument::IsElement(c)) continue;
    TPList r;
    r.Title = QString::fromUtf8(XmlDocument::AttributeUtf8(c, "Title"));
    r.Artist = QString::fromUtf8(XmlDocument::AttributeUtf8(c, "Artist"));
    r.Url = QString::fromUtf8(XmlDocument::AttributeUtf8(c, "Url"));
    r.Path = QString::fromUtf8(XmlDocument::AttributeUtf8(c, "Path"));
    r.Ltime = ParseLtime(XmlDocument::AttributeUtf8(c, "Ltime"));
    records_.push_back(std::move(r));
  }
}

void TDKPlist::ClearSection(const QString& section) {
  XmlDocument::RemoveChildren(XmlDocument::FirstChildElement(doc_.Root(), section.toUtf8()));
  lastParent_ = nullptr;
  lastPath_.clear();
  modified_ = true;
}

void TDKPlist::AddEntry(const QString& path, const QString& title, double ltime,
                        const QString& filePath, const QString& url, const QString& artist) {
  const qsizetype slash = path.lastIndexOf(u'/');
  const QString parentPath = slash < 0 ? QString() : path.first(slash);
  const QByteArray last = (slash < 0 ? path : path.sliced(slash + 1)).toUtf8();
  XmlNode* parent = nullptr;
  if (lastParent_ && parentPath == lastPath_) {
    parent = lastParent_;
  } else {
    parent = doc_.Root();
    if (!parentPath.isEmpty()) {
      for (const QString& segment : parentPath.split(u'/')) {
        const QByteArray name = segment.toUtf8();
        XmlNode* child = XmlDocument::FirstChildElement(parent, name);
        if (!child) child = XmlDocument::AppendChildElement(parent, name);
        parent = child;
        if (!parent) return;
      }
    }
    lastParent_ = parent;
    lastPath_ = parentPath;
  }
  XmlNode* entry = XmlDocument::AppendChildElement(parent, last);
  if (!entry) return;
  XmlDocument::SetAttribute(entry, "Path", filePath);
  XmlDocument::SetAttribute(entry, "Title", title);
  XmlDocument::SetAttribute(entry, "Artist", artist);
  XmlDocument::SetAttribute(entry, "Url", url);
  XmlDocument::SetAttributeUtf8(entry, "Ltime", FormatLtime(ltime));
  modified_ = true;
}

const TPList* TDKPlist::Items(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &records_[static_cast<size_t>(index)];
}

}  // namespace vireo
