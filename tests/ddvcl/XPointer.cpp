#include "XPointer.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QStyleHints>

#include "TestEnv.h"

namespace vireo::test {

namespace {

// When this program last received a press, whichever XPointer saw it: the pointer is one.
QElapsedTimer& LastPress() {
  static QElapsedTimer timer;
  return timer;
}

}  // namespace

XPointer::XPointer() {
  QCoreApplication::instance()->installEventFilter(this);
}

XPointer::~XPointer() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

bool XPointer::Xdo(const QStringList& args) {
  return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
}

bool XPointer::KeyDown(const QString& key) {
  return Xdo({QStringLiteral("keydown"), key});
}

bool XPointer::KeyUp(const QString& key) {
  return Xdo({QStringLiteral("keyup"), key});
}

bool XPointer::MoveTo(QPoint global, int timeoutMs) {
  // A move to where the pointer already is raises no event.
  if (last_ == global || QCursor::pos() == global) return true;
  if (!Xdo({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())}))
    return false;
  return WaitUntil([&] { return last_ == global; }, timeoutMs);
}

bool XPointer::Press(int timeoutMs) {
  // A press soon after the last one near it is a double click: a single press waits until the
  // double-click time has passed.
  if (LastPress().isValid()) {
    const qint64 left =
        QGuiApplication::styleHints()->mouseDoubleClickInterval() + 1 - LastPress().elapsed();
    if (left > 0) Pump(int(left));
  }
  const int before = presses_;
  if (!Xdo({QStringLiteral("mousedown"), QStringLiteral("1")})) return false;
  return WaitUntil([&] { return presses_ > before; }, timeoutMs);
}

bool XPointer::Release(int timeoutMs) {
  const int before = releases_;
  if (!Xdo({QStringLiteral("mouseup"), QStringLiteral("1")})) return false;
  return WaitUntil([&] { return releases_ > before; }, timeoutMs);
}

bool XPointer::Click(int timeoutMs) {
  return Press(timeoutMs) && Release(timeoutMs);
}

bool XPointer::eventFilter(QObject* watched, QEvent* event) {
  // Each input event passes the window first and then the widget under it: count it once, at
  // the window.
  if (!watched->isWindowType()) return false;
  switch (event->type()) {
    case QEvent::MouseMove:
      last_ = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
      break;
    case QEvent::Enter:
      last_ = static_cast<QEnterEvent*>(event)->globalPosition().toPoint();
      break;
    case QEvent::MouseButtonPress:  // a double click comes as a press and then its own event
      last_ = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
      ++presses_;
      LastPress().start();
      break;
    case QEvent::MouseButtonRelease:
      last_ = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
      ++releases_;
      break;
    default:
      break;
  }
  return false;
}

}  // namespace vireo::test
