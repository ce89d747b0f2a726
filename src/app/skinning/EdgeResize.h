#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

namespace vireo {

class TDDForm;

// Border resizing of the borderless windows. The hit test of a client point: corners within the
// full border width, edges within half of it (the top-right corner tests y < width where the
// others test <=). The first matching zone wins.
enum class EdgeZone { None, TopLeft, BottomLeft, BottomRight, TopRight, Left, Right, Bottom, Top };

EdgeZone EdgeHitTest(int x, int y, int clientWidth, int clientHeight, int border);
Qt::CursorShape EdgeCursor(EdgeZone zone);
// The rectangle a resize in zone gives when the pointer moved by delta from where it was
// pressed, never smaller than minimum.
QRect EdgeResizedRect(const QRect& start, EdgeZone zone, QPoint delta, QSize minimum);

// The shared resize handler of the main, lyric and library windows: sets the cursor for the zone
// under (x, y) and, with press set on a border zone, runs our own resize loop until the left
// button is released. False for every border zone; true in the interior when press is set.
bool EdgeResize(TDDForm* form, int x, int y, bool press, int border = 6);

// The mouse handlers every borderless window of the player shares: while the window is in its
// normal state, a move sets the edge cursor and a left press on an edge starts a resize.
void AttachEdgeResize(TDDForm* form, int border = 6);

}  // namespace vireo
