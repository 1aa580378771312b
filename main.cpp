// Quorvane: wires the window to the desktop and runs it.
#include <QApplication>

#include "form1.h"
#include "prompt.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvane"));
  QApplication::setOrganizationName(QStringLiteral("Kelvarin"));
  QApplication::setDesktopFileName(QStringLiteral("com.kelvarin.Quorvane"));

  quorvane::install_trap_reporter();
  quorvane::Form1 window(quorvane::Form1Environment::desktop(QApplication::applicationDirPath()));
  quorvane::set_dialog_parent(&window);
  window.Form_Load();
  window.show();
  return app.exec();
}
