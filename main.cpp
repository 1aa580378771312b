// Quorvane: wires the window to the desktop and runs it. With --check it only starts,
// reads its database and says what it found (see start_up_check.h).
#include <QApplication>

#include "app/main_window.h"
#include "app/prompt.h"
#include "app/start_up_check.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvane"));
  QApplication::setOrganizationName(QStringLiteral("Kelvarin"));
  QApplication::setDesktopFileName(QStringLiteral("com.kelvarin.Quorvane"));

  const bool check = QApplication::arguments().contains(QStringLiteral("--check"));
  quorvane::PrintedPrompt printed;
  if (check) quorvane::Prompt::install(&printed);
  quorvane::install_trap_reporter();
  auto env = quorvane::MainWindowEnvironment::desktop(QApplication::applicationDirPath());
  if (check) env.openUrl = nullptr;  // a check opens no web page
  quorvane::MainWindow window(std::move(env));
  quorvane::set_dialog_parent(&window);
  window.startUp();
  window.show();
  if (check) {
    QApplication::processEvents();
    return quorvane::start_up_check(window, printed);
  }
  return app.exec();
}
