#pragma once
// Every message box, input box and file dialog of the program goes through here, so
// that tests can script the answers.
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

namespace quorvane {

class Prompt {
 public:
  virtual ~Prompt() = default;
  // OK only, no icon, the application title as caption.
  virtual void message(const QString& text) = 0;
  // The error trap's report: caption "Application Error", warning icon, OK only.
  virtual void errorReport(const QString& text) = 0;
  // The typed answer; the empty text when cancelled.
  virtual QString input(const QString& prompt, const QString& title) = 0;
  // Full paths of the chosen files; empty when cancelled.
  virtual QStringList openFiles(const QString& title, const QString& filter) = 0;
  // The chosen path; empty when cancelled.
  virtual QString saveFile(const QString& title, const QString& filter) = 0;

  static Prompt& instance();
  // Installs the prompt (not owned); nullptr restores the Qt dialogs.
  static void install(Prompt* prompt);
};

// The longest answer the input box takes, in characters: one more than an entry of the
// list may hold, so that a longer one is seen to be longer (a line edit takes 32,767).
inline constexpr int kMaxInputCharacters = (1 << 20) + 1;

// The dialogs on screen.
class QtPrompt : public Prompt {
 public:
  void setParent(QWidget* parent) { parent_ = parent; }
  void message(const QString& text) override;
  void errorReport(const QString& text) override;
  QString input(const QString& prompt, const QString& title) override;
  QStringList openFiles(const QString& title, const QString& filter) override;
  QString saveFile(const QString& title, const QString& filter) override;

 private:
  QWidget* parent_ = nullptr;
};

// Room kept in a message box's width for the title bar's icon and buttons, in pixels.
inline constexpr int kTitleBarButtons = 120;

// A message box with an OK button, in `parent`'s font and wide enough to show its whole title.
std::unique_ptr<QMessageBox> make_message_box(QMessageBox::Icon icon, const QString& title,
                                              const QString& text, QWidget* parent);

// The window the Qt dialogs are centred on.
void set_dialog_parent(QWidget* parent);

// The caption of every message box that names none of its own.
const QString& application_title();
void set_application_title(const QString& title);
// The product name shortened, word by word from its end, to at most 40 characters.
QString title_from_product(const QString& product);

// Shows every report of the error trap as the "Application Error" box.
void install_trap_reporter();

// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|" as a Qt file dialog filter.
QString qt_file_filter(const QString& bar_filter);

}  // namespace quorvane
