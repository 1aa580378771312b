#include "tests/support/scripted_prompt.h"

#include <gtest/gtest.h>

namespace quorvane::test {
namespace {

const char* kind_name(ScriptedPrompt::Kind k) {
  switch (k) {
    case ScriptedPrompt::Kind::Message:
      return "message";
    case ScriptedPrompt::Kind::ErrorReport:
      return "error report";
    case ScriptedPrompt::Kind::Input:
      return "input box";
    case ScriptedPrompt::Kind::OpenFiles:
      return "open dialog";
    case ScriptedPrompt::Kind::SaveFile:
      return "save dialog";
  }
  return "?";
}

}  // namespace

ScriptedPrompt& ScriptedPrompt::expectMessage(const QString& text) {
  queue_.push_back({Kind::Message, text, {}, {}});
  return *this;
}
ScriptedPrompt& ScriptedPrompt::expectErrorReport(const QString& part) {
  queue_.push_back({Kind::ErrorReport, part, {}, {}});
  return *this;
}
ScriptedPrompt& ScriptedPrompt::expectInput(const QString& answer) {
  queue_.push_back({Kind::Input, answer, {}, {}});
  return *this;
}
ScriptedPrompt& ScriptedPrompt::expectOpenFiles(const QStringList& answer) {
  queue_.push_back({Kind::OpenFiles, {}, answer, {}});
  return *this;
}
ScriptedPrompt& ScriptedPrompt::expectSaveFile(const QString& answer) {
  queue_.push_back({Kind::SaveFile, answer, {}, {}});
  return *this;
}
ScriptedPrompt& ScriptedPrompt::then(std::function<void()> action) {
  if (queue_.empty()) {
    ADD_FAILURE() << "then() needs an expected dialog first";
  } else {
    queue_.back().action = std::move(action);
  }
  return *this;
}

void ScriptedPrompt::verify() {
  for (const auto& e : queue_)
    ADD_FAILURE() << "expected " << kind_name(e.kind) << " never came: " << e.text.toStdString();
  queue_.clear();
}

ScriptedPrompt::Expected ScriptedPrompt::take(Kind kind, const QString& shown) {
  shown_ << shown;
  if (queue_.empty()) {
    ADD_FAILURE() << "unexpected " << kind_name(kind) << ": " << shown.toStdString();
    return {kind, {}, {}, {}};
  }
  Expected e = std::move(queue_.front());
  queue_.pop_front();
  if (e.kind != kind)
    ADD_FAILURE() << "expected " << kind_name(e.kind) << " \"" << e.text.toStdString() << "\", got "
                  << kind_name(kind) << ": " << shown.toStdString();
  if (e.action) e.action();
  return e;
}

void ScriptedPrompt::message(const QString& text) {
  const Expected e = take(Kind::Message, text);
  if (e.kind == Kind::Message && !e.text.isNull()) {
    EXPECT_EQ(text.toStdString(), e.text.toStdString());
  }
}

void ScriptedPrompt::errorReport(const QString& text) {
  const Expected e = take(Kind::ErrorReport, text);
  if (e.kind == Kind::ErrorReport) {
    EXPECT_TRUE(text.contains(e.text)) << text.toStdString() << "\nlacks: " << e.text.toStdString();
  }
}

QString ScriptedPrompt::input(const QString& prompt, const QString& title) {
  EXPECT_EQ(prompt.toStdString(), "Enter zip code to add: ");
  EXPECT_EQ(title.toStdString(), "Add Zip Code");
  return take(Kind::Input, prompt).text;
}

QStringList ScriptedPrompt::openFiles(const QString& title, const QString& filter) {
  EXPECT_EQ(title.toStdString(), "Load List(s) - Hold Ctrl to select multiple list files");
  EXPECT_EQ(filter.toStdString(), "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
  return take(Kind::OpenFiles, title).files;
}

QString ScriptedPrompt::saveFile(const QString& title, const QString& filter) {
  EXPECT_EQ(title.toStdString(), "Save");
  EXPECT_EQ(filter.toStdString(), "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
  return take(Kind::SaveFile, title).text;
}

}  // namespace quorvane::test
