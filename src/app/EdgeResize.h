#pragma once

#include <QPoint>

class QWidget;

namespace vireo {

// Border resizing of the borderless windows. For a point of the window's client area it picks
// the border rule (corners use the whole border width W, edges half of it; the top-right corner
// tests y < W where the others test <= W), sets the matching sizing cursor (the arrow elsewhere,
// so that a press there moves the window) and, with press set, starts the window system's
// resize from that edge. Returns false for a border rule, and true elsewhere when press is set.
bool EdgeResize(QWidget* form, int x, int y, bool press, int border = 6);

// The edges a point lies on, as Qt::Edges; empty when it is inside.
int EdgeResizeEdges(int x, int y, int clientWidth, int clientHeight, int border = 6);

}  // namespace vireo
