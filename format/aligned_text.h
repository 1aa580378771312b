#pragma once
// The layout of the column-aligned results text file, without Qt, so that the window's
// export and the command line write the same bytes: every cell padded with spaces to its
// column's width (the most characters of any of its texts, header included), a TAB after
// every cell, the last one of a line included, and CR LF after every line.
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane {

// The header of the results list's one column.
inline constexpr std::string_view kResultsHeader = "Results";

// Grows a column's width to hold the text.
void widen_column(std::size_t& width, std::string_view text);

// Appends one cell: the text, the spaces that pad it to the width, a TAB.
void append_aligned_cell(std::string& line, std::string_view text, std::size_t width);

// Ends a line.
void end_aligned_line(std::string& line);

}  // namespace quorvane
