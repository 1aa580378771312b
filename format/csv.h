#pragma once
// CSV fields as RFC 4180 writes them.
#include <string>
#include <string_view>

namespace quorvane {

// Appends a field, quoted (its quotes doubled) when it holds the delimiter, a quote, a
// CR or an LF.
void append_csv_field(std::string& out, std::string_view field, char delimiter = ',');

}  // namespace quorvane
