// The numeric test and the literal reader against regular expressions of their grammars,
// and the literal's value against strtod.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "engine/text.h"

namespace {

std::string escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (std::strchr("\\^$.|?*+()[]{}", c)) out += '\\';
    out += c;
  }
  return out;
}

std::regex numeric_grammar(const std::string& dec, const std::string& group) {
  const std::string d = escaped(dec);
  const std::string g = group == dec ? "" : "(?:" + escaped(group) + "[0-9]+)*";
  return std::regex("[+-]?(?:[0-9]+" + g + "(?:" + d + "[0-9]*)?|" + d +
                    "[0-9]+)(?:[eE][+-]?[0-9]+)?");
}

bool numeric_model(const std::string& text, const std::regex& grammar) {
  std::string s = text;
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(0, 1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return std::regex_match(s, grammar);
}

const std::regex kLiteral("[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?");

struct Separators {
  const char* dec;
  const char* group;
};
const Separators kSeparators[] = {{".", ","}, {",", "."}, {",", " "}, {".", "'"}, {",", ","}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 200) return 0;
  static const std::vector<std::regex> grammars = [] {
    std::vector<std::regex> g;
    for (const auto& sep : kSeparators) g.push_back(numeric_grammar(sep.dec, sep.group));
    return g;
  }();
  const std::size_t which = data[0] % std::size(kSeparators);
  const Separators& sep = kSeparators[which];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  if (quorvane::is_numeric(text, sep.dec, sep.group) != numeric_model(text, grammars[which]))
    std::abort();

  const auto value = quorvane::parse_sql_number(text);
  if (value.has_value() != std::regex_match(text, kLiteral)) std::abort();
  if (value) {
    // strtod reads the same grammar in the C locale, underflow to zero and overflow
    // to infinity included.
    const double expected = std::strtod(text.c_str(), nullptr);
    if (std::memcmp(&expected, &*value, sizeof expected) != 0) std::abort();
  }
  return 0;
}
