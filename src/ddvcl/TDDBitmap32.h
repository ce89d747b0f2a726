#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

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

  // Pixel density. Every bitmap is at 1 pixel per skin pixel unless it is one of these:
  // - an art variant, the same image drawn at Scale() pixels per skin pixel ("name@2x.png"),
  //   held by the 100 % image and chosen by the drawing calls below for a canvas of that scale;
  // - a canvas: a window's block composed at Scale() for a screen that is not at 100 %. Its
  //   pixel (0, 0) is the window's canvas pixel pixelOrigin, and skin point (0, 0) of the
  //   drawing calls is the window's skin point skinOrigin (the control's corner); drawing is
  //   clipped to the skinSize area from there.
  // On a canvas, BlendTo, CopyRectTo, StretchBlendTo, FillRect and the two lines take skin
  // coordinates and map every edge through TSkinScale::ToPixel, the source drawn from its
  // variant at the canvas scale; on plain bitmaps they work on pixels as they always did.
  double Scale() const { return m_scale; }
  bool IsCanvas() const { return m_canvas; }
  void MakeCanvas(double scale, QPoint skinOrigin, QPoint pixelOrigin, QSize skinSize);
  int MapX(int v) const;
  int MapY(int v) const;
  TRect MapRect(const TRect& skinRect) const;
  // The pixels drawing may touch: the canvas's own area, or the whole bitmap.
  TRect OwnPixels() const;
  // The size in skin pixels: a canvas's own area, else the size.
  int SkinWidth() const { return m_canvas ? m_skinSize.width() : Width(); }
  int SkinHeight() const { return m_canvas ? m_skinSize.height() : Height(); }

  // 1 and the scales of the art variants, ascending.
  std::vector<double> ArtScales() const;
  // A variant must be the image at that scale: its size round(W * scale) x round(H * scale);
  // anything else is refused (false) and the image keeps drawing from its 100 % pixels.
  bool AddVariant(double scale, const TDDBitmap32& image);
  void ClearVariants();
  // This image at scale s: itself at its own scale, a variant of that scale, or one made from
  // the nearest variant above (reduced) or, when there is none, from the largest one (enlarged),
  // kept until the pixels change.
  const TDDBitmap32& AtScale(double s) const;

  void Changed() override;

  // The "Data" property: width, height (signed 32-bit little-endian), then the pixels.
  void WriteData(QIODevice& stream) const;
  void ReadData(QIODevice& stream);
  // Whether a writer stores "Data": when not empty, or against an ancestor when they differ.
  bool WantsDataWritten(const TDDBitmap32* ancestor) const;

 protected:
  void Reallocate(int& width, int& height, int newWidth, int newHeight) override;
  void ReleaseMemory();

 private:
  void CopyPixels(TDDBitmap32& dst, int dstX, int dstY, const TRect& srcRect,
                  const TRect& dstClip) const;
  void FillMapped(const TRect& skinRect, TColor32 color);
  bool StoreVariant(std::shared_ptr<TDDBitmap32> art);
  // What to draw from onto dst: a canvas as it is, an image at dst's scale.
  const TDDBitmap32& SourceFor(const TDDBitmap32& dst) const;

 private:
  TColor32* m_bits = nullptr;
  QImage m_image;
  unsigned m_opacity = 255;
  QPoint m_penPos;
  // Whether drawing from or into this bitmap goes through the skin-to-pixel mapping.
  bool Mapped() const { return m_canvas || m_scale != 1.0; }
  double m_scale = 1.0;
  bool m_canvas = false;
  QPoint m_skinOrigin, m_pixelOrigin;
  QSize m_skinSize;
  std::vector<std::shared_ptr<TDDBitmap32>> m_variants;
  mutable std::vector<std::shared_ptr<TDDBitmap32>> m_derived;
};

}  // namespace vireo
