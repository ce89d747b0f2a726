// See PngFuzz.cpp: the same checks for BMP files, palette, RLE and masked ones included.
#include <QByteArray>

#include "FuzzTarget.h"
#include "ddvcl/EDDError.h"
#include "ddvcl/ImageDecoders.h"

VIREO_FUZZ_TARGET(bmp) {
  try {
    const vireo::TDecodedImage img =
        vireo::DecodeBmp(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    FUZZ_CHECK(img.Width > 0 && img.Height > 0);
    FUZZ_CHECK(qint64(img.Width) * img.Height <= vireo::kMaxImagePixels);
    FUZZ_CHECK(img.Pixels.size() == size_t(img.Width) * size_t(img.Height));
    if (!img.HasAlpha)
      for (vireo::TColor32 p : img.Pixels) FUZZ_CHECK((p >> 24) == 0xFF);
  } catch (const vireo::EDDError&) {
  }
  return 0;
}
