#pragma once
// The columns of a table named on the command line: a header name (case-insensitive,
// blanks around ignored) or a 1-based column number.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorvane::cli {

// The 0-based index of the column that `column` names, given the table's first record (its
// header, or its first row when `header` is false, where only numbers name columns).
// A header name is tried before a number.
std::optional<std::size_t> find_column(std::string_view column,
                                       std::span<const std::string_view> first, bool header);

// The message for a column that is not there, naming the columns there are:
// "--from zipcode: no such column in orders.csv; its columns are id, zip, name".
std::string missing_column(std::string_view option, std::string_view column,
                           std::string_view source, std::span<const std::string_view> first,
                           bool header);

}  // namespace quorvane::cli
