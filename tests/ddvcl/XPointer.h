#pragma once

#include <QObject>
#include <QPoint>
#include <QStringList>

namespace vireo::test {

// Drives the real pointer with xdotool and, after each step, waits until this program has
// received the X event it causes, instead of sleeping in the hope that it has. Only events that
// reach one of this program's windows can be waited for: a move must end over one of them (or
// happen while a button is held, when the pressed window gets every move).
//
// Threading: the GUI thread only; it watches the application's events while it lives.
class XPointer : public QObject {
 public:
  XPointer();
  ~XPointer() override;

  // Moves to the screen point and waits for the move to arrive there. False on a timeout.
  bool MoveTo(QPoint global, int timeoutMs = 3000);
  // Presses, releases or clicks the left button where the pointer is and waits for each press
  // and release to arrive. A press is always a single one: it comes once the double-click time
  // since the last press has passed.
  bool Press(int timeoutMs = 3000);
  bool Release(int timeoutMs = 3000);
  bool Click(int timeoutMs = 3000);
  // Holds or lets go of a key (xdotool names: "shift"). The next button event carries it, since
  // the server delivers the fake input in order.
  static bool KeyDown(const QString& key);
  static bool KeyUp(const QString& key);

  static bool Xdo(const QStringList& args);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPoint last_{-1, -1};  // where the last move this program received happened, on the screen
  int presses_ = 0;
  int releases_ = 0;
};

}  // namespace vireo::test
