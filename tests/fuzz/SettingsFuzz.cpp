// The settings file: any file opens (or counts as missing), every read gives a value, and what
// is saved over it is a well-formed file that loads back with the values written.
#include <QFile>

#include "FuzzScratch.h"
#include "FuzzTarget.h"
#include "base/ConfigKeys.h"
#include "store/TDKConfig.h"

VIREO_FUZZ_TARGET(settings) {
  using vireo::TDKConfig;
  using vireo::XmlDocument;
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString path = vireo::fuzz::ScratchFile(QStringLiteral("Vireo.xml"));
  QFile::remove(path + QStringLiteral(".broken"));
  vireo::fuzz::WriteScratch(path, bytes);

  // A value the file itself suggests: its first bytes as text.
  const QString value =
      QString::fromUtf8(XmlDocument::ToXmlUtf8(QString::fromUtf8(bytes.left(40)))).trimmed();
  const QString root = QStringLiteral("MainConfig");
  bool loaded = false;
  {
    TDKConfig cfg(path, root);
    loaded = cfg.Opened() == XmlDocument::LoadResult::Loaded;
    cfg.ReadInteger(QStringLiteral("Window/Volume"), QStringLiteral("Value"), 65);
    cfg.ReadBool(QStringLiteral("Window/DBGain"), QStringLiteral("Value"), false);
    cfg.ReadString(QStringLiteral("Window/LRC"), QStringLiteral("PATH"), QStringLiteral("d"));
    cfg.ReadString(QStringLiteral("Window"), QString(), QString());
    cfg.WriteInteger(QStringLiteral("Window/Volume"), QStringLiteral("Value"), 42);
    cfg.WriteString(QStringLiteral("Window/SKIN"), QStringLiteral("NAME"), value);
    FUZZ_CHECK(cfg.Save());
  }
  const QByteArray saved = vireo::fuzz::ReadScratch(path);
  // A file that did not load is kept beside the new one, byte for byte.
  if (!loaded) FUZZ_CHECK(vireo::fuzz::ReadScratch(path + QStringLiteral(".broken")) == bytes);
  {
    TDKConfig again(path, root);
    FUZZ_CHECK(again.Opened() == XmlDocument::LoadResult::Loaded);
    FUZZ_CHECK(again.ReadInteger(QStringLiteral("Window/Volume"), QStringLiteral("Value"), 0) ==
               42);
    FUZZ_CHECK(again.ReadString(QStringLiteral("Window/SKIN"), QStringLiteral("NAME"),
                                QStringLiteral("<none>")) ==
               (value.isEmpty() ? QStringLiteral("<none>") : value));
    // The same values written again give the same bytes.
    again.WriteInteger(QStringLiteral("Window/Volume"), QStringLiteral("Value"), 42);
    FUZZ_CHECK(again.Save());
  }
  FUZZ_CHECK(vireo::fuzz::ReadScratch(path) == saved);
  return 0;
}
