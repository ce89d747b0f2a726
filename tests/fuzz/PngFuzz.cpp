// The skin image decoders: any file decodes to a whole image within the size ceiling, or is
// refused with EDDError, never by running out of memory.
#include <QByteArray>

#include "FuzzTarget.h"
#include "ddvcl/EDDError.h"
#include "ddvcl/ImageDecoders.h"

namespace {

void CheckImage(const QByteArray& bytes, vireo::TDecodedImage (*decode)(const QByteArray&)) {
  try {
    const vireo::TDecodedImage img = decode(bytes);
    FUZZ_CHECK(img.Width > 0 && img.Height > 0);
    FUZZ_CHECK(qint64(img.Width) * img.Height <= vireo::kMaxImagePixels);
    FUZZ_CHECK(img.Pixels.size() == size_t(img.Width) * size_t(img.Height));
    if (!img.HasAlpha)
      for (vireo::TColor32 p : img.Pixels) FUZZ_CHECK((p >> 24) == 0xFF);
  } catch (const vireo::EDDError&) {
  }
}

}  // namespace

VIREO_FUZZ_TARGET(png) {
  CheckImage(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &vireo::DecodePng);
  return 0;
}
