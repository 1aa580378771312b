#pragma once
// Bounds on reading a database file, so that any file is read or refused in seconds
// and in bounded memory.
#include <chrono>
#include <cstddef>
#include <string>

#include "engine/zip_table.h"

namespace quorvane {

// More rows than any zip code table holds (there are 100,000 five-digit codes).
inline constexpr std::size_t kMaxTableRows = 2'000'000;

// No zip code or coordinate of a real table comes near this many bytes.
inline constexpr std::size_t kMaxZipFieldBytes = 256;

// The bytes a zip code table's fields may hold in all: 2,000,000 rows of a five-digit
// zip code and two coordinates written out take about 60 MB.
inline constexpr std::size_t kMaxTableBytes = std::size_t{128} << 20;

// An SQLite file not read within this time is refused (10 s unless set).
void set_sqlite_read_time_limit(std::chrono::milliseconds limit);

// Lowers kMaxTableBytes, for tests; 0 puts it back.
void set_table_byte_limit(std::size_t bytes);

// Checks each row of a zip code table as it is read: throws RuntimeError (3343) at the
// first field longer than kMaxZipFieldBytes, naming it, and once the table's fields
// hold more than kMaxTableBytes.
class RowLimits {
 public:
  explicit RowLimits(const TableSpec& layout) : layout_(layout) {}
  void check(const Cell& key, const Cell& lat, const Cell& lon);

 private:
  void check_field(const Cell& cell, const std::string& column);
  const TableSpec& layout_;
  std::size_t rows_ = 0, bytes_ = 0;
};

}  // namespace quorvane
