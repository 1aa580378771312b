#pragma once
// Clipboard text of the checked rows: cells separated by TABs, every cell but the last
// padded to its column's width (rows only, headers not measured), trailing spaces
// removed, CR LF after every line.
#include <QString>
#include <string>

#include "output/list_source.h"
#include "output/yielder.h"

namespace quorvane {

// Throws ListChanged when the list changes while it yields.
std::string clipboard_text(const ListSource& list, Yielder& yield);

// Puts the checked rows on the clipboard; an empty list leaves the clipboard alone, and
// so does a list that changes before its text is complete (ListChanged is thrown).
void copy_checked_rows(const ListSource& list, Yielder& yield);

// Empty the clipboard / set its text, retrying a clipboard another program holds.
// Format 0 is plain text; another number names a MIME type registered for it.
void clear_clipboard();
bool set_clipboard_text(const QString& text, int format);

}  // namespace quorvane
