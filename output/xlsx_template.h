#pragma once
#include <QString>

namespace quorvane {

// Copies an .xlsx workbook to an .xltx template: the same parts, with the main part's
// content type saying "template", so that the spreadsheet program opens it as a new,
// untitled document and asks for a name when it is first saved. The parts' compressed
// data are copied as they are. Returns false with `error` set on failure.
bool write_as_template(const QString& xlsx, const QString& xltx, QString* error);

}  // namespace quorvane
