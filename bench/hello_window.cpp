// The smallest Qt Widgets program with a window: the yardstick of the window's
// start-up in window_startup_bench.sh.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Hello"));
  window.resize(320, 200);
  window.show();
  return app.exec();
}
