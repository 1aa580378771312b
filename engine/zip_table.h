#pragma once
// An in-memory copy of one zip code table, keyed for fast lookup. A key seen twice keeps
// its first row, which is the row a query for that key would have returned first.
//
// Keys that are five-digit zip codes (the text "02134" in a text-keyed table, the whole
// numbers 0 to 99999 in a numeric one) go straight to their row through an index by the
// zip code's number; every other key goes through a hash table. The distance needs only
// each row's point as a unit vector, kept dense and apart from the rest of the row so
// that a whole table sits in the second-level cache.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/big_allocator.h"
#include "engine/text.h"

namespace quorvane {

enum class KeyKind { Number, Text };

struct TableSpec {
  std::string table;
  std::string key_column;
  std::string lat_column;
  std::string lon_column;
  KeyKind kind = KeyKind::Number;
};

TableSpec zip_table_spec(bool use2016);

struct ZipRow {
  double lat = 0, lon = 0;
  double sin_lat = 0, cos_lat = 0;  // of deg_to_rad(lat), for the distance
  std::uint8_t bad = 0;             // kBad... / kNull...: the field does not convert to a double
};
inline constexpr std::uint8_t kBadLat = 1, kBadLon = 2, kNullLat = 4, kNullLon = 8, kNonFinite = 16;

// The point of a row as a unit vector in the distance's own radians, and whether the
// row is usable as it is (both coordinates converted, finite and non-zero).
struct ZipPoint {
  double x = 0, y = 0, z = 0;
  std::uint64_t usable = 0;
};

// One field as the database delivered it.
struct Cell {
  enum Type { Null, Number, Text } type = Null;
  double number = 0;
  std::string_view text;
};

class ZipTable {
  friend struct TableImage;  // table_file.cpp: writes and reads the members as they are

 public:
  static constexpr std::int32_t kNoRow = -1;

  explicit ZipTable(KeyKind kind);
  KeyKind kind() const { return kind_; }
  std::size_t size() const { return rows_.size(); }

  void add(const Cell& key, const Cell& lat, const Cell& lon);

  // The row of a key, or kNoRow.
  std::int32_t row_of_number(double key) const;
  std::int32_t row_of_text(std::string_view key) const;
  // The row of a zip code of exactly five ASCII digits, the same in both kinds of table.
  std::int32_t row_of_zip_number(std::uint32_t zip) const {
    const std::uint16_t slot = index_[zip];
    if (slot != 0) return slot - 1;
    return index_full_ ? row_of_hashed(zip_number_key(zip)) : kNoRow;
  }

  // Hints that the row of a zip number, then a row's point, will be wanted soon.
  void prefetch_zip_number(std::uint32_t zip) const { __builtin_prefetch(&index_[zip]); }
  void prefetch_point(std::int32_t r) const {
    if (r >= 0) __builtin_prefetch(&points_[static_cast<std::size_t>(r)]);
  }

  // Whether some key is not a five-digit zip code (so row_of_zip_number misses it).
  bool has_other_keys() const { return used_ != 0 || !long_keys_.empty(); }
  // The largest longitude, east or west, of a usable row (0 when there is none).
  double widest_longitude() const { return widest_longitude_; }

  // The key text of a row, as for_each_row gives it.
  std::string_view key_of(std::int32_t r) const { return key(static_cast<std::size_t>(r)); }

  const ZipRow& row(std::int32_t r) const { return rows_[static_cast<std::size_t>(r)]; }
  const ZipPoint& point(std::int32_t r) const { return points_[static_cast<std::size_t>(r)]; }

  const ZipRow* find_number(double key) const { return as_row(row_of_number(key)); }
  const ZipRow* find_text(std::string_view key) const { return as_row(row_of_text(key)); }

  // Every row once, as (zip code text, row). A numeric key that is a whole number
  // from 0 to 99999 reads as five digits ("02134"); other numbers as written by %.15g.
  template <class F>
  void for_each_row(F&& fn) const {
    for (std::size_t r = 0; r < rows_.size(); ++r) fn(key(r), rows_[r]);
  }

 private:
  std::string_view key(std::size_t r) const {
    const std::size_t start = r == 0 ? 0 : key_ends_[r - 1];
    return std::string_view(key_text_).substr(start, key_ends_[r] - start);
  }
  const ZipRow* as_row(std::int32_t r) const { return r == kNoRow ? nullptr : &row(r); }
  std::uint64_t zip_number_key(std::uint32_t zip) const;
  std::int32_t row_of_hashed(std::uint64_t key) const;
  // Files the key under the next row; false when the key is there already.
  bool file_key(std::uint64_t key, std::int32_t five_digits);
  void grow();

  struct Slot {
    std::uint64_t key = 0;
    std::int32_t row = kNoRow;
  };

  KeyKind kind_;
  std::vector<std::uint16_t> index_;  // by zip number: row + 1, or 0
  bool index_full_ = false;           // rows past 65534 went to the hash table instead
  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::unordered_map<std::string, std::int32_t> long_keys_;  // text keys over 7 bytes
  std::vector<ZipRow, BigAllocator<ZipRow>> rows_;
  std::vector<ZipPoint, BigAllocator<ZipPoint>> points_;
  // The key texts one after another; key_ends_[r] is where row r's ends.
  std::string key_text_;
  std::vector<std::uint32_t> key_ends_;  // a table's keys hold far less than 4 GB
  double widest_longitude_ = 0;
};

// Reads a whole table from a database file, SQLite or Access (Jet 3, Jet 4, ACE),
// told apart by the file's header. Throws RuntimeError with the reason on failure.
std::unique_ptr<ZipTable> load_table(const std::string& path, const TableSpec& layout);

// Format-specific readers: call `row` with (key, lat, lon) for every row in table order.
using RowFn = void (*)(void* ctx, const Cell& key, const Cell& lat, const Cell& lon);
void read_sqlite_table(const std::string& path, const TableSpec& layout, RowFn fn, void* ctx);
// Access files are read in a separate process, quorvane-access-reader, found beside the
// running program unless set here; a reader that takes longer than the limit is stopped.
void read_access_table(const std::string& path, const TableSpec& layout, RowFn fn, void* ctx);
void set_access_reader_path(std::string path);
const std::string& access_reader_path();
void set_access_read_timeout(std::chrono::milliseconds limit);  // 10 s unless set

}  // namespace quorvane
