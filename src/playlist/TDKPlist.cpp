#include "playlist/TDKPlist.h"

#include <QLocale>
#include <cmath>

#include "base/XmlEntryWriter.h"
#include "base/XmlSectionReader.h"

namespace vireo {
namespace {

constexpr QByteArrayView kAttributeNames[5] = {"Path", "Title", "Artist", "Url", "Ltime"};

bool HasTextChild(XmlNode* parent) {
  for (XmlNode* c = XmlDocument::FirstChild(parent); c; c = XmlDocument::Next(c))
    if (!XmlDocument::IsElement(c) && !XmlDocument::IsComment(c)) return true;
  return false;
}

}  // namespace

TDKPlist::TDKPlist(const QString& fileName, const QString& rootName)
    : fileName_(fileName), rootName_(rootName) {}

TDKPlist::~TDKPlist() {
  Save();
}

XmlDocument& TDKPlist::Doc(const QString& skipSection) {
  if (!parsed_) {
    doc_.Open(fileName_, rootName_, skipSection);
    parsed_ = true;
  }
  return doc_;
}

QByteArray TDKPlist::Serialize() {
  XmlDocument& doc = Doc();
  if (!pending_.empty()) {
    XmlEntryWriter writer;
    // Entries written straight out are GB2312: only when the rest of the file is too.
    bool fits = writer.Ok() && doc.MarkupFitsGb2312();
    for (size_t i = 0; fits && i < pending_.size(); ++i) fits = writer.Fits(pending_[i].name);
    if (fits) {
      QByteArray bytes = doc.SerializeWithBlock(lastParent_, [&](QByteArrayView indent) {
        QByteArray block;
        for (size_t i = 0; i < pending_.size(); ++i) {
          if (i > 0) block.append('\n').append(indent);
          writer.AppendElement(block, pending_[i].name, kAttributeNames, pending_[i].values, 5);
        }
        return block;
      });
      if (!bytes.isEmpty()) return bytes;
    }
    MaterializeEntries();
  }
  return doc.Serialize();
}

bool TDKPlist::Save() {
  if (!modified_ || fileName_.isEmpty()) return true;
  if (!Doc().SaveBytesTo(fileName_, Serialize())) return false;
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

void TDKPlist::MaterializeEntries() {
  for (const PendingEntry& e : pending_) {
    XmlNode* entry = XmlDocument::AppendChildElement(lastParent_, e.name);
    for (int a = 0; a < 5; ++a)
      XmlDocument::SetAttributeUtf8(entry, kAttributeNames[a].data(), e.values[a]);
  }
  pending_.clear();
}

void TDKPlist::LoadSection(const QString& section) {
  if (!parsed_) {
    const size_t before = records_.size();
    const auto result = XmlSectionReader::Read(fileName_, section, [this](const auto& entry) {
      TPList r;
      r.Title = XmlDocument::FromUtf8(entry.Value("Title"));
      r.Artist = XmlDocument::FromUtf8(entry.Value("Artist"));
      r.Url = XmlDocument::FromUtf8(entry.Value("Url"));
      r.Path = XmlDocument::FromUtf8(entry.Value("Path"));
      r.Ltime = ParseLtime(entry.Value("Ltime"));
      records_.push_back(std::move(r));
    });
    // A file that is not well-formed counts as missing: nothing of it is loaded.
    if (result != XmlSectionReader::Result::Read) records_.resize(before);
    return;
  }
  MaterializeEntries();
  XmlNode* sect = XmlDocument::FirstChildElement(doc_.Root(), section.toUtf8());
  if (!sect) return;
  // Entries an entity reference stands for count, as they do for the streaming reader.
  XmlDocument::ForEachChildElement(sect, [this](XmlNode* c) {
    TPList r;
    r.Title = XmlDocument::FromUtf8(XmlDocument::AttributeUtf8(c, "Title"));
    r.Artist = XmlDocument::FromUtf8(XmlDocument::AttributeUtf8(c, "Artist"));
    r.Url = XmlDocument::FromUtf8(XmlDocument::AttributeUtf8(c, "Url"));
    r.Path = XmlDocument::FromUtf8(XmlDocument::AttributeUtf8(c, "Path"));
    r.Ltime = ParseLtime(XmlDocument::AttributeUtf8(c, "Ltime"));
    records_.push_back(std::move(r));
  });
}

void TDKPlist::ClearSection(const QString& section) {
  // Cleared before anything else was done: the old entries need not be parsed at all.
  XmlDocument& doc = Doc(section);
  MaterializeEntries();
  XmlDocument::RemoveChildren(XmlDocument::FirstChildElement(doc.Root(), section.toUtf8()));
  lastParent_ = nullptr;
  lastPath_.clear();
  modified_ = true;
}

void TDKPlist::AddEntry(const QString& path, const QString& title, double ltime,
                        const QString& filePath, const QString& url, const QString& artist) {
  const qsizetype slash = path.lastIndexOf(u'/');
  const QString parentPath = slash < 0 ? QString() : path.first(slash);
  QByteArray last = (slash < 0 ? path : path.sliced(slash + 1)).toUtf8();
  if (!XmlDocument::ValidName(last)) return;
  if (!lastParent_ || parentPath != lastPath_) {
    // The walk may meet entries of an earlier call: they must be real nodes by then.
    MaterializeEntries();
    lastParent_ = nullptr;
    lastPath_.clear();
    XmlNode* parent = Doc().Root();
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
    lastParentHasText_ = HasTextChild(parent);
  }
  PendingEntry e;
  e.name = std::move(last);
  e.values[0] = XmlDocument::ToXmlUtf8(filePath);
  e.values[1] = XmlDocument::ToXmlUtf8(title);
  e.values[2] = XmlDocument::ToXmlUtf8(artist);
  e.values[3] = XmlDocument::ToXmlUtf8(url);
  e.values[4] = FormatLtime(ltime);
  pending_.push_back(std::move(e));
  // Mixed content would not be laid out line by line: such a parent gets real nodes at once.
  if (lastParentHasText_) MaterializeEntries();
  modified_ = true;
}

const TPList* TDKPlist::Items(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &records_[static_cast<size_t>(index)];
}

}  // namespace vireo
