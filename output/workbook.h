#pragma once
// The spreadsheet export. A small layer stands where spreadsheet automation would:
// create a workbook, set cells, fit the columns, show it. Ours writes a real .xlsx
// workbook with libxlsxwriter and opens it in the desktop's spreadsheet program.
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "output/list_source.h"
#include "output/yielder.h"

namespace quorvane {

inline constexpr std::size_t kSheetRows = 1048576;

class Spreadsheet {
 public:
  virtual ~Spreadsheet() = default;
  virtual bool addWorkbook(QString* error) = 0;
  virtual void setCell(int row, int column, std::string_view text) = 0;  // 1-based
  virtual void autofitColumns() = 0;
  virtual bool show(QString* error) = 0;
};

// Writes `path` in constant-memory mode (rows are set in ascending order) and hands it
// to `open` when shown. As a template, the workbook is handed over as an .xltx file
// beside `path`, which the spreadsheet program opens as a new, untitled document.
// A line worded as a distance only ("2556.52 miles", with the user's decimal separator)
// is written as a number formatted to show that same text; every other text as a text.
class XlsxSpreadsheet : public Spreadsheet {
 public:
  XlsxSpreadsheet(QString path, std::function<bool(const QString&)> open, bool as_template = false,
                  std::string decimal_separator = ".");
  ~XlsxSpreadsheet() override;
  bool addWorkbook(QString* error) override;
  void setCell(int row, int column, std::string_view text) override;
  void autofitColumns() override;
  bool show(QString* error) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

// The sheet layout: headers in row 1 where row 1 of the list has text, list row r in
// sheet row r + 1 for checked rows, empty texts skipped and later texts moved left,
// "=" removed from the second column on, then the columns fitted. Throws ListChanged
// when the list changes while it yields.
void write_sheet(const ListSource& list, Spreadsheet& sheet, Yielder& yield);

// Whether the desktop has a program for .xlsx files, or for .xltx templates
// (xdg-mime's default application for the type).
bool spreadsheet_program_present();
bool spreadsheet_template_program_present();

// The program's own folder for the workbooks it hands over: under the user's cache
// folder, or else the runtime folder; empty when neither can be made. Never the current
// folder, whatever the temporary folder is set to.
QString workbook_folder();
// Removes the files in `folder` older than a day: the spreadsheet program has long read them.
void remove_old_workbooks(const QString& folder);
// A new file name in workbook_folder(), after removing the old workbooks there; empty
// when there is no such folder (the workbook then reports that it cannot be made).
QString new_workbook_path();

// Opens a file in the desktop's program for it.
bool open_in_desktop(const QString& path);

}  // namespace quorvane
