#include "skin/TAnchorLayout.h"

#include <QEvent>
#include <QWidget>

#include "skin/TAnchorRule.h"

namespace vireo {
namespace {
const char* const kLayoutProperty = "vireo_anchorLayout";
}

TAnchorLayout::TAnchorLayout(QWidget* parent) : QObject(parent), lastParentSize_(parent->size()) {
  parent->installEventFilter(this);
}

QWidget* TAnchorLayout::parentWidget() const {
  return static_cast<QWidget*>(parent());
}

TAnchorLayout* TAnchorLayout::Of(QWidget* parent) {
  if (!parent) return nullptr;
  if (auto* existing = parent->property(kLayoutProperty).value<QObject*>())
    return static_cast<TAnchorLayout*>(existing);
  auto* layout = new TAnchorLayout(parent);
  parent->setProperty(kLayoutProperty, QVariant::fromValue<QObject*>(layout));
  return layout;
}

void TAnchorLayout::SetAnchors(QWidget* control, TAnchors anchors) {
  if (control && control->parentWidget()) Of(control->parentWidget())->Anchor(control, anchors);
}

void TAnchorLayout::SetBounds(QWidget* control, const QRect& bounds) {
  if (!control) return;
  if (control->parentWidget())
    Of(control->parentWidget())->Place(control, bounds);
  else
    control->setGeometry(bounds);
}

TAnchors TAnchorLayout::AnchorsOf(const QWidget* control) {
  if (!control || !control->parentWidget()) return TAnchors{};
  auto* existing = control->parentWidget()->property(kLayoutProperty).value<QObject*>();
  return existing ? static_cast<TAnchorLayout*>(existing)->Anchors(control) : TAnchors{};
}

TAnchors TAnchorLayout::Anchors(const QWidget* control) const {
  const auto it = entries_.constFind(control);
  return it == entries_.cend() ? TAnchors{} : it->anchors;
}

void TAnchorLayout::Rebase(Entry& entry) {
  entry.reference = entry.placed = entry.control->geometry();
  entry.referenceParent = lastParentSize_ = parentWidget()->size();
}

void TAnchorLayout::Anchor(QWidget* control, TAnchors anchors) {
  if (!control) return;
  if (anchors == TAnchors{}) {
    entries_.remove(control);
    return;
  }
  Entry& entry = entries_[control];
  if (!entry.control) {
    entry.control = control;
    connect(control, &QObject::destroyed, this, [this, control] { entries_.remove(control); });
  }
  entry.anchors = anchors;
  Rebase(entry);
}

void TAnchorLayout::Place(QWidget* control, const QRect& bounds) {
  control->setGeometry(bounds);
  const auto it = entries_.find(control);
  if (it != entries_.end()) Rebase(*it);
}

void TAnchorLayout::Relayout() {
  const QSize size = parentWidget()->size();
  for (Entry& entry : entries_) {
    if (!entry.control) continue;
    // Moved or resized by someone else since: that is where it belongs now, at the size the
    // parent had then.
    if (entry.control->geometry() != entry.placed) {
      entry.reference = entry.control->geometry();
      entry.referenceParent = lastParentSize_;
    }
    entry.control->setGeometry(
        TAnchorRule::Place(entry.reference, entry.referenceParent, size, entry.anchors));
    // Size limits of the control may have had their say.
    entry.placed = entry.control->geometry();
  }
  lastParentSize_ = size;
}

bool TAnchorLayout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parent() && event->type() == QEvent::Resize) Relayout();
  return QObject::eventFilter(watched, event);
}

}  // namespace vireo
