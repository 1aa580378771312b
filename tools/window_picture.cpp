// Draws the window for the README: started with fresh settings, the sample list loaded
// and compared, then the X window grabbed as the screen shows it.
// Usage: window_picture PROGRAM_FOLDER OUTPUT.png (tools/window-picture.sh runs it).
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

#include "app/main_window.h"
#include "app/start_up_check.h"

namespace {

void settle(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvane"));
  QApplication::setOrganizationName(QStringLiteral("Kelvarin"));
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_picture PROGRAM_FOLDER OUTPUT.png\n");
    return 2;
  }
  quorvane::PrintedPrompt printed;
  quorvane::Prompt::install(&printed);
  quorvane::install_trap_reporter();
  auto env = quorvane::MainWindowEnvironment::desktop(QString::fromLocal8Bit(argv[1]));
  env.openUrl = nullptr;
  quorvane::MainWindow window(std::move(env));
  window.startUp();
  window.show();
  settle(300);
  window.loadSample();
  window.startRun();
  settle(500);
  const QPixmap picture = window.screen()->grabWindow(window.winId());
  // The run's closing "Done." is printed, not shown; a run without results is no picture.
  if (window.results().size() == 0 || picture.isNull() ||
      !picture.save(QString::fromLocal8Bit(argv[2]))) {
    std::fprintf(stderr, "window_picture: no picture written to %s\n", argv[2]);
    return 1;
  }
  return 0;
}
