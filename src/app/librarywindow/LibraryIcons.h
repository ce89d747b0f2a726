#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QStyledItemDelegate>

namespace vireo {

// il1, the result list's 20 × 20 images: 0 song, 1 play, 2 detail row, 3 add, 4 song already
// requested. Drawn, not loaded, in the given ink so that they read on the skin's list colour.
QList<QIcon> LibraryIcons(const QColor& ink, const QColor& accent);

// Draws a cell's image centred and its text not at all: the play and add columns of the result
// list show only their image.
class TCenteredIconDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

}  // namespace vireo
