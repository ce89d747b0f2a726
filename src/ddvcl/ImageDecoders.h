#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

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
  // The same image drawn for denser screens, at VariantScales[i] pixels per pixel of this one
  // (DecodeSkinImage only).
  std::vector<double> VariantScales;
  std::vector<TDecodedImage> Variants;
};

// The most pixels a skin image may have (64 MiB of pixels; a 4K background is half of that).
// Larger claims come from damaged or hostile files and are refused before any memory is taken.
constexpr qint64 kMaxImagePixels = qint64(1) << 24;

// Both throw EDDError with a readable message for missing, truncated or malformed files.
// PNG: only the colour types with an alpha channel (RGBA, grey+alpha) carry transparency; palette,
// grey and RGB images load fully opaque, transparency chunks included. 16-bit samples are scaled
// to 8 bits; gamma is not applied.
TDecodedImage DecodePng(const QByteArray& data);
// BMP: 1, 4, 8 bit palette images (RLE too), 16, 24 and 32 bit. 32-bit files keep their alpha
// bytes; everything else is opaque.
// Neither decoder takes memory for pixels the file cannot hold: a size claimed by a header is
// refused when it exceeds kMaxImagePixels, when an uncompressed BMP is shorter than its rows,
// when an RLE BMP has fewer code bytes than its pixels need (at most 256 pixels per byte), or
// when a PNG's compressed data could not inflate to its rows (deflate packs at most 1032 bytes
// into one).
TDecodedImage DecodeBmp(const QByteArray& data);

// Reads a whole file or throws EDDError "Cannot open file ...".
QByteArray ReadImageFile(const QString& fileName);

// A file by its name: ".png" (any case) through the PNG decoder, everything else as a BMP file.
// Thread-safe: a skin's images may be decoded on a worker while the skin is applied.
TDecodedImage DecodeImageFile(const QString& fileName);

// DecodeImageFile, plus the art a skin ships beside the file for denser screens: "name@1.5x.ext"
// and "name@2x.ext". A variant that is missing, unreadable or not exactly the image at its scale
// (round(W * scale) x round(H * scale)) is left out: the image then draws from its own pixels.
// Thread-safe.
TDecodedImage DecodeSkinImage(const QString& fileName);

// Where the variant of fileName at scale would be: "dir/name.png" at 2 is "dir/name@2x.png".
QString SkinImageVariantPath(const QString& fileName, double scale);

}  // namespace vireo
