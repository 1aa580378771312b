#pragma once
// The column-aligned results text file: every cell padded with spaces to its column's
// width (header and all rows, checked or not), a TAB after every cell, CR LF after
// every line, a header line, then a line per checked row.
#include <QIODevice>
#include <QString>

#include "output/list_source.h"
#include "output/progress.h"
#include "output/yielder.h"

namespace quorvane {

// Writes the file's bytes to `out`. Returns false, with `error` set, when a write fails;
// `failed_line` gets the statement number of the failing write (170 header, 222 row).
// Throws ListChanged when the list changes while it yields.
bool write_spaced(const ListSource& list, QIODevice& out, Progress* progress,
                  const QString& caption, Yielder& yield, QString* error, int* failed_line);

// Writes the list to the file at `path` (replacing it), with progress. A file that
// cannot be created or written, a path that is no regular file, and a list that changes
// while it is written are each reported once through the error trap; then nothing of the
// new file is left behind and an existing file keeps its bytes. Returns true when the
// file was written.
bool save_aligned_text(const ListSource& list, const QString& path, Progress* progress,
                       Yielder& yield);

}  // namespace quorvane
