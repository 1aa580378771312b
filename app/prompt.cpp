#include "prompt.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "error_trap.h"

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

void QtPrompt::message(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, application_title(), text, QMessageBox::Ok, parent_);
  box.exec();
}

void QtPrompt::errorReport(const QString& text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Application Error"), text, QMessageBox::Ok,
                  parent_);
  box.exec();
}

QString QtPrompt::input(const QString& prompt, const QString& title) {
  bool ok = false;
  const QString answer = QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, {}, &ok);
  return ok ? answer : QString();
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
