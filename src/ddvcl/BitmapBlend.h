#pragma once

#include "ddvcl/TRect.h"

namespace vireo {

class TDDBitmap32;

// Rectangle-level blending between two bitmaps. All of them clip, so callers may pass
// rectangles that hang over any edge.
namespace blend {

// Blends the pixels of src starting at (srcX, srcY) over dstRect of dst, row by row; master alpha
// 255 uses BlendRow, anything else BlendRowMaster. dstRect must lie inside dst and the source area
// inside src.
void BlendRect(TDDBitmap32& dst, const TRect& dstRect, const TDDBitmap32& src, int srcX, int srcY,
               int master);

// The work of BlendTo: srcRect of src lands with its corner at (dstX, dstY), clipped to dstClip
// and to both bitmaps. A source pixel (x, y) always lands on (x - srcRect.Left + dstX, ...).
void TransferRect(TDDBitmap32& dst, int dstX, int dstY, const TRect& dstClip,
                  const TDDBitmap32& src, const TRect& srcRect, int master);

// Nearest-neighbour scaling of srcRect of src into dstRect of dst, clipped to dstClip. Master alpha
// 255 overwrites (alpha copied), anything lower blends with BlendRowMaster.
void StretchRect(TDDBitmap32& dst, const TRect& dstRect, const TRect& dstClip, int master,
                 const TRect& srcRect, const TDDBitmap32& src);

// The source column (or row) that destination index i of the clipped area shows.
int StretchMap(int i, int clipStart, int dstStart, int dstLength, int srcStart, int srcEnd);

}  // namespace blend
}  // namespace vireo
