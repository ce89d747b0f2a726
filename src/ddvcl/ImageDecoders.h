#pragma once

#include <QByteArray>
#include <QString>

#include "ddvcl/Color32.h"

namespace vireo {

// A decoded skin image: straight-alpha 0xAARRGGBB pixels, rows top to bottom.
struct TDecodedImage {
  int Width = 0;
  int Height = 0;
  TArrayOfColor32 Pixels;
  // True when the file stored an alpha value of its own for every pixel (PNG with an alpha
  // channel, 32-bit BMP); otherwise every pixel is opaque.
  bool HasAlpha = false;
};

// Both throw EDDError with a readable message for missing, truncated or malformed files.
// PNG: only the colour types with an alpha channel (RGBA, grey+alpha) carry transparency; palette,
// grey and RGB images load fully opaque, transparency chunks included. 16-bit samples are scaled
// to 8 bits; gamma is not applied.
TDecodedImage DecodePng(const QByteArray& data);
// BMP: 1, 4, 8 bit palette images (RLE too), 16, 24 and 32 bit. 32-bit files keep their alpha
// bytes; everything else is opaque.
TDecodedImage DecodeBmp(const QByteArray& data);

// Reads a whole file or throws EDDError "Cannot open file ...".
QByteArray ReadImageFile(const QString& fileName);

}  // namespace vireo
