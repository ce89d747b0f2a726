// vireo-text: the player's text and request helpers from the command line, for checking what the
// player will send to its service and what it will call a file.
//   vireo-text encode TEXT      the service's form encoding (GB18030 bytes, %XX)
//   vireo-text decode TEXT      URL-decoded, shown as GB18030 text
//   vireo-text filename TEXT    the lyric file name the player would save for TEXT
//   vireo-text title PATH       the title of a file without tags
//   vireo-text get URL          an HTTP GET as the player sends it
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "base/Gb18030.h"
#include "base/TextUtil.h"
#include "base/UrlCodec.h"
#include "net/HttpClient.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  auto out = [](const QString& s) { std::printf("%s\n", s.toUtf8().constData()); };
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: vireo-text encode|decode|filename|title|get TEXT\n");
    return 2;
  }
  const QString cmd = args[1], text = args[2];
  if (cmd == u"encode") {
    out(QString::fromLatin1(vireo::URLEncodeText(text)));
  } else if (cmd == u"decode") {
    out(vireo::FromGb18030(vireo::URLDecode(text.toUtf8())));
  } else if (cmd == u"filename") {
    out(vireo::CleanFileName(text, 100) + QStringLiteral(".lrc"));
  } else if (cmd == u"title") {
    out(vireo::FileTitle(text));
  } else if (cmd == u"get") {
    const QByteArray answer = vireo::HttpGet(text.toUtf8());
    std::fwrite(answer.constData(), 1, static_cast<size_t>(answer.size()), stdout);
    return answer.isEmpty() ? 1 : 0;
  } else {
    std::fprintf(stderr, "unknown command\n");
    return 2;
  }
  return 0;
}
