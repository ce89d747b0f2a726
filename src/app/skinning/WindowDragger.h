#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

namespace vireo {

class TDDForm;

// Makes a press on a child control move its borderless form, as a press on the form's own body
// does: the labels, the title marquee and the spectrum of the main window are handles to drag
// the whole player by. Snapping and docking apply as for any move.
class WindowDragger : public QObject {
  Q_OBJECT
 public:
  // Watches handle; the dragger belongs to it.
  static void Attach(QWidget* handle, TDDForm* form);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  WindowDragger(QWidget* handle, TDDForm* form);

  QPointer<TDDForm> form_;
  bool dragging_ = false;
  QPoint pressGlobal_;
  QPoint startPos_;
};

}  // namespace vireo
