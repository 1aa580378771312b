#include "app/prompt.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <algorithm>

#include "engine/error_trap.h"

namespace quorvane {
namespace {

QtPrompt& qt_prompt() {
  static QtPrompt p;
  return p;
}
Prompt* installed = nullptr;
QString& title_storage() {
  static QString t = QStringLiteral("Quorvane");
  return t;
}

// Pastes into a line edit only what its length limit leaves room for. The line edit
// itself takes time that grows with the square of a paste far over its limit to cut it,
// so the cut is made here, before the text reaches it; the caller sees an answer at the
// limit and says it was too long.
class PasteLimit : public QObject {
 public:
  explicit PasteLimit(QLineEdit* edit) : QObject(edit), edit_(edit) {
    edit->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste))
          return paste(QClipboard::Clipboard);
        return false;
      case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
            QApplication::clipboard()->supportsSelection())
          return paste(QClipboard::Selection);
        return false;
      case QEvent::ContextMenu: {
        QMenu* menu = edit_->createStandardContextMenu();
        for (QAction* action : menu->actions())
          if (action->objectName() == QLatin1String("edit-paste")) {
            action->disconnect();
            connect(action, &QAction::triggered, this, [this] { paste(QClipboard::Clipboard); });
          }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
      }
      default:
        return false;
    }
  }

 private:
  bool paste(QClipboard::Mode mode) {
    if (edit_->isReadOnly()) return true;
    QString text = QApplication::clipboard()->text(mode);
    const qsizetype room = edit_->maxLength() - edit_->text().size() + edit_->selectedText().size();
    if (text.size() > room) {
      qsizetype keep = std::max<qsizetype>(room, 0);
      if (keep > 0 && keep < text.size() && text.at(keep - 1).isHighSurrogate()) --keep;
      text.truncate(keep);
    }
    edit_->insert(text);
    return true;
  }

  QLineEdit* edit_;
};

}  // namespace

Prompt& Prompt::instance() {
  return installed ? *installed : qt_prompt();
}
void Prompt::install(Prompt* prompt) {
  installed = prompt;
}

void set_dialog_parent(QWidget* parent) {
  qt_prompt().setParent(parent);
}

const QString& application_title() {
  return title_storage();
}
void set_application_title(const QString& title) {
  title_storage() = title;
}

QString title_from_product(const QString& product) {
  QString t = product;
  while (t.size() > 40) {
    const qsizetype blank = t.lastIndexOf(QLatin1Char(' '));
    if (blank < 0) break;  // one long word: nothing left to drop
    t.truncate(blank);
  }
  return t;
}

void install_trap_reporter() {
  set_trap_reporter([](const TrapReport& report) {
    Prompt::instance().errorReport(QString::fromStdString(report.text()));
  });
}

QString qt_file_filter(const QString& bar_filter) {
  const QStringList parts = bar_filter.split(QLatin1Char('|'));
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    const qsizetype paren = description.indexOf(QLatin1Char('('));
    if (paren > 0) description = description.left(paren).trimmed();
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (patterns == QLatin1String("*.*"))
      patterns = QStringLiteral("*");  // files without a dot too
    out << QStringLiteral("%1 (%2)").arg(description, patterns);
  }
  return out.join(QStringLiteral(";;"));
}

std::unique_ptr<QMessageBox> make_message_box(QMessageBox::Icon icon, const QString& title,
                                              const QString& text, QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(icon, title, text, QMessageBox::Ok, parent);
  // A dialog is a window of its own and does not take its parent's font by itself.
  if (parent) box->setFont(parent->font());
  // Sized to its text alone, a short message ("Done.") leaves the title bar too narrow
  // for the title, which the window manager then cuts. Title bars use a larger bold
  // font and keep room for their buttons.
  QFont title_font = box->font();
  title_font.setBold(true);
  if (title_font.pointSizeF() > 0) title_font.setPointSizeF(title_font.pointSizeF() * 1.5);
  const int title_width = QFontMetrics(title_font).horizontalAdvance(title) + kTitleBarButtons;
  if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
    grid->addItem(new QSpacerItem(title_width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  return box;
}

void QtPrompt::message(const QString& text) {
  make_message_box(QMessageBox::NoIcon, application_title(), text, parent_)->exec();
}

void QtPrompt::errorReport(const QString& text) {
  make_message_box(QMessageBox::Warning, QStringLiteral("Application Error"), text, parent_)
      ->exec();
}

QString QtPrompt::input(const QString& prompt, const QString& title) {
  QInputDialog dialog(parent_);
  dialog.setWindowTitle(title);
  dialog.setLabelText(prompt);
  dialog.setInputMode(QInputDialog::TextInput);
  if (auto* edit = dialog.findChild<QLineEdit*>()) {
    edit->setMaxLength(kMaxInputCharacters);
    new PasteLimit(edit);
  }
  return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

QStringList QtPrompt::openFiles(const QString& title, const QString& filter) {
  return QFileDialog::getOpenFileNames(parent_, title, {}, qt_file_filter(filter));
}

QString QtPrompt::saveFile(const QString& title, const QString& filter) {
  // No overwrite question: choosing an existing file replaces it.
  return QFileDialog::getSaveFileName(parent_, title, {}, qt_file_filter(filter), nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

}  // namespace quorvane
