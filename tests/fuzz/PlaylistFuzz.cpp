// The playlist file: its two readers (the streaming one used at start-up and the document walk
// used once a document is open) give the same entries for any file, and a list saved over any
// file loads back as saved.
#include <QFile>
#include <cmath>
#include <vector>

#include "FuzzScratch.h"
#include "FuzzTarget.h"
#include "playlist/TDKPlist.h"

namespace {

bool Same(const vireo::TPList& a, const vireo::TPList& b) {
  return a.Title == b.Title && a.Artist == b.Artist && a.Path == b.Path && a.Url == b.Url &&
         a.Ltime == b.Ltime;
}

std::vector<vireo::TPList> Records(const vireo::TDKPlist& p) {
  std::vector<vireo::TPList> out;
  for (int i = 0; i < p.Count(); ++i) out.push_back(*p.Items(i));
  return out;
}

}  // namespace

VIREO_FUZZ_TARGET(playlist) {
  using vireo::TDKPlist;
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString path = vireo::fuzz::ScratchFile(QStringLiteral("Default.pls"));
  const QString root = QStringLiteral("DefaultList"), section = QStringLiteral("PlayerList");
  QFile::remove(path + QStringLiteral(".broken"));
  vireo::fuzz::WriteScratch(path, bytes);

  std::vector<vireo::TPList> streamed, walked;
  {
    TDKPlist p(path, root);
    p.LoadSection(section);
    streamed = Records(p);
  }
  {
    TDKPlist p(path, root);
    p.Serialize();  // the document is open now: the walk reads it
    p.LoadSection(section);
    walked = Records(p);
  }
  FUZZ_CHECK(streamed.size() == walked.size());
  for (size_t i = 0; i < streamed.size() && i < walked.size(); ++i)
    FUZZ_CHECK(Same(streamed[i], walked[i]));
  for (const vireo::TPList& r : streamed) FUZZ_CHECK(std::isfinite(r.Ltime));

  // Saved over the file, the entries come back as they were written.
  {
    TDKPlist p(path, root);
    p.ClearSection(section);
    for (const vireo::TPList& r : streamed)
      p.AddEntry(section + QStringLiteral("/LIST"), r.Title, r.Ltime, r.Path, r.Url, r.Artist);
    FUZZ_CHECK(p.Save());
  }
  TDKPlist back(path, root);
  FUZZ_CHECK(back.Opened() == vireo::XmlDocument::LoadResult::Loaded);
  back.LoadSection(section);
  const std::vector<vireo::TPList> reread = Records(back);
  FUZZ_CHECK(reread.size() == streamed.size());
  for (size_t i = 0; i < streamed.size() && i < reread.size(); ++i)
    FUZZ_CHECK(Same(streamed[i], reread[i]));
  return 0;
}
