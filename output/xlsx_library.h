#pragma once
// The workbook writer library, loaded when the first workbook is made rather than at
// every start of the window: it and the cryptography library it needs would be nearly a
// quarter of the symbols bound while the window starts.
#include <xlsxwriter.h>

#include <QString>
#include <memory>

namespace quorvane {

struct XlsxLibrary {
  decltype(&::workbook_new_opt) workbook_new_opt;
  decltype(&::workbook_add_worksheet) workbook_add_worksheet;
  decltype(&::workbook_add_format) workbook_add_format;
  decltype(&::format_set_num_format) format_set_num_format;
  decltype(&::worksheet_write_number) worksheet_write_number;
  decltype(&::worksheet_write_string) worksheet_write_string;
  decltype(&::worksheet_set_column) worksheet_set_column;
  decltype(&::workbook_close) workbook_close;
  decltype(&::lxw_strerror) lxw_strerror;

  // The library the program was built with, loaded once and kept; null with the reason
  // in `error` when it cannot be loaded.
  static const XlsxLibrary* get(QString* error);
  // The library in `file` (a name the dynamic loader searches for, or a path).
  static std::unique_ptr<XlsxLibrary> load(const char* file, QString* error);
};

}  // namespace quorvane
