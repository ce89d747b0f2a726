// The update manifest (/soft/update.xml): any answer is read without harm, only an answer that
// names the service can offer an update, and none is offered to a player already at the highest
// version a manifest can name.
#include <QByteArray>

#include "FuzzTarget.h"
#include "net/TCheckUPDate.h"

VIREO_FUZZ_TARGET(update_manifest) {
  using vireo::TCheckUPDate;
  const QByteArray manifest(reinterpret_cast<const char*>(data), qsizetype(size));
  const vireo::UpdateCheckResult r = TCheckUPDate::Evaluate(manifest, QStringLiteral("0.1.0"));
  if (!manifest.contains("petrel")) FUZZ_CHECK(!r.Online && !r.HasUpdate);
  if (r.HasUpdate) FUZZ_CHECK(r.Online && r.Manifest == manifest);
  // 429.496.729.5 reads as 4294967295, the largest number a "ver" value can hold.
  FUZZ_CHECK(!TCheckUPDate::Evaluate(manifest, QStringLiteral("429.496.729.5")).HasUpdate);
  return 0;
}
