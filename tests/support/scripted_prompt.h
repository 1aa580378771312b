#pragma once
// The test side of the prompt layer: a queue of expected dialogs with their scripted
// answers. A dialog that was not expected, or of another kind or text, fails the test;
// so does an expected dialog that never came (checked by verify()).
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "app/prompt.h"

namespace quorvane::test {

class ScriptedPrompt : public Prompt {
 public:
  enum class Kind { Message, ErrorReport, Input, OpenFiles, SaveFile };

  // `text` is the whole message, or for error reports a part of it.
  ScriptedPrompt& expectMessage(const QString& text);
  // A message whose text the test reads afterwards from shown().
  ScriptedPrompt& expectAnyMessage() { return expectMessage(QString()); }
  ScriptedPrompt& expectErrorReport(const QString& part);
  ScriptedPrompt& expectInput(const QString& answer);
  ScriptedPrompt& expectOpenFiles(const QStringList& answer);
  ScriptedPrompt& expectSaveFile(const QString& answer);
  // Runs when the next expected dialog shows (to act in the middle of a command).
  ScriptedPrompt& then(std::function<void()> action);

  void verify();
  const QStringList& shown() const { return shown_; }

  void message(const QString& text) override;
  void errorReport(const QString& text) override;
  QString input(const QString& prompt, const QString& title) override;
  QStringList openFiles(const QString& title, const QString& filter) override;
  QString saveFile(const QString& title, const QString& filter) override;

 private:
  struct Expected {
    Kind kind;
    QString text;
    QStringList files;
    std::function<void()> action;
  };
  Expected take(Kind kind, const QString& shown);

  std::deque<Expected> queue_;
  QStringList shown_;
};

}  // namespace quorvane::test
