#pragma once
// A list with any number of columns for the export tests.
#include <string>
#include <vector>

#include "output/list_source.h"

namespace quorvane::test {

struct TableSource : ListSource {
  std::vector<std::string> headers;
  std::vector<std::vector<std::string>> cells;  // [row][column]
  std::vector<bool> checks;

  int columns() const override { return static_cast<int>(headers.size()); }
  std::string header(int c) const override { return headers[c]; }
  std::size_t rows() const override { return cells.size(); }
  std::string_view cell(std::size_t r, int c) const override { return cells[r][c]; }
  bool checked(std::size_t r) const override { return checks[r]; }

  void add(std::vector<std::string> row, bool on = true) {
    cells.push_back(std::move(row));
    checks.push_back(on);
  }
};

}  // namespace quorvane::test
