#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include "skin/TAnchors.h"

class QWidget;

namespace vireo {

// Keeps the anchored children of one widget in place when it is resized, by the rule of
// TAnchorRule. The reference of a child (its bounds and the parent's size) is taken when its
// anchors are set and again whenever its bounds are set through SetBounds; moving it any other
// way is noticed at the next resize and taken as the new reference then. Children anchored left
// and top only are not tracked: they never move.
//
// One layout per parent, made on first use and owned by the parent (Of). UI thread only.
class TAnchorLayout : public QObject {
 public:
  // The layout of parent, made when it has none yet.
  static TAnchorLayout* Of(QWidget* parent);
  // Shorthands over the control's parent; nothing happens for a control without a parent
  // (except that SetBounds still sets its geometry).
  static void SetAnchors(QWidget* control, TAnchors anchors);
  static void SetBounds(QWidget* control, const QRect& bounds);
  static TAnchors AnchorsOf(const QWidget* control);

  void Anchor(QWidget* control, TAnchors anchors);
  void Place(QWidget* control, const QRect& bounds);
  TAnchors Anchors(const QWidget* control) const;
  // Puts every tracked child where the rule says for the parent's present size.
  void Relayout();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit TAnchorLayout(QWidget* parent);

  struct Entry {
    QPointer<QWidget> control;
    TAnchors anchors;
    QRect reference;
    QSize referenceParent;
    // Where the layout itself last put the control; anything else means it was moved by hand.
    QRect placed;
  };

  QWidget* parentWidget() const;
  void Rebase(Entry& entry);

  QHash<const QWidget*, Entry> entries_;
  QSize lastParentSize_;
};

}  // namespace vireo
