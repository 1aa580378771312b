#pragma once
// Reading the output of the command line in tests: lines, and the fields of a CSV line.
#include <sstream>
#include <string>
#include <vector>

namespace quorvane::test {

// The fields of one CSV line (RFC 4180 quoting; a final CR dropped).
inline std::vector<std::string> split_csv(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
      fields.back() += line[++i];
    else if (c == '"')
      quoted = !quoted;
    else if (c == ',' && !quoted)
      fields.emplace_back();
    else if (c != '\r' || quoted)
      fields.back() += c;
  }
  return fields;
}

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace quorvane::test
