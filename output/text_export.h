#pragma once
// The column-aligned results text file: every cell padded with spaces to its column's
// width (header and all rows, checked or not), a TAB after every cell, CR LF after
// every line, a header line, then a line per checked row.
#include <QIODevice>
#include <QString>

#include "list_source.h"
#include "progress.h"
#include "yielder.h"

namespace quorvane {

// Writes the file's bytes to `out`. Returns false, with `error` set, when a write fails;
// `failed_line` gets the statement number of the failing write (170 header, 222 row).
bool write_spaced(const ListSource& list, QIODevice& out, Progress* progress,
                  const QString& caption, Yielder& yield, QString* error, int* failed_line);

// Writes the list to the file at `path` (replacing it), with progress. A file that
// cannot be created or written is reported once through the error trap and nothing
// of it is left behind; an existing file is kept until the new one is complete.
// Returns true when the file was written.
bool SaveListviewProperlySpaced(const ListSource& list, const QString& path, Progress* progress,
                                Yielder& yield);

}  // namespace quorvane
