#pragma once
// What the exports read: a report-style list with columns, header texts, rows and a
// check mark per row. The results list is one such list with a single column.
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane {

class ListSource {
 public:
  virtual ~ListSource() = default;
  virtual int columns() const = 0;
  virtual std::string header(int column) const = 0;
  virtual std::size_t rows() const = 0;
  // Valid until the list next changes (so never across a yield).
  virtual std::string_view cell(std::size_t row, int column) const = 0;
  virtual bool checked(std::size_t row) const = 0;
};

}  // namespace quorvane
