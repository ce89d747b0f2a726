#include "ddvcl/DDEvents.h"

#include <QMenu>
#include <QVariant>

namespace vireo {

namespace {
constexpr const char* kAutoPopup = "vireoAutoPopup";
}

bool IsAutoPopup(const QMenu* menu) {
  if (!menu) return false;
  const QVariant v = menu->property(kAutoPopup);
  return !v.isValid() || v.toBool();
}

void SetAutoPopup(QMenu* menu, bool autoPopup) {
  if (menu) menu->setProperty(kAutoPopup, autoPopup);
}

void PopupMenuAt(QMenu* menu, QPoint globalPos) {
  if (menu) menu->popup(globalPos);
}

}  // namespace vireo
