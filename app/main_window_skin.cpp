// The window's skin: the style sheet beside the program (x/o.cjs), read with care, as
// a file the user may have replaced by anything.
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <cctype>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/option_button.h"
#include "engine/error_trap.h"
#include "engine/regular_file.h"

namespace quorvane {
namespace {

constexpr qint64 kMaxSkinBytes = 4 << 20;
// Qt's time to style the window grows with the rules, selectors and declarations of
// its style sheet (30,000 rules take a second); the shipped skin has fewer than 100.
constexpr qsizetype kMaxSkinParts = 10000;

// The rules, selectors and declarations of a style sheet, counted by the characters
// that open or part them.
qsizetype style_sheet_parts(const QByteArray& sheet) {
  return sheet.count('{') + sheet.count(',') + sheet.count(';');
}

// The files a style sheet's url() values name; pictures built into the program
// (":/...", "qrc:...") are no files.
std::vector<std::string> pictures_named(const QByteArray& sheet) {
  std::vector<std::string> files;
  const std::string text = sheet.toLower().toStdString();
  for (std::size_t at = text.find("url("); at != std::string::npos;
       at = text.find("url(", at + 4)) {
    std::size_t i = at + 4;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const char quote = i < text.size() && (text[i] == '"' || text[i] == '\'') ? text[i++] : ')';
    const std::size_t end = text.find(quote, i);
    if (end == std::string::npos) break;
    std::string name = sheet.mid(static_cast<qsizetype>(i), static_cast<qsizetype>(end - i))
                           .trimmed()
                           .toStdString();
    if (!name.empty() && name[0] != ':' && name.rfind("qrc:", 0) != 0)
      files.push_back(std::move(name));
  }
  return files;
}

}  // namespace

void MainWindow::applySkin() {
  const QString path = env_.programFolder + QStringLiteral("/x/o.cjs");
  const QFileInfo info(path);
  // A named pipe or a folder there is no skin, but it is reported, not passed over.
  if (!info.exists() || info.isHidden()) return;
  // The skin's frames and option buttons take the system's button face first.
  const QColor face = QApplication::palette().color(QPalette::Button);
  auto paint = [&](QWidget* w) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, face);
    w->setPalette(p);
  };
  paint(this);
  for (QGroupBox* frame : frames_.all()) paint(frame);
  for (OptionButton* option : options_.all()) paint(option);

  const std::string shown = "Cannot load the skin " + path.toStdString();
  QFile file;
  const int fd = open_regular_file(QFile::encodeName(path).toStdString(), shown);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    throw RuntimeError(75, shown + ": " + file.errorString().toStdString());
  }
  if (file.size() > kMaxSkinBytes)
    throw RuntimeError(75, shown + ": at " + std::to_string(file.size()) +
                               " bytes it is too large for a style sheet (at most " +
                               std::to_string(kMaxSkinBytes) + " bytes, 4 MB)");
  const QByteArray sheet = file.read(kMaxSkinBytes);
  if (sheet.contains('\0')) throw RuntimeError(75, shown + ": it is not a style sheet");
  if (const qsizetype parts = style_sheet_parts(sheet); parts > kMaxSkinParts)
    throw RuntimeError(75, shown + ": with " + std::to_string(parts) +
                               " rules, selectors and declarations it is too large for a "
                               "style sheet (at most " +
                               std::to_string(kMaxSkinParts) + ")");
  // Qt opens the pictures the sheet names when it paints; a named pipe there would
  // freeze the window at its first paint.
  for (const std::string& picture : pictures_named(sheet)) {
    const std::string kind = irregular_kind(picture);
    if (!kind.empty())
      throw RuntimeError(
          75, shown + ": the picture " + picture + " it names is " + kind + ", not a regular file");
  }
  setStyleSheet(QString::fromUtf8(sheet));
  skin_applied_ = true;
}

}  // namespace quorvane
