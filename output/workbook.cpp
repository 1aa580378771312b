#include "output/workbook.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <charconv>
#include <optional>

#include "engine/text.h"
#include "output/xlsx_library.h"
#include "output/xlsx_template.h"

namespace quorvane {

namespace {

// A result line worded as a distance only ("2556.52 miles"), exactly as the engine words
// it: the distance and its number of decimals (0 to 2). Anything else is no such line.
struct DistanceLine {
  double miles;
  int decimals;
};

std::optional<DistanceLine> distance_line(std::string_view text, std::string_view separator) {
  static constexpr std::string_view kUnit = " miles";
  if (text.size() <= kUnit.size() || !text.ends_with(kUnit)) return std::nullopt;
  const std::string_view number = text.substr(0, text.size() - kUnit.size());
  std::string plain(number);
  int decimals = 0;
  if (const auto at = number.find(separator); at != std::string_view::npos && !separator.empty()) {
    plain.replace(at, separator.size(), ".");
    decimals = static_cast<int>(number.size() - at - separator.size());
  }
  if (plain.empty() || plain.front() < '0' || plain.front() > '9') return std::nullopt;
  double miles = 0;
  const auto [end, ec] =
      std::from_chars(plain.data(), plain.data() + plain.size(), miles, std::chars_format::fixed);
  if (ec != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
  // Only the engine's own wording of that number: no extra zeros, at most two decimals.
  if (decimals > 2 || distance_text(miles, separator) != number) return std::nullopt;
  return DistanceLine{miles, decimals};
}

}  // namespace

struct XlsxSpreadsheet::Impl {
  const XlsxLibrary* lib = nullptr;  // loaded by addWorkbook
  QString path;
  std::string decimal_separator;
  lxw_format* miles_formats[3] = {};  // by number of decimals
  bool as_template = false;
  std::function<bool(const QString&)> open;
  lxw_workbook* workbook = nullptr;
  lxw_worksheet* sheet = nullptr;
  std::vector<std::size_t> widths;  // characters per column, for fitting
  std::string cell;                 // NUL-terminated copy for the C API
};

XlsxSpreadsheet::XlsxSpreadsheet(QString path, std::function<bool(const QString&)> open,
                                 bool as_template, std::string decimal_separator)
    : d_(std::make_unique<Impl>()) {
  d_->path = std::move(path);
  d_->decimal_separator = std::move(decimal_separator);
  d_->as_template = as_template;
  d_->open = std::move(open);
}

XlsxSpreadsheet::~XlsxSpreadsheet() {
  if (d_->workbook) {
    d_->lib->workbook_close(d_->workbook);
    QFile::remove(d_->path);  // never shown: leave nothing behind
  }
}

bool XlsxSpreadsheet::addWorkbook(QString* error) {
  if (d_->path.isEmpty()) {
    *error = QStringLiteral(
        "Cannot create the workbook: no folder for it can be made in the user's cache or "
        "runtime folder");
    return false;
  }
  QString why;
  if (!(d_->lib = XlsxLibrary::get(&why))) {
    *error = QStringLiteral("Cannot create the workbook %1: %2").arg(d_->path, why);
    return false;
  }
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  // Its scratch files go beside it, never wherever the temporary folder may point.
  const QByteArray tmp = QFile::encodeName(QFileInfo(d_->path).path());
  options.tmpdir = const_cast<char*>(tmp.constData());
  const QByteArray file = d_->path.toLocal8Bit();
  d_->workbook = d_->lib->workbook_new_opt(file.constData(), &options);
  if (d_->workbook) d_->sheet = d_->lib->workbook_add_worksheet(d_->workbook, nullptr);
  if (!d_->sheet) {
    *error = QStringLiteral("Cannot create the workbook %1").arg(d_->path);
    return false;
  }
  // The number shown as the line shows it, with " miles" after it.
  const char* formats[] = {"0\" miles\"", "0.0\" miles\"", "0.00\" miles\""};
  for (int i = 0; i < 3; ++i) {
    d_->miles_formats[i] = d_->lib->workbook_add_format(d_->workbook);
    d_->lib->format_set_num_format(d_->miles_formats[i], formats[i]);
  }
  return true;
}

void XlsxSpreadsheet::setCell(int row, int column, std::string_view text) {
  if (!d_->sheet || row < 1 || column < 1) return;
  const auto r = static_cast<lxw_row_t>(row - 1);
  const auto col = static_cast<lxw_col_t>(column - 1);
  // A distance-only line becomes a number that sums and sorts; every other text stays a
  // text, one that looks like a formula or a number included.
  if (const auto line = distance_line(text, d_->decimal_separator)) {
    d_->lib->worksheet_write_number(d_->sheet, r, col, line->miles,
                                    d_->miles_formats[line->decimals]);
  } else {
    d_->cell.assign(text);
    d_->lib->worksheet_write_string(d_->sheet, r, col, d_->cell.c_str(), nullptr);
  }
  const auto c = static_cast<std::size_t>(column - 1);
  if (d_->widths.size() <= c) d_->widths.resize(c + 1, 0);
  d_->widths[c] = std::max(d_->widths[c], char_count(text));
}

void XlsxSpreadsheet::autofitColumns() {
  if (!d_->sheet) return;
  for (std::size_t c = 0; c < d_->widths.size(); ++c) {
    // Character widths of the default font plus a little room, within the sheet's limit.
    const double width = std::min(255.0, static_cast<double>(d_->widths[c]) * 1.1 + 2.0);
    d_->lib->worksheet_set_column(d_->sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                  width, nullptr);
  }
}

bool XlsxSpreadsheet::show(QString* error) {
  if (!d_->workbook) {
    *error = QStringLiteral("No workbook to show");
    return false;
  }
  const lxw_error rc = d_->lib->workbook_close(d_->workbook);
  d_->workbook = nullptr;
  if (rc != LXW_NO_ERROR) {
    QFile::remove(d_->path);
    *error = QStringLiteral("Cannot write the workbook %1: %2")
                 .arg(d_->path, QString::fromUtf8(d_->lib->lxw_strerror(rc)));
    return false;
  }
  QString shown = d_->path;
  if (d_->as_template) {
    shown = QFileInfo(d_->path).dir().filePath(QFileInfo(d_->path).completeBaseName() +
                                               QStringLiteral(".xltx"));
    const bool made = write_as_template(d_->path, shown, error);
    QFile::remove(d_->path);
    if (!made) return false;
  }
  if (d_->open && !d_->open(shown)) {
    QFile::remove(shown);  // no program will read it
    *error = QStringLiteral("Cannot open %1 in the spreadsheet program").arg(shown);
    return false;
  }
  return true;
}

void write_sheet(const ListSource& list, Spreadsheet& sheet, Yielder& yield) {
  static constexpr char kChanged[] =
      "The results list changed while the workbook was being written, so it was not opened. "
      "Save again to send the list as it is now.";
  const std::uint64_t changes = list.changes();
  const int columns = list.columns();
  if (list.rows() > 0) {
    int k = 1;
    for (int c = 0; c < columns; ++c) {
      yield.maybe();
      check_unchanged(list, changes, c == 0 ? 122 : 124, kChanged);
      if (!list.cell(0, c).empty()) sheet.setCell(1, k++, list.header(c));
    }
  }
  const std::size_t rows = list.rows();
  std::string cleaned;
  for (std::size_t r = 0; r < rows; ++r) {
    yield.maybe();
    check_unchanged(list, changes, 140, kChanged);
    if (!list.checked(r)) continue;
    int k = 1;
    for (int c = 0; c < columns; ++c) {
      const std::string_view t = list.cell(r, c);
      if (t.empty()) continue;
      if (c == 0) {
        sheet.setCell(static_cast<int>(r) + 2, k++, t);
        continue;
      }
      cleaned.clear();
      std::copy_if(t.begin(), t.end(), std::back_inserter(cleaned),
                   [](char ch) { return ch != '='; });
      sheet.setCell(static_cast<int>(r) + 2, k++, cleaned);
    }
  }
  sheet.autofitColumns();
}

namespace {

bool has_default_application(const QString& mime_type) {
  QProcess p;
  p.start(QStringLiteral("xdg-mime"),
          {QStringLiteral("query"), QStringLiteral("default"), mime_type});
  if (!p.waitForFinished(5000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return false;
  return !p.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace

bool spreadsheet_program_present() {
  return has_default_application(
      QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"));
}

bool spreadsheet_template_program_present() {
  return has_default_application(
      QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.template"));
}

QString workbook_folder() {
  QStringList bases{QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)};
  // Qt would make up a runtime folder in the temporary folder; only a real one will do.
  if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
    bases << QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  for (const QString& base : bases) {
    if (base.isEmpty() || QDir::isRelativePath(base)) continue;
    const QString folder = QDir(base).filePath(QStringLiteral("quorvane/workbooks"));
    if (QDir().mkpath(folder) && QFileInfo(folder).isWritable()) return folder;
  }
  return {};
}

void remove_old_workbooks(const QString& folder) {
  const QDateTime day_ago = QDateTime::currentDateTime().addDays(-1);
  const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden);
  for (const QFileInfo& f : files)
    if (f.lastModified() < day_ago) QFile::remove(f.filePath());
}

QString new_workbook_path() {
  const QString folder = workbook_folder();
  if (folder.isEmpty()) return {};
  remove_old_workbooks(folder);
  const QString stamp =
      QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
  return QDir(folder).filePath(QStringLiteral("Quorvane results %1.xlsx").arg(stamp));
}

bool open_in_desktop(const QString& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace quorvane
