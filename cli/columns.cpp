#include "cli/columns.h"

#include <charconv>

namespace quorvane::cli {
namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_name(std::string_view a, std::string_view b) {
  a = trimmed(a);
  b = trimmed(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// A name as the message shows it: at most 40 bytes, line breaks as spaces.
std::string shown(std::string_view name) {
  std::string s;
  for (char c : name.substr(0, 40)) s += c == '\r' || c == '\n' ? ' ' : c;
  if (name.size() > 40) s += "...";
  return s;
}

}  // namespace

std::optional<std::size_t> find_column(std::string_view column,
                                       std::span<const std::string_view> first, bool header) {
  if (header && !trimmed(column).empty())
    for (std::size_t i = 0; i < first.size(); ++i)
      if (same_name(first[i], column)) return i;
  std::size_t number = 0;
  const auto r = std::from_chars(column.data(), column.data() + column.size(), number);
  if (r.ec != std::errc() || r.ptr != column.data() + column.size() || number == 0 ||
      number > first.size())
    return std::nullopt;
  return number - 1;
}

std::string missing_column(std::string_view option, std::string_view column,
                           std::string_view source, std::span<const std::string_view> first,
                           bool header) {
  std::string m = std::string(option) + " " + shown(column) + ": no such column in " +
                  std::string(source) + "; ";
  if (!header) {
    m += "with --no-header a column is named by its number, and the first row has " +
         std::to_string(first.size()) + (first.size() == 1 ? " column" : " columns");
    return m;
  }
  m += first.size() == 1 ? "its column is " : "its columns are ";
  for (std::size_t i = 0; i < first.size() && i < 50; ++i) {
    if (i) m += ", ";
    m += first[i].empty() ? "(" + std::to_string(i + 1) + ", no name)" : shown(first[i]);
  }
  if (first.size() > 50) m += ", ... (" + std::to_string(first.size()) + " in all)";
  return m;
}

}  // namespace quorvane::cli
