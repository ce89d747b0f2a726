#pragma once

#include <QPoint>
#include <Qt>
#include <functional>

class QMenu;
class QObject;

// Event handlers as the windows assign them: a callable that may be left empty, in which case the
// event is skipped. They are called on the UI thread.
namespace vireo {

using TNotifyEvent = std::function<void(QObject* sender)>;
using TMouseEvent = std::function<void(QObject* sender, Qt::MouseButton button,
                                       Qt::KeyboardModifiers shift, int x, int y)>;
using TMouseMoveEvent =
    std::function<void(QObject* sender, Qt::KeyboardModifiers shift, int x, int y)>;

// Pop-up menus open by themselves on a right click unless their automatic pop-up is turned off;
// then the control decides where to open them. The flag lives on the menu.
bool IsAutoPopup(const QMenu* menu);
void SetAutoPopup(QMenu* menu, bool autoPopup);
// Opens the menu at a screen position without waiting for it to close.
void PopupMenuAt(QMenu* menu, QPoint globalPos);

}  // namespace vireo
