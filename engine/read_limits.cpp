#include "engine/read_limits.h"

#include "engine/error_trap.h"

namespace quorvane {
namespace {

std::size_t& table_byte_limit() {
  static std::size_t limit = kMaxTableBytes;
  return limit;
}

}  // namespace

void set_table_byte_limit(std::size_t bytes) {
  table_byte_limit() = bytes ? bytes : kMaxTableBytes;
}

void RowLimits::check_field(const Cell& cell, const std::string& column) {
  const std::size_t n = cell.type == Cell::Text ? cell.text.size() : sizeof cell.number;
  if (n > kMaxZipFieldBytes)
    throw RuntimeError(3343, "Cannot read table " + layout_.table + ": the " + column + " of row " +
                                 std::to_string(rows_) + " is " + std::to_string(n) +
                                 " bytes long; no field of a zip code " + "table is longer than " +
                                 std::to_string(kMaxZipFieldBytes) + " bytes");
  bytes_ += n;
}

void RowLimits::check(const Cell& key, const Cell& lat, const Cell& lon) {
  ++rows_;
  check_field(key, layout_.key_column);
  check_field(lat, layout_.lat_column);
  check_field(lon, layout_.lon_column);
  if (bytes_ > table_byte_limit())
    throw RuntimeError(3343, "Cannot read table " + layout_.table + ": its fields hold more than " +
                                 std::to_string(table_byte_limit() >> 20) + " MB (" +
                                 std::to_string(table_byte_limit()) +
                                 " bytes), more than any zip code table");
}

}  // namespace quorvane
