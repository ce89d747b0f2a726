#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <optional>

#include "ddvcl/Color32.h"
#include "ddvcl/TDDCustomMap.h"
#include "ddvcl/TRect.h"

class QIODevice;
class QPainter;

namespace vireo {

struct TDecodedImage;

// The off-screen image every skinned surface is composed in: Width x Height straight-alpha ARGB
// pixels, rows top to bottom, stride Width * 4, with a QImage over the same memory for text and
// for copying to the screen. Drawing calls are unchecked unless noted: callers keep coordinates
// inside the bitmap. Used on the UI thread only.
class TDDBitmap32 : public TDDCustomMap {
 public:
  TDDBitmap32();
  TDDBitmap32(int width, int height);
  ~TDDBitmap32() override;

  bool Empty() const override;
  TColor32* Bits() { return m_bits; }
  const TColor32* Bits() const { return m_bits; }
  TColor32* ScanLine(int y) { return m_bits + std::size_t(y) * std::size_t(Width()); }
  const TColor32* ScanLine(int y) const { return m_bits + std::size_t(y) * std::size_t(Width()); }
  TColor32* PixelAddress(int x, int y) { return ScanLine(y) + x; }
  TColor32 Pixel(int x, int y) const { return ScanLine(y)[x]; }
  // Out-of-range coordinates are ignored. No notification.
  void SetPixel(int x, int y, TColor32 color);
  TRect BoundsRect() const { return {0, 0, Width(), Height()}; }

  // The drawing context bound to the pixels (null when empty).
  QImage& Image() { return m_image; }
  const QImage& Image() const { return m_image; }
  // A copy of the pixels as a QImage (Format_ARGB32), for tests and for saving.
  QImage ToQImage() const;

  unsigned Opacity() const { return m_opacity; }
  void SetOpacity(unsigned value);
  QPoint PenPos() const { return m_penPos; }

  void Clear(TColor32 color);
  void SetAllAlpha(int alpha);
  void FillRect(int x1, int y1, int x2, int y2, TColor32 color);
  void HorizontalLine(int x1, int y, int x2, TColor32 color);
  void VerticalLine(int x, int y1, int y2, TColor32 color);
  void DrawLine(int x1, int y1, int x2, int y2, TColor32 color, bool includeLast);
  void MoveTo(int x, int y) { m_penPos = QPoint(x, y); }
  void LineTo(int x, int y, TColor32 color);

  // Blends srcRect of this bitmap onto dst with its corner at (dstX, dstY), master alpha = the low
  // byte of Opacity or the given one; clipping never shifts the visible pixels.
  void BlendTo(TDDBitmap32& dst, int dstX, int dstY, const TRect& srcRect) const;
  void BlendTo(TDDBitmap32& dst, int dstX, int dstY, const TRect& srcRect, int alpha) const;
  // Draws the whole bitmap scaled into dstRect (nearest neighbour).
  void StretchBlendTo(TDDBitmap32& dst, const TRect& dstRect, int alpha) const;
  // Copies pixels unchanged, alpha included (the skin frame pieces and the background copies).
  void CopyRectTo(TDDBitmap32& dst, int dstX, int dstY, const TRect& srcRect) const;
  // Copies every pixel 1:1 to a painter at (x, y), colour bytes as they are, alpha ignored.
  void CopyToDC(QPainter& painter, int x, int y) const;

  // ".png" (any case) goes to the PNG decoder, everything else is read as a BMP file.
  void LoadFromFile(const QString& fileName);
  void LoadFromPNG(const QString& fileName);
  void LoadFromBMP(const QString& fileName);
  // What DecodeImageFile made of a file (a PNG without alpha is opaque already).
  void LoadDecoded(const TDecodedImage& image);

  // Copies size, pixels and Opacity; null deletes.
  void Assign(const TDDBitmap32* source);
  // From a platform bitmap: 32-bit images keep their alpha bytes, other formats become opaque;
  // a transparent colour (0x00BBGGRR) makes its pixels alpha 0.
  void Assign(const QImage& source, std::optional<TColorRef> transparentColor = std::nullopt);
  // Replaces the pixels with raw 0xAARRGGBB values (row-major, top-down).
  void AssignPixels(int width, int height, const TColor32* pixels, bool keepAlpha);
  // A platform bitmap of this size with these pixels (Format_ARGB32).
  void AssignTo(QImage& target) const;
  bool Equal(const TDDBitmap32& other) const;

  // The "Data" property: width, height (signed 32-bit little-endian), then the pixels.
  void WriteData(QIODevice& stream) const;
  void ReadData(QIODevice& stream);
  // Whether a writer stores "Data": when not empty, or against an ancestor when they differ.
  bool WantsDataWritten(const TDDBitmap32* ancestor) const;

 protected:
  void Reallocate(int& width, int& height, int newWidth, int newHeight) override;
  void ReleaseMemory();

 private:
  TColor32* m_bits = nullptr;
  QImage m_image;
  unsigned m_opacity = 255;
  QPoint m_penPos;
};

}  // namespace vireo
