// A file manager's side of a drop, for the player's tests: a small window at the screen's top-left
// corner that starts a drag of the files named on its command line (as text/uri-list, over XDND)
// when the pointer presses on it. The test moves the pointer as a hand would; the helper prints
// "dropped" or "refused" when the drop is sent, and ends a few seconds later.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class DragSource : public QWidget {
 public:
  explicit DragSource(QList<QUrl> urls)
      : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), urls_(std::move(urls)) {
    setWindowTitle(QStringLiteral("vireo-drag-helper"));
    setStyleSheet(QStringLiteral("background: #3060a0"));
    setGeometry(0, 0, 80, 60);
  }

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* data = new QMimeData;
    data->setUrls(urls_);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    // What the test waits for: the drag under way, and the target taking the files.
    connect(drag, &QDrag::actionChanged, this, [](Qt::DropAction action) {
      if (action == Qt::IgnoreAction) return;
      std::printf("accepted\n");
      std::fflush(stdout);
    });
    std::printf("dragging\n");
    std::fflush(stdout);
    const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
    std::printf("%s\n", done == Qt::IgnoreAction ? "refused" : "dropped");
    std::fflush(stdout);
    // The drag ends when the drop is sent; the target asks for the files after that, and a file
    // manager is still there to answer.
    QTimer::singleShot(done == Qt::IgnoreAction ? 0 : 3000, qApp, &QApplication::quit);
  }

 private:
  QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QList<QUrl> urls;
  for (int i = 1; i < argc; ++i) urls.append(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i])));
  DragSource source(urls);
  source.show();
  std::printf("ready\n");
  std::fflush(stdout);
  return app.exec();
}
