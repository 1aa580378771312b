#pragma once
// JSON values for JSON lines output: one object per line.
#include <string>
#include <string_view>

namespace quorvane {

// Appends the text as a JSON string, quotes included: quotes, backslashes and control
// characters escaped; bytes that are not valid UTF-8 become U+FFFD, so that every line
// parses.
void append_json_string(std::string& out, std::string_view text);

}  // namespace quorvane
