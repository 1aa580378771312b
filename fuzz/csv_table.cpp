// Reading a CSV table against a model that reads the whole text in one pass, for every
// delimiter and block size: the records and how the reading ends. Each record is also
// taken as augment's threads take it (next_unsplit, then take_fields on a copy).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/csv_reader.h"

namespace {

using Records = std::vector<std::vector<std::string>>;
using State = quorvane::CsvReader::State;

State model(std::string_view s, char delimiter, Records& records) {
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  std::size_t i = 0;
  const auto stop = [&](char c) { return c == delimiter || c == '\r' || c == '\n' || c == '\0'; };
  while (i < s.size()) {
    std::vector<std::string> record;
    for (;;) {
      std::string field;
      if (i < s.size() && s[i] == '"') {  // quoted: "" is a quote, one quote closes it
        for (++i;; ++i) {
          if (i == s.size()) return State::OpenQuote;
          if (s[i] == '\0') return State::NotText;
          if (s[i] != '"') {
            field += s[i];
          } else if (i + 1 < s.size() && s[i + 1] == '"') {
            field += s[i++];
          } else {
            ++i;
            break;
          }
        }
      }
      while (i < s.size() && !stop(s[i])) field += s[i++];  // what follows stands as it is
      if (i < s.size() && s[i] == '\0') return State::NotText;
      record.push_back(field);
      if (i < s.size() && s[i] == delimiter) {
        ++i;
        continue;
      }
      if (i < s.size() && s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      if (i < s.size()) ++i;  // the line break
      break;
    }
    records.push_back(record);
  }
  return State::End;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the delimiter and the size of the reads.
  static constexpr char kDelimiters[] = {',', '\t', ';', '|'};
  const char delimiter = kDelimiters[data[0] % 4];
  const std::size_t block = 1 + data[0] / 4 % 16;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  Records want;
  const State end = model(text, delimiter, want);
  for (bool unsplit : {false, true}) {
    quorvane::CsvReader reader(quorvane::CsvReader::from_text(text),
                               {delimiter, std::size_t{1} << 20, block});
    Records got;
    while (unsplit ? reader.next_unsplit() : reader.next()) {
      if (!unsplit) {
        got.emplace_back(reader.fields().begin(), reader.fields().end());
        continue;
      }
      std::string copy(reader.record_bytes());
      std::vector<std::string_view> fields;
      quorvane::CsvReader::take_fields(copy.data(), reader.field_bounds(), fields);
      got.emplace_back(fields.begin(), fields.end());
    }
    if (got != want || reader.state() != end) std::abort();
  }
  return 0;
}
