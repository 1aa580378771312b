#pragma once
// An in-memory copy of one zip code table, keyed for fast lookup. Rows keep the order
// the database returned them in; a key seen twice keeps its first row, which is the
// row a query for that key would have returned first.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
  std::uint8_t bad = 0;             // kBadLat / kBadLon: the field does not convert to a double
  std::uint8_t in_use = 0;          // the table's bookkeeping: this slot holds a row
};
inline constexpr std::uint8_t kBadLat = 1, kBadLon = 2, kNullLat = 4, kNullLon = 8;

// One field as the database delivered it.
struct Cell {
  enum Type { Null, Number, Text } type = Null;
  double number = 0;
  std::string_view text;
};

class ZipTable {
 public:
  explicit ZipTable(KeyKind kind) : kind_(kind) {}
  KeyKind kind() const { return kind_; }
  std::size_t size() const { return used_ + long_keys_.size(); }

  void add(const Cell& key, const Cell& lat, const Cell& lon);

  const ZipRow* find_number(double key) const;
  const ZipRow* find_text(std::string_view key) const;

  // Every row once, as (zip code text, row). A numeric key that is a whole number
  // from 0 to 99999 reads as five digits ("02134"); other numbers as written by %.15g.
  template <class F>
  void for_each_row(F&& fn) const {
    std::string text;
    for (const Slot& s : slots_)
      if (s.row.in_use) fn(std::string_view(key_text(s.key, text)), s.row);
    for (const auto& [key, row] : long_keys_) fn(std::string_view(key), row);
  }

 private:
  // Returns false when the key is there already (the first row stays).
  bool insert(std::uint64_t key, const ZipRow& row);
  const ZipRow* find(std::uint64_t key) const;
  void grow();
  const std::string& key_text(std::uint64_t key, std::string& text) const;

  // The row lives in its slot (48 bytes), so a lookup touches one or two cache lines.
  struct Slot {
    std::uint64_t key = 0;
    ZipRow row;
  };

  KeyKind kind_;
  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::unordered_map<std::string, ZipRow> long_keys_;  // text keys over 7 bytes
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
