#pragma once
// `quorvane --check`: whether a copy, installed or built, finds its files. The window
// starts as usual, then reads one distance from its database; every message is printed
// instead of shown, so the check never waits for an answer.
#include <QString>

#include "app/prompt.h"

namespace quorvane {

class MainWindow;

// Writes every message to the standard error and answers every question with nothing.
class PrintedPrompt : public Prompt {
 public:
  void message(const QString& text) override;
  void errorReport(const QString& text) override;
  QString input(const QString& prompt, const QString& title) override;
  QStringList openFiles(const QString& title, const QString& filter) override;
  QString saveFile(const QString& title, const QString& filter) override;
  int count() const { return count_; }

 private:
  void print(const QString& text);
  int count_ = 0;
};

// Prints what the started window found and returns the exit status: 0 when the database
// gave a distance and nothing needed a message.
int start_up_check(MainWindow& window, const PrintedPrompt& prompt);

}  // namespace quorvane
