#pragma once
// Tables read as spreadsheets export them (their columns are chosen as cli/columns.h
// says): the file opened as a path or "-", its cells read as zip codes or degrees, and
// the tally of rows that had no distance, said on standard error as one line per status.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/csv_reader.h"
#include "engine/zip_distance.h"
#include "engine/zip_index.h"

namespace quorvane::cli {

// True when `col` is a 1-based column number.
bool is_column_number(std::string_view col);

// A cell read as a zip code (cleaned unless `strict`) and looked up as a comparison
// looks it up: its place, or why it has none.
struct CellPlace {
  PairStatus status = PairStatus::NotAZip;
  ZipPlace place;
};
CellPlace place_of_cell(const ZipTable& table, std::string_view cell, bool strict, bool use2016);

// A coordinate cell (blanks around allowed): Distance with its value, NotNumeric,
// BadCoordinates (not finite or past `limit` degrees) or ZeroCoordinates.
PairStatus read_degrees(std::string_view cell, double limit, double& value);

// An open input: a file or standard input ("-"); reports and gives -1 when it cannot
// be opened. Closed by the destructor.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
  bool owned_ = false;
};

// Rows counted by status, with the first cell and line of each kind.
class StatusTally {
 public:
  void add(PairStatus status, std::string_view cell, std::uint64_t line);
  std::uint64_t count(PairStatus status) const { return kinds_[index(status)].count; }
  std::uint64_t total() const;
  // One line per status on standard error: "Rows not-in-table: 12 (first: '99999', line
  // 7)"; `rows` names what was counted.
  void report_lines(std::string_view rows) const;
  // One line for what was left out, empty when nothing was: "Stores left out: 2
  // not-in-table (first: '99999', line 4), 1 not-a-zip (first: 'x', line 9)".
  std::string left_out(std::string_view things) const;

 private:
  static constexpr std::size_t kKinds = 8;
  static std::size_t index(PairStatus s) { return static_cast<std::size_t>(s) % kKinds; }
  struct Kind {
    std::uint64_t count = 0, line = 0;
    std::string first;
  };
  Kind kinds_[kKinds];
};

}  // namespace quorvane::cli
