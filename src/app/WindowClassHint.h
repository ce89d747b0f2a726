#pragma once

#include <QByteArray>

class QWidget;

namespace vireo {

// Gives a top-level window its X11 class (WM_CLASS), by which other programs and window rules
// find it ("Vireo SHARE" for the library window). Does nothing off X11. Call before the window
// is first shown; it creates the native window.
void SetWindowClassHint(QWidget* window, const QByteArray& className);

}  // namespace vireo
