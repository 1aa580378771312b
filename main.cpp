// Quorvane: wires the window to the desktop and runs it. With --check it only starts,
// reads its database and says what it found (see start_up_check.h).
#include <QApplication>

#include "form1.h"
#include "prompt.h"
#include "start_up_check.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvane"));
  QApplication::setOrganizationName(QStringLiteral("Kelvarin"));
  QApplication::setDesktopFileName(QStringLiteral("com.kelvarin.Quorvane"));

  const bool check = QApplication::arguments().contains(QStringLiteral("--check"));
  quorvane::PrintedPrompt printed;
  if (check) quorvane::Prompt::install(&printed);
  quorvane::install_trap_reporter();
  auto env = quorvane::Form1Environment::desktop(QApplication::applicationDirPath());
  if (check) env.openUrl = nullptr;  // a check opens no web page
  quorvane::Form1 window(std::move(env));
  quorvane::set_dialog_parent(&window);
  window.Form_Load();
  window.show();
  if (check) {
    QApplication::processEvents();
    return quorvane::start_up_check(window, printed);
  }
  return app.exec();
}
