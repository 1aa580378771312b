#pragma once
// What the exports read: a report-style list with columns, header texts, rows and a
// check mark per row. The results list is one such list with a single column.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/error_trap.h"

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
  // Grows whenever rows are added, removed or cleared (check marks aside). An export
  // that yields compares it before each read: a list that changed under it is no
  // longer the list it measured. A list that cannot change while read keeps 0.
  virtual std::uint64_t changes() const { return 0; }
};

// A read of a list that changed while an export yielded. `line` is the statement
// number of the read, for the error trap of the routine that reports it.
class ListChanged : public RuntimeError {
 public:
  ListChanged(int line, const std::string& description)
      : RuntimeError(35600, description), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

// Throws ListChanged at statement `line` when `list` changed since `changes`.
inline void check_unchanged(const ListSource& list, std::uint64_t changes, int line,
                            const char* description) {
  if (list.changes() != changes) throw ListChanged(line, description);
}

}  // namespace quorvane
