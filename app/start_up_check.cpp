#include "app/start_up_check.h"

#include <cstdio>

#include "app/main_window.h"

namespace quorvane {

void PrintedPrompt::print(const QString& text) {
  ++count_;
  std::fprintf(stderr, "quorvane: %s\n", qPrintable(text));
}

void PrintedPrompt::message(const QString& text) {
  print(text);
}

void PrintedPrompt::errorReport(const QString& text) {
  print(QStringLiteral("Application Error: ") + text);
}

QString PrintedPrompt::input(const QString& prompt, const QString&) {
  print(prompt);
  return {};
}

QStringList PrintedPrompt::openFiles(const QString& title, const QString&) {
  print(title);
  return {};
}

QString PrintedPrompt::saveFile(const QString& title, const QString&) {
  print(title);
  return {};
}

int start_up_check(MainWindow& window, const PrintedPrompt& prompt) {
  std::string line;
  {
    ZipDistance::Batch batch(window.engine());  // failures counted over it report at its end
    line = window.engine().distance_line("03053", "92018", Wording::ZipsAndDistance, true);
  }
  std::printf("database: %s\nskin: %s\npointer: %s\n", line.c_str(),
              window.skinApplied() ? "applied" : "none",
              window.pointer().hasHandImage() ? "hand" : "standard");
  const bool found = line.rfind(kNoDetails, 0) != 0;
  return found && prompt.count() == 0 ? 0 : 1;
}

}  // namespace quorvane
