// Loaded into a Qt program with LD_PRELOAD by window_startup_bench.sh: the program ends
// as soon as one of its windows has been drawn and, with QUIT_WHEN_ROWS=N set, a list
// view in it shows at least N rows. The same ending for any build of the window and for
// the hello window, with nothing added to the programs themselves.
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace {

struct QuitWhenDrawn : QObject {
  long rows = std::getenv("QUIT_WHEN_ROWS") ? std::atol(std::getenv("QUIT_WHEN_ROWS")) : 0;
  bool quitting = false;

  bool listShown(const QWidget* window) const {
    if (rows <= 0) return true;
    for (const QAbstractItemView* view : window->findChildren<QAbstractItemView*>())
      if (view->model() && view->model()->rowCount() >= rows) return true;
    return false;
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!quitting && event->type() == QEvent::Paint && watched->isWidgetType()) {
      const QWidget* window = static_cast<QWidget*>(watched)->window();
      if (listShown(window)) {
        quitting = true;
        // exit(), not quit(): quit() would close the windows first, and the window
        // saves its list when it closes.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
      }
    }
    return false;
  }
};

void install() {
  qApp->installEventFilter(new QuitWhenDrawn);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(install)
